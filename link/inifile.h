#pragma once
// vkm.ini: a plain INI file of [sections] and key=value lines. Values are
// kept as text exactly as written (no quoting or escaping is added); keys and
// sections this program does not know survive a rewrite.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vkm {

class IniFile {
public:
    // Where vkm.ini lives: vkm/vkm.ini in the per-user configuration folder
    // (QStandardPaths::GenericConfigLocation).
    static QString defaultPath();

    explicit IniFile(QString path = defaultPath());

    // Reads the file again; a missing or unreadable file reads as empty.
    void load();
    // Writes the file through a temporary file; throws FileError.
    void save() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    // An integer value; nullopt when missing or not a number.
    std::optional<int> intValue(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void setInt(const QString& section, const QString& key, int value) { setValue(section, key, QString::number(value)); }

    const QString& path() const { return path_; }

private:
    struct Entry { QString key; QString value; QString raw; };
    struct Section { QString name; std::vector<Entry> entries; QStringList prelude; };
    QString path_;
    std::vector<Section> sections_;
    QStringList head_; // lines before the first section
};

// Keys of vkm.ini, one place for all of them.
namespace ini {
inline const QString kDtrans = QStringLiteral("Dtrans");
inline const QString kRS = QStringLiteral("RS");
inline const QString kMain = QStringLiteral("main");
inline const QString kPorts = QStringLiteral("Ports");

inline const QString kTimeWait = QStringLiteral("TimeWait_Value");
inline const QString kAdrOut = QStringLiteral("AdrOut_Text");
inline const QString kAdrIn = QStringLiteral("AdrIn_Text");
inline const QString kByteIn = QStringLiteral("ByteIn_Text");
inline const QString kByteOut = QStringLiteral("ByteOut_Text");
inline const QString kAdrConEdit = QStringLiteral("AdrConEdit_Value");
inline const QString kActivePage = QStringLiteral("PageControl1_ActivePage");
inline const QString kBaud = QStringLiteral("CommPort1_Baud");
inline const QString kComNumber = QStringLiteral("CommPort1_ComNumber");

inline const QString kSelectComPort = QStringLiteral("selectComPort_ItemIndex");
inline const QString kBaudItem = QStringLiteral("Baud_ItemIndex");

inline const QString kFormVersion = QStringLiteral("FormVersion");
inline const QString kFlags = QStringLiteral("Flags");
inline const QString kShowCmd = QStringLiteral("ShowCmd");
inline const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
inline const QString kMinMaxPos = QStringLiteral("MinMaxPos");
inline const QString kNormPos = QStringLiteral("NormPos");
} // namespace ini

} // namespace vkm
