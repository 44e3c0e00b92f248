// Opening any file as settings, with the conversion question answered Yes
// or No: no crash, and a declined or failed open leaves the settings as
// they were.

#include "core/defaults.h"
#include "core/files.h"
#include "core/state.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

using namespace vkm;

namespace {

struct Answers : ReadQuestions {
    bool yes = false;
    bool confirmConversion() override { return yes; }
    void formatError() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.bin"));
    if (size < 1)
        return 0;
    // The input is stretched so that every size class (short, legacy,
    // current, longer) is reached: byte 0 picks the length.
    static const qsizetype sizes[] = {0, 100, 14695, 14696, 15000, 15071, 15072, 15100};
    const qsizetype length = sizes[data[0] % 8];
    QByteArray file(length, 0);
    for (qsizetype i = 0; i < length && size > 1; ++i)
        file[i] = char(data[1 + i % (size - 1)]);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(file);
    }
    std::memset(Settings.bytes(), 0, kSettingsSize);
    ResetDefaults(Settings);
    const SettingsRecord before = Settings;
    Answers a;
    a.yes = data[0] & 8;
    const bool ok = ReadData(path, a);
    if (!ok && std::memcmp(before.bytes(), Settings.bytes(), kSettingsSize) != 0)
        __builtin_trap();
    if (ok && length >= qsizetype(kSettingsSize)
        && std::memcmp(Settings.bytes(), file.constData(), kSettingsSize) != 0)
        __builtin_trap();
    return 0;
}
