#pragma once
// vkm-sim on a pseudo-terminal with the link session open on it, scripted
// boxes, and the context the dialogs are given, whose on-line write records
// its range and then writes for real.
//
//     SimRig rig;
//     QVERIFY2(rig.start({"--eeprom", file}), qPrintable(rig.why));
//     TFormRelay dlg(*rig.ctx);

#include "app/ui/context.h"
#include "link/session.h"
#include "link/transfer.h"
#include "scriptedprompter.h"
#include "simfixture.h"

#include <QLocale>
#include <QTemporaryDir>

#include <memory>

namespace vkm {

// A decimal text as the current locale writes it: dec("5.00") is "5,00"
// under a comma locale.
inline QString dec(QString s)
{
    return s.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

struct SimRig {
    QTemporaryDir dir;
    SimFixture sim;
    std::unique_ptr<LinkSession> link;
    ScriptedPrompter prompts;
    QList<QPair<int, int>> writes; // every on-line write range, in order
    std::unique_ptr<AppContext> ctx;
    QString why;

    bool start(const QStringList& options = {})
    {
        if (!sim.start(options)) {
            why = sim.error();
            return false;
        }
        link = std::make_unique<LinkSession>(dir.filePath(QStringLiteral("vkm.ini")));
        link->port.setDevice(sim.ptyPath());
        if (!link->port.open()) {
            why = link->port.errorString();
            return false;
        }
        ctx.reset(new AppContext{link->protocol, prompts, [this](int from, int to) {
                                     writes << qMakePair(from, to);
                                     return WriteOnLine(link->protocol, from, to);
                                 }});
        return true;
    }
    Protocol& protocol() { return link->protocol; }
};

} // namespace vkm
