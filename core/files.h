#pragma once
// Settings files, the image export and the text of the main caption.

#include "settings.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace vkm {

// A file that cannot be opened, created or written. The message names the
// file and the reason; the application's error box shows it.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The questions ReadData may ask; the main window answers with message
// boxes, tests and vkmtool answer in code.
class ReadQuestions {
public:
    virtual ~ReadQuestions() = default;
    // "Ошибка формата файла! Сконвертировать в новый формат версии 3.4?"
    // (Yes and No); true only for Yes.
    virtual bool confirmConversion() = 0;
    // "Ошибка формата файла!" after a conversion read came up short.
    virtual void formatError() = 0;
};

// Reads a settings file into the global Settings. A file of 15072 bytes or
// more is current (its first 15072 bytes are used); a shorter one is offered
// for conversion and converted from its first 14696 bytes. Returns true when
// Settings now holds the file's settings; on false Settings is unchanged.
// Throws FileError when the file cannot be opened.
bool ReadData(const QString& path, ReadQuestions& questions);

// Writes the record to the file, replacing it only once every byte is
// written: a failure leaves any previous file as it was. Throws FileError.
void WriteData(const QString& path, const SettingsRecord& r);

// Packs the global Settings into DeviceImage and writes its first 2049 bytes
// to the file ("flash.bin" in the current directory for the menu command).
void ExportImage(const QString& path);
inline constexpr const char* kExportFileName = "flash.bin";

// Replaces a file with the given bytes through a temporary file in the same
// folder. Throws FileError; the old file is intact after any failure.
void writeFileAtomically(const QString& path, const QByteArray& data);

// The name Save writes: ".bin" appended when the file name part has no dot.
QString completeSaveName(const QString& chosen);

// "Управление Тензар - 4.2 : " + name
QString CaptionText(const QString& fileName);

} // namespace vkm
