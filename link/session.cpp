#include "link/session.h"

#include "core/files.h"

namespace vkm {

LinkSession::LinkSession(const QString& iniPath)
    : ini(iniPath), port(&ini), protocol(port, log)
{
}

void LinkSession::applyDtrans()
{
    port.setComNumber(dtrans.comNumber);
    port.setBaud(dtrans.baud);
    protocol.LinkAddress = static_cast<uint8_t>(dtrans.linkAddress);
}

bool LinkSession::loadDtrans(QString* why)
{
    ini.load();
    dtrans.load(ini);
    applyDtrans();
#ifndef Q_OS_WIN
    bool complete = true;
    for (int n = 1; n <= 9; ++n)
        if (!ini.value(ini::kPorts, QStringLiteral("COM%1").arg(n)))
            complete = false;
    if (!complete) {
        QtSerialLink::storePorts(ini);
        try {
            ini.save();
        } catch (const FileError& e) {
            if (why)
                *why = e.message();
            return false;
        }
    }
#endif
    return true;
}

void LinkSession::saveDtrans()
{
    dtrans.store(ini);
    QtSerialLink::storePorts(ini);
    ini.save();
}

bool LinkSession::openPort(QString* why)
{
    port.close();
    applyDtrans();
    if (port.open())
        return true;
    if (why)
        *why = port.errorString();
    log.add(port.errorString());
    return false;
}

QString LinkSession::portStatusText() const
{
    return QStringLiteral("СОМ%1,%2,8,N,2").arg(port.comNumber()).arg(port.baud());
}

} // namespace vkm
