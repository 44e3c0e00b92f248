// The fault matrix: the application against vkm-sim, every operation that
// talks to the controller under every fault the line can have. Each row
// checks the message the user sees, that the settings are kept where a
// failure must not touch them, that the window stayed alive during the
// exchange, and that once the fault has gone the same operation succeeds.

#include "app/readcontroller.h"
#include "app/sdimain.h"
#include "app/setup.h"
#include "app/writecontroller.h"
#include "core/defaults.h"
#include "core/image.h"
#include "core/state.h"
#include "editors/analogmodule.h"
#include "editors/relay.h"
#include "link/flashdump.h"
#include "link/live.h"
#include "link/online.h"
#include "link/session.h"
#include "scriptedprompter.h"
#include "service/readcontrollerxmemory.h"
#include "simfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace vkm;

namespace {

enum class Op { ReadAll, WriteAll, Online, WriteOnLine, Live, FlashDump };

// What each operation is, where a fault that aims at it strikes, and when
// the silence or the kill comes.
struct OpInfo {
    Op op;
    const char* name;
    const char* target;  // the request the fault aims at
    int silentAfter;     // requests answered before the line goes silent
    int killAt;          // the request during whose reply vkm-sim dies
};

const OpInfo kOps[] = {
    // block 100 of 256
    {Op::ReadAll, "read all", "cmd=4,addr=0x320,addrto=0x320", 100, 30},
    // block 100, after three MathOff
    {Op::WriteAll, "write all", "cmd=5,addr=0x320,addrto=0x320", 50, 30},
    // the probe passes; block 100 of the read
    {Op::Online, "on-line", "cmd=4,addr=0x320,addrto=0x320", 50, 30},
    // the relays' blocks are 176..189: block 184
    {Op::WriteOnLine, "relays Apply on-line", "cmd=5,addr=0x5C0,addrto=0x5C0", 8, 8},
    // the value request of a tick (the ADC code comes first)
    {Op::Live, "analog live values", "cmd=6,space=6", 1, 2},
    // sectors 1 and 2 ticked: block 100 of sector 2
    {Op::FlashDump, "flash dump", "cmd=4,space=2,addr=0x23200,addrto=0x23200", 512 + 100, 512 + 88},
};

enum class Special { None, Silence, Kill, Speed };

struct FaultRow {
    const char* name;
    const char* text;     // vkm-sim's fault; the operation's target is added
    bool global;          // on every request instead of the target
    Special special;
    bool succeeds;        // the operation completes despite it
};

const FaultRow kFaults[] = {
    {"no reply", "noreply", false, Special::None, false},
    {"no reply twice, third attempt answered", "noreply,count=2", false, Special::None, true},
    {"short reply", "short", false, Special::None, false},
    {"wrong sum", "badsum", false, Special::None, false},
    {"extra bytes after every reply", "extra:5", true, Special::None, true},
    {"garbage", "garbage", false, Special::None, false},
    {"noise ahead of the reply", "noise:3", false, Special::None, false},
    // 450 ms before each of the first three bytes of one reply
    {"slow bytes within the timeout", "slowok,bytes=3,count=1", false, Special::None, true},
    {"slow bytes beyond the timeout", "slow", false, Special::None, false},
    {"slow bytes beyond the timeout once", "slow,count=1", false, Special::None, true},
    {"silence after N requests", "", false, Special::Silence, false},
    {"simulator killed mid-reply", "", false, Special::Kill, false},
    {"wrong line speed", "", false, Special::Speed, false},
};

const QString kReceived = QStringLiteral("Information: Данные получены!");
const QString kReadFailed = QStringLiteral("Error: Ошибка чтения!");
const QString kWritten = QStringLiteral("Information: Данные записаны в контроллер!");
const QString kWriteFailed = QStringLiteral("Error: Ошибка записи данных!");
const QString kOnlineProbeOk = QStringLiteral(
    "Information: Прибор подключен в режиме OnLine!. Сейчас произойдет чтение настроек из прибора!");
const QString kNotConnected = QStringLiteral("Error: Прибор не подключен!");

// What vkm-sim's program memory holds: the bytes of flash sector n.
QByteArray sectorBytes(int sector)
{
    QByteArray b(int(kFlashSectorSize), 0);
    for (uint32_t i = 0; i < kFlashSectorSize; ++i) {
        const uint32_t a = uint32_t(sector) * kFlashSectorSize + i;
        b[int(i)] = char(a + 3 * (a >> 8) + 7 * (a >> 16));
    }
    return b;
}

QByteArray bytesOf(const SettingsRecord& r) { return QByteArray(reinterpret_cast<const char*>(r.bytes()), kSettingsSize); }
QByteArray imageOf(const SettingsRecord& r)
{
    ImageBuffer image{};
    PackImage(r, image);
    return QByteArray(reinterpret_cast<const char*>(image.data()), kImageSize);
}

// The controller's settings: factory values with a few of its own.
SettingsRecord controllerSettings()
{
    SettingsRecord r{};
    ResetDefaults(r);
    r.ChannelUse[2] = 1;
    r.ScaleInMax[2] = 2500;
    r.ScaleOutMax[2] = 10000;
    r.RelayUse[5] = 1;
    return r;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SimFixture> sim;
    std::unique_ptr<LinkSession> link;
    std::unique_ptr<TSDIAppForm> form;
    // editors the application shows from its menu, given its context
    std::unique_ptr<TFormRelay> relayEditor;
    std::unique_ptr<TFormAnalogModule> analogEditor;
    ScriptedPrompter prompts;

    QString path(const char* name) { return dir.filePath(QLatin1String(name)); }

    bool startSim()
    {
        sim = std::make_unique<SimFixture>();
        if (!sim->start({"--link", path("line"), "--eeprom", path("eeprom.bin")})) {
            qWarning("%s", qPrintable(sim->error()));
            return false;
        }
        return true;
    }

    bool startApp()
    {
        QFile ini(path("vkm.ini"));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        ini.write(QStringLiteral("[Ports]\nCOM1=%1\n").arg(path("line")).toUtf8());
        ini.close();
        link = std::make_unique<LinkSession>(path("vkm.ini"));
        form = std::make_unique<TSDIAppForm>(*link, prompts);
        relayEditor = std::make_unique<TFormRelay>(form->context());
        analogEditor = std::make_unique<TFormAnalogModule>(form->context());
        form->show();
        return QTest::qWaitForWindowExposed(form.get()) && link->port.isOpen();
    }

    TFormSetup* setup() { return form->dialogs().FormSetup; }
    TFormRelay* relays() { return relayEditor.get(); }
    TFormAnalogModule* analog() { return analogEditor.get(); }
    TFormReadControllerXMemory* dump() { return form->dialogs().FormReadControllerXMemory; }
    QString dumpDir() { return path("dump"); }
    QByteArray dumpFile(int sector)
    {
        QFile f(QDir(dumpDir()).filePath(sectorFileName(sector)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool dumpFileExists(int sector) { return QFile::exists(QDir(dumpDir()).filePath(sectorFileName(sector))); }

    // Opens the dialogs an operation works in, before its fault is set.
    void prepare(Op op)
    {
        if (op == Op::WriteOnLine) {
            OnlineMode = true;
            ApplyCaption = applyCaptionOnline();
            relays()->show();
            relays()->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(4); // K-4
        } else if (op == Op::Live) {
            Settings.ChannelUse[2] = 1;
            QVERIFY(sim->setLive(5, 2, 1500));
            QVERIFY(sim->setLive(6, 2, 1234));
            analog()->show();
            analog()->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(2);
            // ticks come from the test
            analog()->pollCycle().TimerAnalog.setInterval(24 * 3600 * 1000);
            QVERIFY(analog()->pollCycle().running());
        } else if (op == Op::FlashDump) {
            QDir(dumpDir()).removeRecursively();
            QVERIFY(QDir().mkpath(dumpDir()));
            dump()->setDirectory(dumpDir());
            dump()->show();
            for (int n = 1; n <= kFlashSectors; ++n)
                dump()->findChild<QCheckBox*>(QStringLiteral("Sector%1").arg(n))->setChecked(n <= 2);
        }
    }

    // Runs the operation once, as the user would start it.
    void run(Op op)
    {
        switch (op) {
        case Op::ReadAll: form->dialogs().FormReadController->Button1->click(); break;
        case Op::WriteAll: form->dialogs().FormWriteController->Button1->click(); break;
        case Op::Online:
            OnlineMode = false;
            setup()->BitBtn1->click();
            break;
        case Op::WriteOnLine: {
            auto* use = relays()->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
            use->setChecked(!use->isChecked());
            relays()->findChild<QPushButton*>(QStringLiteral("Button3"))->click();
            break;
        }
        case Op::Live:
            analog()->pollCycle().tickNow();
            break;
        case Op::FlashDump:
            dump()->findChild<QPushButton*>(QStringLiteral("btRead"))->click();
            break;
        }
    }

    QString liveValue() { return analog()->findChild<QLineEdit*>(QStringLiteral("Edit2"))->text(); }
    QString liveCode() { return analog()->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(); }

    // The outcome of a run that failed.
    void checkFailed(Op op, Special special, const QByteArray& settingsBefore)
    {
        switch (op) {
        case Op::ReadAll:
            QCOMPARE(prompts.last(), kReadFailed);
            QCOMPARE(form->dialogs().FormReadController->Edit1->text(), QStringLiteral("Error read data!"));
            QCOMPARE(bytesOf(Settings), settingsBefore);
            QVERIFY(form->dialogs().FormReadController->Button1->isEnabled());
            break;
        case Op::WriteAll:
            QCOMPARE(prompts.last(), kWriteFailed);
            QCOMPARE(form->dialogs().FormWriteController->Edit1->text(), QStringLiteral("Error write data!"));
            QCOMPARE(bytesOf(Settings), settingsBefore);
            if (special == Special::None)
                QVERIFY(sim->mathState().on); // calculations switched back on
            break;
        case Op::Online:
            // a controller that never answers fails the probe; one that
            // stops during the read fails the read: either way off-line,
            // with the settings that were open
            QCOMPARE(prompts.last(), special == Special::Speed ? kNotConnected : kReadFailed);
            QVERIFY(!OnlineMode);
            QCOMPARE(ApplyCaption, applyCaptionOffline());
            QCOMPARE(setup()->BitBtn1->text(), QStringLiteral("OnLine"));
            QCOMPARE(bytesOf(Settings), settingsBefore);
            break;
        case Op::WriteOnLine:
            QCOMPARE(prompts.last(), kWriteFailed);
            QCOMPARE(form->dialogs().FormWriteController->Edit1->text(), QStringLiteral("Error write data!"));
            QVERIFY(relays()->isVisible());
            if (special == Special::None)
                QVERIFY(sim->mathState().on);
            break;
        case Op::Live:
            QCOMPARE(liveValue(), liveErrorText());
            QVERIFY(!prompts.shown.contains(kReceived)); // a poll shows no box
            QCOMPARE(bytesOf(Settings), settingsBefore);
            break;
        case Op::FlashDump: {
            QCOMPARE(prompts.last(), kReadFailed);
            QCOMPARE(dump()->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("Error read data!"));
            QVERIFY(!dump()->running());
            // The files hold what was read before the failure, block by
            // block, and every byte of them is the controller's; the sector
            // after the failing one is not begun.
            if (special == Special::Speed) {
                QCOMPARE(dumpFile(1).size(), qsizetype(0));
                QVERIFY(!dumpFileExists(2));
            } else {
                QCOMPARE(dumpFile(1), sectorBytes(1));
                const QByteArray two = dumpFile(2);
                QCOMPARE(two.size() % kFlashBlockSize, qsizetype(0));
                if (special != Special::Kill)
                    QCOMPARE(two.size(), qsizetype(100 * kFlashBlockSize));
                QCOMPARE(two, sectorBytes(2).left(two.size()));
            }
            QVERIFY(!dumpFileExists(3));
            QCOMPARE(bytesOf(Settings), settingsBefore);
            break;
        }
        }
        // a port that died is reported once, in the general error box
        const QStringList portErrors = prompts.shown.filter(QRegularExpression(QStringLiteral("^Error: COM1 \\(.*\\) failed: ")));
        QCOMPARE(portErrors.size(), special == Special::Kill ? 1 : 0);
        for (const QString& ok : {kReceived, kWritten})
            QVERIFY2(!prompts.shown.contains(ok), qPrintable(prompts.shown.join('|')));
    }

    // The outcome of a run that succeeded: the data moved whole.
    void checkSucceeded(Op op)
    {
        switch (op) {
        case Op::ReadAll: {
            QCOMPARE(prompts.last(), kReceived);
            SettingsRecord expected = controllerSettings();
            QCOMPARE(imageOf(Settings), imageOf(expected));
            QCOMPARE(Settings.ScaleInMax[2], 2500);
            break;
        }
        case Op::WriteAll:
            QCOMPARE(prompts.last(), kWritten);
            QCOMPARE(sim->eeprom(), imageOf(Settings));
            QVERIFY(sim->mathState().on);
            break;
        case Op::Online:
            QCOMPARE(prompts.shown, (QStringList{kOnlineProbeOk, kReceived}));
            QVERIFY(OnlineMode);
            QCOMPARE(Settings.ScaleInMax[2], 2500);
            QCOMPARE(imageOf(Settings), imageOf(controllerSettings()));
            break;
        case Op::WriteOnLine:
            QCOMPARE(prompts.shown, QStringList{kWritten});
            QCOMPARE(sim->eeprom().mid(1408, 112), imageOf(Settings).mid(1408, 112));
            break;
        case Op::Live:
            QCOMPARE(liveCode(), QStringLiteral("1500"));
            QCOMPARE(liveValue(), liveScaled(1234, 100));
            QVERIFY(prompts.shown.isEmpty());
            break;
        case Op::FlashDump:
            QCOMPARE(prompts.shown, QStringList{kReceived});
            QCOMPARE(dump()->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("Read data Ok!"));
            QCOMPARE(dumpFile(1), sectorBytes(1));
            QCOMPARE(dumpFile(2), sectorBytes(2));
            QVERIFY(!dumpFileExists(3));
            break;
        }
    }

private slots:
    void initTestCase()
    {
        QFile f(path("eeprom.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(imageOf(controllerSettings()));
    }
    void init()
    {
        prompts.clear();
        OnlineMode = false;
        ApplyCaption = applyCaptionOffline();
        ResetDefaults(Settings);
        Settings.ScaleInMax[3] = 777; // the settings open before the operation
    }
    void cleanup()
    {
        QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('|'))));
        relayEditor.reset();
        analogEditor.reset();
        form.reset();
        link.reset();
        sim.reset();
        OnlineMode = false;
        ApplyCaption = applyCaptionOffline();
    }

    // One test function per operation (CTest runs each on its own, side by
    // side: the rows mostly wait for reply timeouts), one row per fault.
    void readAll_data() { faultRows(); }
    void readAll() { runRow(Op::ReadAll); }
    void writeAll_data() { faultRows(); }
    void writeAll() { runRow(Op::WriteAll); }
    void online_data() { faultRows(); }
    void online() { runRow(Op::Online); }
    void applyOnline_data() { faultRows(); }
    void applyOnline() { runRow(Op::WriteOnLine); }
    void liveValues_data() { faultRows(); }
    void liveValues() { runRow(Op::Live); }
    void flashDump_data() { faultRows(); }
    void flashDump() { runRow(Op::FlashDump); }

private:
    static void faultRows()
    {
        QTest::addColumn<int>("fault");
        for (int f = 0; f < int(std::size(kFaults)); ++f)
            QTest::newRow(kFaults[f].name) << f;
    }

    void runRow(Op op)
    {
        QFETCH(int, fault);
        const OpInfo& info = *std::find_if(std::begin(kOps), std::end(kOps), [op](const OpInfo& i) { return i.op == op; });
        const FaultRow& row = kFaults[fault];
        QVERIFY(startSim());
        QVERIFY(startApp());
        prepare(info.op);
        prompts.clear();
        QVERIFY(sim->resetCounters());

        QTimer killer;
        switch (row.special) {
        case Special::None:
            QVERIFY(sim->fault(row.global ? QString::fromLatin1(row.text)
                                          : QStringLiteral("%1,%2").arg(QLatin1String(row.text), QLatin1String(info.target))));
            break;
        case Special::Silence:
            QVERIFY(sim->silentAfter(info.silentAfter));
            break;
        case Special::Kill:
            // the reply to the request killAt comes slowly, and vkm-sim dies
            // in the middle of it
            QVERIFY(sim->fault(QStringLiteral("slowok:100,req=%1,count=1").arg(info.killAt)));
            killer.setInterval(5);
            connect(&killer, &QTimer::timeout, this, [&] {
                if (sim->running() && sim->requestCount() >= info.killAt) {
                    sim->kill();
                    killer.stop();
                }
            });
            killer.start();
            break;
        case Special::Speed:
            QVERIFY(sim->command(QStringLiteral("set-speed 19200")));
            break;
        }

        const QByteArray before = bytesOf(Settings);
        bool running = true;
        bool alive = false; // the window's events were served during the exchange
        QObject scope; // the check ends with this row
        QTimer::singleShot(0, &scope, [&] { alive = running; });
        run(info.op);
        running = false;
        killer.stop();
        QVERIFY(alive);
        if (row.succeeds)
            checkSucceeded(info.op);
        else
            checkFailed(info.op, row.special, before);
        if (QTest::currentTestFailed())
            return;

        // The fault goes away; the next operation succeeds.
        switch (row.special) {
        case Special::Kill:
            QVERIFY(!sim->running());
            QVERIFY(startSim());
            setup()->comItems[0]->click(); // the user opens the port again
            QVERIFY(link->port.isOpen());
            break;
        case Special::Speed:
            setup()->baudItems[3]->click(); // the port to the controller's 19200
            QCOMPARE(link->port.baud(), 19200);
            break;
        default:
            QVERIFY(sim->clearFaults());
            break;
        }
        if (info.op == Op::Live) {
            QVERIFY(sim->setLive(5, 2, 1500));
            QVERIFY(sim->setLive(6, 2, 1234));
        }
        prompts.clear();
        run(info.op);
        checkSucceeded(info.op);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
