#pragma once
// The remembered values of the service terminal (section "Dtrans" of
// vkm.ini) and the link settings with them. Start-up and the settings dialog
// load and save this record; the terminal window binds its controls to it.

#include <QString>

namespace vkm {

class IniFile;

struct DtransValues {
    int timeWait = 10;                          // "TimeWait", shown and remembered only
    QString adrOut = QStringLiteral("$1008");   // write address
    QString adrIn = QStringLiteral("$1022");    // read address
    QString byteIn;                             // last value read, as shown
    QString byteOut = QStringLiteral("0301");   // value to write (hex)
    int linkAddress = 1;                        // "Adr:" 0..255
    QString activePage = QStringLiteral("TabSheet1");
    int baud = 9600;
    int comNumber = 1;                          // 1..9

    // Values that are missing, unreadable or out of range keep what the
    // record held (the design values for a fresh record).
    void load(const IniFile& ini);
    void store(IniFile& ini) const;
};

} // namespace vkm
