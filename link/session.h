#pragma once
// The link as start-up creates it: vkm.ini, the port, the information log,
// the protocol and the terminal's remembered values. One object for the life
// of the process; the main window, the settings dialog and the service
// terminal use it.

#include "link/dtrans.h"
#include "link/infolog.h"
#include "link/inifile.h"
#include "link/protocol.h"
#include "link/qserial.h"

namespace vkm {

class LinkSession {
public:
    explicit LinkSession(const QString& iniPath = IniFile::defaultPath());

    IniFile ini;
    QtSerialLink port;
    InfoLog log;
    Protocol protocol;
    DtransValues dtrans;

    // Reads vkm.ini again and section "Dtrans" into `dtrans`, then gives the
    // port its number and speed and the protocol its LinkAddress. Section
    // "Ports" is written back when a key of it is missing; returns false
    // with `why` when that write fails (the values are loaded all the same).
    bool loadDtrans(QString* why = nullptr);
    // Writes `dtrans` and section "Ports" to vkm.ini. Throws FileError.
    void saveDtrans();
    // Gives the port and the protocol the values of `dtrans` (number, speed,
    // LinkAddress) without touching the file.
    void applyDtrans();
    // Closes the port and opens it with the values of `dtrans`; false with a
    // description in `why` when it cannot be opened (the port stays closed).
    bool openPort(QString* why = nullptr);
    void closePort() { port.close(); }

    // "СОМ1,9600,8,N,2" for the main window's status bar.
    QString portStatusText() const;
};

} // namespace vkm
