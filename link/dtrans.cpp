#include "link/dtrans.h"

#include "link/inifile.h"

namespace vkm {

void DtransValues::load(const IniFile& ini)
{
    using namespace ini;
    const auto text = [&](const QString& key, QString& field) {
        if (const auto v = ini.value(kDtrans, key))
            field = v->trimmed();
    };
    const auto number = [&](const QString& key, int& field, int lo, int hi) {
        if (const auto v = ini.intValue(kDtrans, key); v && *v >= lo && *v <= hi)
            field = *v;
    };
    number(kTimeWait, timeWait, 0, 1000000);
    text(kAdrOut, adrOut);
    text(kAdrIn, adrIn);
    text(kByteIn, byteIn);
    text(kByteOut, byteOut);
    number(kAdrConEdit, linkAddress, 0, 255);
    if (const auto v = ini.value(kDtrans, kActivePage)) {
        const QString page = v->trimmed();
        for (const char* name : {"TabSheet1", "TabSheet2", "TabSheet3"})
            if (page.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                activePage = QLatin1String(name);
    }
    number(kBaud, baud, 1, 100000000);
    number(kComNumber, comNumber, 1, 9);
}

void DtransValues::store(IniFile& ini) const
{
    using namespace ini;
    ini.setInt(kDtrans, kTimeWait, timeWait);
    ini.setValue(kDtrans, kAdrOut, adrOut.trimmed());
    ini.setValue(kDtrans, kAdrIn, adrIn.trimmed());
    ini.setValue(kDtrans, kByteIn, byteIn.trimmed());
    ini.setValue(kDtrans, kByteOut, byteOut.trimmed());
    ini.setInt(kDtrans, kAdrConEdit, linkAddress);
    ini.setValue(kDtrans, kActivePage, activePage);
    ini.setInt(kDtrans, kBaud, baud);
    ini.setInt(kDtrans, kComNumber, comNumber);
}

} // namespace vkm
