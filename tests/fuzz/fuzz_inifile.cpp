// Reading any bytes as vkm.ini, saving and reading again: no crash, and the
// file is a fixed point after one round (a second save writes the same
// bytes and every key reads the same). A value set by the program reads
// back unchanged after a save and a reload.

#include "link/inifile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace vkm;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The keys the program reads, in the sections it reads them from.
const QString* const kSections[] = {&ini::kDtrans, &ini::kRS, &ini::kMain, &ini::kPorts};
const QString* const kKeys[] = {&ini::kTimeWait, &ini::kAdrOut, &ini::kBaud, &ini::kComNumber,
                                &ini::kActivePage, &ini::kSelectComPort};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vkm.ini"));
    // The last line of the input, when it is no longer than 40 bytes, is
    // also set as a value through the program's own setValue.
    QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(input);
    }
    IniFile first(path);
    first.save();
    const QByteArray once = readAll(path);
    IniFile second(path);
    second.save();
    const QByteArray twice = readAll(path);
    if (once != twice)
        __builtin_trap();
    for (const QString* s : kSections)
        for (const QString* k : kKeys)
            if (first.value(*s, *k) != second.value(*s, *k))
                __builtin_trap();

    // A field's text as the settings dialog stores it: one line, blanks
    // trimmed, any characters (a user may type Cyrillic into a field).
    const qsizetype nl = input.lastIndexOf('\n');
    const QString text = QString::fromUtf8(input.mid(nl + 1).left(40))
                             .remove(QLatin1Char('\r')).trimmed();
    second.setValue(ini::kDtrans, ini::kAdrOut, text);
    second.setInt(ini::kDtrans, ini::kTimeWait, static_cast<int>(size));
    if (second.value(ini::kDtrans, ini::kAdrOut) != text)
        __builtin_trap();
    second.save();
    IniFile third(path);
    if (third.value(ini::kDtrans, ini::kAdrOut) != text)
        __builtin_trap();
    if (third.intValue(ini::kDtrans, ini::kTimeWait) != static_cast<int>(size))
        __builtin_trap();
    return 0;
}
