#include "filecommands.h"

#include "toolerror.h"

#include "core/defaults.h"
#include "core/describe.h"
#include "core/files.h"
#include "core/image.h"
#include "core/legacy.h"
#include "core/state.h"

#include <QFile>

#include <cstdio>
#include <cstring>

namespace vkmtool {

using namespace vkm;

QByteArray readFilePrefix(const QString& path, qint64 minimum, const char* what)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw inputError(QStringLiteral("%1: cannot open: %2").arg(path, f.errorString()));
    const QByteArray data = f.read(minimum);
    if (data.size() < minimum)
        throw inputError(QStringLiteral("%1: %2 is %3 bytes, at least %4 needed")
                             .arg(path, QLatin1String(what)).arg(data.size()).arg(minimum));
    return data;
}

SettingsRecord readSettingsFile(const QString& path)
{
    const QByteArray data = readFilePrefix(path, qint64(kSettingsSize), "settings file");
    SettingsRecord r;
    std::memcpy(r.bytes(), data.constData(), kSettingsSize);
    return r;
}

void writeOutput(const QString& path, const QByteArray& data)
{
    try {
        writeFileAtomically(path, data);
    } catch (const FileError& e) {
        throw inputError(QStringLiteral("%1: cannot write: %2").arg(path, e.message()));
    }
}

namespace {

QByteArray recordBytes(const SettingsRecord& r)
{
    return QByteArray(reinterpret_cast<const char*>(r.bytes()), kSettingsSize);
}

void needArgs(const QStringList& args, int n, const char* usage)
{
    if (args.size() != n)
        throw inputError(QStringLiteral("usage: vkmtool %1").arg(QLatin1String(usage)));
}

} // namespace

int cmdDefaults(const QStringList& args)
{
    needArgs(args, 1, "defaults OUT");
    SettingsRecord r{};
    ResetDefaults(r);
    writeOutput(args[0], recordBytes(r));
    return kExitOk;
}

int cmdExport(const QStringList& args)
{
    needArgs(args, 2, "export SETTINGS OUT");
    Settings = readSettingsFile(args[0]);
    PackImage(Settings, DeviceImage);
    writeOutput(args[1], QByteArray(reinterpret_cast<const char*>(DeviceImage.data()), kExportSize));
    return kExitOk;
}

int cmdUnpack(const QStringList& args)
{
    needArgs(args, 3, "unpack IMAGE BASE OUT");
    const QByteArray image = readFilePrefix(args[0], qint64(kImageSize), "image");
    Settings = readSettingsFile(args[1]);
    ReceivedImage.fill(0);
    std::memcpy(ReceivedImage.data(), image.constData(), kImageSize);
    UnpackImage(ReceivedImage, Settings);
    writeOutput(args[2], recordBytes(Settings));
    return kExitOk;
}

int cmdConvert(const QStringList& args)
{
    needArgs(args, 3, "convert LEGACY BASE OUT");
    const QByteArray legacy = readFilePrefix(args[0], qint64(kLegacySize), "legacy file");
    Settings = readSettingsFile(args[1]);
    std::memcpy(LegacyRecord.data(), legacy.constData(), kLegacySize);
    ConvertLegacy(LegacyRecord, Settings, DeviceImage, ReceivedImage);
    writeOutput(args[2], recordBytes(Settings));
    return kExitOk;
}

int cmdShow(const QStringList& args)
{
    needArgs(args, 1, "show SETTINGS");
    const SettingsRecord r = readSettingsFile(args[0]);
    const QByteArray text = describeSettings(r).join(QLatin1Char('\n')).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitInput;
}

} // namespace vkmtool
