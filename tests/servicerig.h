#pragma once
// What the service dialog suites share: vkm-sim on a pseudo-terminal, the
// link session on it, scripted boxes, a context whose on-line write records
// its ranges and writes for real, and the requests the simulator saw, by
// what they do.

#include "app/ui/context.h"
#include "link/online.h"
#include "link/session.h"
#include "link/transfer.h"
#include "simrig.h"

#include <QAbstractButton>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

namespace vkm {

inline QList<uint8_t> wireBytes(const QString& line)
{
    QList<uint8_t> b;
    for (const QString& h : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        b << uint8_t(h.toUInt(nullptr, 16));
    return b;
}

// One request as the controller saw it: its address byte (-1: none) and the
// frame from the command byte to the sum.
struct WireRequest {
    int address = -1;
    QList<uint8_t> frame;
    uint32_t param() const { return frame.size() >= 4 ? frame[1] | (frame[2] << 8) | (frame[3] << 16) : 0; }
};

inline WireRequest wireRequest(const QString& line)
{
    QList<uint8_t> b = wireBytes(line);
    // Frame lengths by command: 1 WriteByte 7, 4 ReadBlock 7, 5 WriteBlock
    // 14, 6 ReadWord 6, 8 panel 24.
    static const QMap<int, int> lengths{{1, 7}, {4, 7}, {5, 14}, {6, 6}, {8, 24}};
    WireRequest r;
    if (b.size() >= 2 && lengths.value(b[1]) == b.size() - 1)
        r.address = b.takeFirst();
    r.frame = b;
    return r;
}

// ReadWord requests as "code:param" ("12:131", "255:0"), block reads as
// "read 0x30000", block writes as "block 19", anything else as its hex.
inline QStringList describe(const QStringList& wire)
{
    QStringList out;
    for (const QString& line : wire) {
        const WireRequest r = wireRequest(line);
        const auto& f = r.frame;
        if (f.size() == 6 && f[0] == 6)
            out << QStringLiteral("%1:%2").arg(f[4]).arg(r.param());
        else if (f.size() == 7 && f[0] == 4)
            out << QStringLiteral("read 0x%1").arg(QString::number(r.param(), 16).toUpper());
        else if (f.size() == 14 && f[0] == 5)
            out << QStringLiteral("block %1").arg(r.param() / 8);
        else
            out << line;
    }
    return out;
}

struct ServiceRig : SimRig {
    QStringList requests() { return describe(sim.requestLog()); }
};

inline void setOnline(bool on)
{
    OnlineMode = on;
    ApplyCaption = on ? applyCaptionOnline() : applyCaptionOffline();
}

template <class T> T* named(QWidget& w, const QString& name)
{
    T* c = w.findChild<T*>(name);
    if (!c)
        qFatal("no child %s", qPrintable(name));
    return c;
}

// As the user's click: nothing when the button is disabled; a check box
// toggles and emits clicked().
inline void click(QWidget& w, const QString& button)
{
    named<QAbstractButton>(w, button)->click();
}

// A grab of the dialog for a look, when VKM_GRAB_DIR names a folder.
inline void grab(QWidget& w, const char* name)
{
    const QString dir = qEnvironmentVariable("VKM_GRAB_DIR");
    if (!dir.isEmpty())
        w.grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png"));
}

} // namespace vkm
