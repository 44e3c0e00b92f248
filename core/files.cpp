#include "files.h"

#include "image.h"
#include "legacy.h"
#include "state.h"
#include "version.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

namespace vkm {
namespace {

QString describe(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(QFileInfo(path).absoluteFilePath(), reason);
}

QByteArray readPrefix(const QString& path, qint64 max)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(describe(path, f.errorString()));
    QByteArray data = f.read(max);
    // A read that fails part way counts as a short file.
    return data;
}

} // namespace

FileError::FileError(const QString& message) : std::runtime_error(message.toStdString()) {}

bool ReadData(const QString& path, ReadQuestions& questions)
{
    const QByteArray current = readPrefix(path, qint64(kSettingsSize));
    if (current.size() == qsizetype(kSettingsSize)) {
        std::memcpy(Settings.bytes(), current.constData(), kSettingsSize);
        return true;
    }
    if (!questions.confirmConversion())
        return false;
    const QByteArray legacy = readPrefix(path, qint64(kLegacySize));
    if (legacy.size() != qsizetype(kLegacySize)) {
        questions.formatError();
        return false;
    }
    std::memcpy(LegacyRecord.data(), legacy.constData(), kLegacySize);
    ConvertLegacy(LegacyRecord, Settings, DeviceImage, ReceivedImage);
    return true;
}

void writeFileAtomically(const QString& path, const QByteArray& data)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(describe(path, f.errorString()));
    // QSaveFile::commit() alone is not enough: a write that failed part way
    // (a full disk, a file size limit) can still commit a truncated file, so
    // every byte and the flush are checked before the old file is replaced.
    const qint64 written = f.write(data);
    if (written != data.size() || !f.flush()) {
        const QString reason = f.errorString();
        f.cancelWriting(); // the destructor then removes the temporary file
        throw FileError(describe(path, reason.isEmpty() ? QStringLiteral("write failed") : reason));
    }
    if (!f.commit())
        throw FileError(describe(path, f.errorString()));
}

void WriteData(const QString& path, const SettingsRecord& r)
{
    writeFileAtomically(path, QByteArray(reinterpret_cast<const char*>(r.bytes()), kSettingsSize));
}

void ExportImage(const QString& path)
{
    PackImage(Settings, DeviceImage);
    writeFileAtomically(path, QByteArray(reinterpret_cast<const char*>(DeviceImage.data()), kExportSize));
}

QString completeSaveName(const QString& chosen)
{
    const qsizetype slash = std::max(chosen.lastIndexOf(QLatin1Char('/')), chosen.lastIndexOf(QLatin1Char('\\')));
    if (chosen.mid(slash + 1).contains(QLatin1Char('.')))
        return chosen;
    return chosen + QStringLiteral(".bin");
}

QString CaptionText(const QString& fileName)
{
    return QStringLiteral("Управление Тензар - %1 : %2").arg(QString::fromLatin1(kVersionText), fileName);
}

} // namespace vkm
