// The service terminal against vkm-sim: the address and value texts, the
// word read and the byte written on the line, TerminalBusy, the math
// buttons, the panel frame and its cycle (the address it puts back, a second
// "Start", a hidden terminal), section "Dtrans" and the log pane. Run under
// a point locale and under a comma locale.

#include "service/datetrans.h"
#include "service/terminaltext.h"

#include "link/inifile.h"
#include "servicerig.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <stdexcept>

using namespace vkm;

class TstTerminal : public QObject {
    Q_OBJECT

    std::unique_ptr<ServiceRig> rig;
    std::unique_ptr<TDateTrans> dlg;

    QLineEdit* edit(const char* name) { return named<QLineEdit>(*dlg, name); }
    QList<WireRequest> panelRequests()
    {
        QList<WireRequest> out;
        for (const QString& line : rig->sim.requestLog())
            if (const WireRequest r = wireRequest(line); !r.frame.isEmpty() && r.frame[0] == 8)
                out << r;
        return out;
    }
    // Starts the terminal with "Adr:" as section "Dtrans" holds it.
    void openWithAddress(int address)
    {
        rig->link->dtrans.linkAddress = address;
        rig->link->saveDtrans();
        dlg->show();
        QCOMPARE(int(rig->protocol().LinkAddress), address);
    }

private slots:
    void init()
    {
        rig = std::make_unique<ServiceRig>();
        QVERIFY2(rig->start(), qPrintable(rig->why));
        dlg = std::make_unique<TDateTrans>(*rig->ctx, *rig->link);
    }
    void cleanup()
    {
        QVERIFY2(rig->prompts.unexpected.isEmpty(), qPrintable(rig->prompts.unexpected.join('|')));
        dlg.reset();
        rig.reset();
    }

    // ---- Text rules ------------------------------------------------------

    void addressAndValueTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isValue");
        QTest::addColumn<qlonglong>("number"); // -1: refused
        QTest::newRow("$1008") << "$1008" << false << 4104LL;
        QTest::newRow("1008 decimal") << "1008" << false << 1008LL;
        QTest::newRow("0x1008 loses the x") << "0x1008" << false << 1008LL;
        QTest::newRow("blanks and letters dropped") << " $10 08h" << false << 4104LL;
        QTest::newRow("address empty") << "" << false << -1LL;
        QTest::newRow("address $ alone") << "$" << false << -1LL;
        QTest::newRow("address 2 dollars") << "$1$2" << false << -1LL;
        QTest::newRow("address past 32 bits") << "$100000000" << false << -1LL;
        QTest::newRow("value 0301") << "0301" << true << 769LL;
        QTest::newRow("value 1FF") << "1FF" << true << 511LL;
        QTest::newRow("value lower case") << "ff" << true << 255LL;
        QTest::newRow("value empty") << "" << true << -1LL;
        QTest::newRow("value of no digit") << "xyz" << true << -1LL;
    }
    void addressAndValueTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, isValue);
        QFETCH(qlonglong, number);
        try {
            const uint32_t v = isValue ? terminalValue(text) : terminalAddress(text);
            QCOMPARE(qlonglong(v), number);
        } catch (const std::runtime_error& e) {
            QVERIFY2(number < 0, e.what());
            const QString filtered = (isValue ? QStringLiteral("$") : QString()) + filterHexText(text);
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("'%1' is not a valid integer value").arg(filtered));
        }
    }

    void binaryAndWordTexts()
    {
        QCOMPARE(HexToBinaryText("0301"), QStringLiteral("0000 0011 0000 0001 "));
        QCOMPARE(HexToBinaryText("aF-x"), QStringLiteral("1010 1111 "));
        QCOMPARE(terminalWordText(769), QStringLiteral("0301  (769)"));
        QCOMPARE(terminalWordText(0xABCD), QStringLiteral("ABCD  (43981)"));
        QCOMPARE(HexToBinaryText(terminalWordText(769)),
                 QStringLiteral("0000 0011 0000 0001 0111 0110 1001 "));
    }

    // ---- Byte page on the line -------------------------------------------

    void readTheWorkedExample()
    {
        dlg->show();
        grab(*dlg, "datetrans");
        QCOMPARE(edit("AdrIn")->text(), QStringLiteral("$1022"));
        QVERIFY(named<QRadioButton>(*dlg, "Space2")->isChecked()); // "Memory"
        click(*dlg, "SpeedButton4");
        QCOMPARE(rig->sim.requestLog(), QStringList{"01 06 22 10 00 02 C5"});
        const QByteArray m = rig->sim.readMemory(2, 0x1022, 2);
        const uint16_t word = uint8_t(m[0]) | uint8_t(m[1]) << 8;
        QCOMPARE(edit("ByteIn")->text(), terminalWordText(word));
        QCOMPARE(edit("ByteInBin")->text(), HexToBinaryText(terminalWordText(word)));
    }

    void readAddressWithPrefix0x()
    {
        dlg->show();
        edit("AdrIn")->setText("0x1008");
        click(*dlg, "Space3"); // "EEPROM"
        click(*dlg, "SpeedButton4");
        const QList<WireRequest> r{wireRequest(rig->sim.requestLog().value(0))};
        QCOMPARE(r[0].param(), 1008u);
        QCOMPARE(int(r[0].frame.value(4)), 3);
    }

    void writeKeepsTheLowByte()
    {
        dlg->show();
        edit("AdrOut")->setText("$1008");
        edit("ByteOut")->setText("1FF");
        QCOMPARE(edit("ByteOutBin")->text(), QStringLiteral("0001 1111 1111 "));
        click(*dlg, "SetAdrBtn");
        QCOMPARE(rig->sim.readMemory(2, 0x1008, 1), QByteArray("\xFF"));
        const WireRequest w = wireRequest(rig->sim.requestLog().value(0));
        QCOMPARE(w.param(), 0x1008u);
        QCOMPARE(int(w.frame.value(4)), 0xFF);
        QCOMPARE(rig->link->log.lines().mid(0, 2), (QStringList{"Transmit data...", "Ok!"}));
        QVERIFY(rig->prompts.shown.isEmpty());
    }

    void emptyValueIsRefused()
    {
        dlg->show();
        edit("ByteOut")->setText("");
        click(*dlg, "SetAdrBtn");
        QCOMPARE(rig->prompts.shown, QStringList{"Error: '$' is not a valid integer value"});
        QCOMPARE(rig->sim.requestCount(), 0);
        QVERIFY(!dlg->TerminalBusy());
        edit("ByteOut")->setText("12"); // the next click goes through
        click(*dlg, "SetAdrBtn");
        QCOMPARE(rig->sim.requestCount(), 1);
    }

    void failedReadShowsError()
    {
        dlg->show();
        QVERIFY(rig->sim.fault("badsum,cmd=6"));
        click(*dlg, "SpeedButton4");
        QCOMPARE(edit("ByteIn")->text(), QStringLiteral("Error"));
        QVERIFY(rig->prompts.shown.isEmpty());
    }

    void terminalBusyIgnoresTheOtherButtons()
    {
        dlg->show();
        QVERIFY(rig->sim.fault("slow:250,cmd=1"));
        bool busyDuringWait = false;
        QTimer::singleShot(150, dlg.get(), [&] {
            busyDuringWait = dlg->TerminalBusy();
            click(*dlg, "SpeedButton4");
            click(*dlg, "BitBtn2");
            click(*dlg, "SetAdrBtn");
        });
        click(*dlg, "SetAdrBtn");
        QVERIFY(busyDuringWait);
        QVERIFY(!dlg->TerminalBusy());
        QCOMPARE(rig->sim.requestCount(), 1);
    }

    void mathButtons()
    {
        dlg->show();
        click(*dlg, "BitBtn2");
        QCOMPARE(rig->sim.mathState().offCount, 1);
        QVERIFY(!rig->sim.mathState().on);
        QVERIFY(edit("ByteIn")->text().endsWith(")"));
        click(*dlg, "BitBtn4");
        QCOMPARE(rig->sim.mathState().onCount, 1);
        QCOMPARE(rig->requests(), (QStringList{"255:0", "254:0"}));
    }

    // ---- Panel ---------------------------------------------------------------

    void panelFrame()
    {
        dlg->show();
        edit("PanelWeight")->setText(dec("12.34"));
        edit("PanelReach")->setText(dec("-2.135"));
        edit("PanelSumWeight")->setText(dec("1000.00"));
        named<QSpinBox>(*dlg, "PanelYear")->setValue(2008);
        named<QSpinBox>(*dlg, "PanelHoursRun")->setValue(0x01020304);
        named<QSpinBox>(*dlg, "PanelAlarm")->setValue(257);
        QVERIFY(rig->sim.setTare(1250));
        click(*dlg, "BitBtn1");
        const QByteArray f = rig->sim.lastPanelFrame();
        QCOMPARE(f.size(), 22);
        QCOMPARE(f.mid(0, 2), QByteArray::fromHex("D204"));     // 1234
        QCOMPARE(f.mid(2, 2), QByteArray::fromHex("2AFF"));     // -213.5 to -214
        QCOMPARE(uint8_t(f[8]), uint8_t(216));                  // 2008
        QCOMPARE(f.mid(9, 4), QByteArray::fromHex("04030201"));
        QCOMPARE(f.mid(13, 4), QByteArray::fromHex("A0860100")); // 100000
        QCOMPARE(uint8_t(f[21]), uint8_t(1));
        QCOMPARE(edit("PanelTare")->text(), dec("12.50"));
        const QList<WireRequest> sent = panelRequests();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].address, 2);
        QCOMPARE(rig->link->log.lines(), (QStringList{"Read data...", "Ok!"}));
        named<QTabWidget>(*dlg, "PageControl1")->setCurrentIndex(1);
        grab(*dlg, "datetrans-panel");
        named<QTabWidget>(*dlg, "PageControl1")->setCurrentIndex(2);
        grab(*dlg, "datetrans-test");
    }

    void panelReplyOutcomes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("tare");
        // A complete reply ends the pass, whatever its sum, and gives the tare.
        QTest::newRow("wrong sum") << "badsum,cmd=8" << QStringList{"Read data...", "Ok!"} << 1 << dec("3.00");
        QTest::newRow("no reply") << "noreply,cmd=8"
                                  << QStringList{"Read data...", "...", "...", "...", "!!! Error !!!"} << 3
                                  << dec("0.00");
    }
    void panelReplyOutcomes()
    {
        QFETCH(QString, fault);
        QFETCH(int, frames);
        dlg->show();
        QVERIFY(rig->sim.setTare(300));
        QVERIFY(rig->sim.fault(fault));
        click(*dlg, "BitBtn1");
        QTEST(rig->link->log.lines(), "log");
        QCOMPARE(panelRequests().size(), frames);
        QTEST(edit("PanelTare")->text(), "tare");
        QVERIFY(rig->prompts.shown.isEmpty());
    }

    void panelFieldThatIsNoNumber()
    {
        dlg->show();
        edit("PanelWeight")->setText("12x");
        click(*dlg, "BitBtn1");
        QCOMPARE(rig->prompts.shown, QStringList{"Error: '12x' is not a valid floating point value"});
        QCOMPARE(rig->sim.requestCount(), 0);
        QCOMPARE(int(rig->protocol().LinkAddress), 1);
        QVERIFY(!dlg->panelRunning());
    }

    void panelRestoresTheAddressFound_data()
    {
        QTest::addColumn<int>("address");
        QTest::newRow("0, no address byte") << 0;
        QTest::newRow("1") << 1;
        QTest::newRow("7") << 7;
    }
    void panelRestoresTheAddressFound()
    {
        QFETCH(int, address);
        openWithAddress(address);
        click(*dlg, "BitBtn1");
        QCOMPARE(panelRequests().value(0).address, 2);
        QCOMPARE(int(rig->protocol().LinkAddress), address);
        QCOMPARE(named<QSpinBox>(*dlg, "AdrConEdit")->value(), address);
    }

    void secondStartDuringCycleStartsNothing()
    {
        openWithAddress(1);
        named<QCheckBox>(*dlg, "CheckCycle")->setChecked(true);
        int passesAtSecondStart = -1;
        QTimer::singleShot(450, dlg.get(), [&] {
            passesAtSecondStart = int(panelRequests().size());
            QVERIFY(dlg->panelRunning());
            click(*dlg, "BitBtn1"); // returns at once when it starts nothing
            click(*dlg, "SpeedButton4"); // would go to the panel's address
            QCOMPARE(rig->sim.requestLog().size(), passesAtSecondStart);
            named<QCheckBox>(*dlg, "CheckCycle")->setChecked(false);
        });
        click(*dlg, "BitBtn1");
        QVERIFY(passesAtSecondStart >= 1);
        QVERIFY(!dlg->panelRunning());
        // A nested cycle would have found 2 and put 2 back.
        QCOMPARE(int(rig->protocol().LinkAddress), 1);
        for (const WireRequest& r : panelRequests())
            QCOMPARE(r.address, 2);
    }

    void hidingEndsTheCycleAfterItsPass()
    {
        openWithAddress(1);
        named<QCheckBox>(*dlg, "CheckCycle")->setChecked(true);
        QVERIFY(rig->sim.fault("slow:80,cmd=8"));
        bool hiddenDuringPass = false;
        QTimer::singleShot(100, dlg.get(), [&] {
            hiddenDuringPass = rig->protocol().busy();
            click(*dlg, "ExitButton");
        });
        click(*dlg, "BitBtn1");
        QVERIFY(hiddenDuringPass);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(panelRequests().size(), 1);
        QCOMPARE(int(rig->protocol().LinkAddress), 1);
        // The terminal wrote its section while the cycle held address 2: the
        // address remembered is the one the cycle puts back.
        IniFile ini(rig->link->ini.path());
        ini.load();
        QCOMPARE(ini.intValue(ini::kDtrans, ini::kAdrConEdit), std::optional<int>(1));
        rig->sim.resetCounters();
        QTest::qWait(3 * TDateTrans::kPanelPauseMs);
        QCOMPARE(rig->sim.requestCount(), 0);
    }

    void showingAgainDuringThePassKeepsThePanelAddress()
    {
        openWithAddress(1);
        named<QCheckBox>(*dlg, "CheckCycle")->setChecked(true);
        QTimer::singleShot(50, dlg.get(), [&] {
            click(*dlg, "ExitButton");
            dlg->show(); // reads section "Dtrans" into the protocol again
        });
        QTimer::singleShot(700, dlg.get(), [&] { named<QCheckBox>(*dlg, "CheckCycle")->setChecked(false); });
        click(*dlg, "BitBtn1");
        const QList<WireRequest> sent = panelRequests();
        QVERIFY(sent.size() >= 2);
        for (const WireRequest& r : sent)
            QCOMPARE(r.address, 2);
        QCOMPARE(int(rig->protocol().LinkAddress), 1);
    }

    // ---- Dtrans and the log ------------------------------------------------

    void sectionDtransRemembersTheFields()
    {
        dlg->show();
        edit("AdrOut")->setText("  $2000 ");
        edit("ByteOut")->setText("7F");
        edit("AdrIn")->setText("$30");
        named<QTabWidget>(*dlg, "PageControl1")->setCurrentIndex(1);
        click(*dlg, "SpeedButton4");
        const QString read = edit("ByteIn")->text();
        click(*dlg, "ExitButton");
        IniFile ini(rig->link->ini.path());
        ini.load();
        QCOMPARE(ini.value(ini::kDtrans, ini::kAdrOut), std::optional<QString>("$2000"));
        QCOMPARE(ini.value(ini::kDtrans, "PageControl1_ActivePage"), std::optional<QString>("TabSheet2"));

        // Another terminal on the same file shows what this one left.
        TDateTrans other(*rig->ctx, *rig->link);
        other.show();
        QCOMPARE(named<QLineEdit>(other, "ByteOut")->text(), QStringLiteral("7F"));
        QCOMPARE(named<QLineEdit>(other, "AdrIn")->text(), QStringLiteral("$30"));
        QCOMPARE(named<QLineEdit>(other, "ByteIn")->text(), read);
        QCOMPARE(named<QTabWidget>(other, "PageControl1")->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
    }

    void logPaneFollowsTheLog()
    {
        rig->link->log.add("before"); // while hidden
        dlg->show();
        auto* memo = named<QPlainTextEdit>(*dlg, "Memo1");
        QCOMPARE(memo->toPlainText(), QStringLiteral("before"));
        click(*dlg, "SpeedButton4");
        QCOMPARE(memo->toPlainText(), QStringLiteral("before\nRead data...\nOk!"));
        while (!rig->link->log.lines().isEmpty())
            rig->link->log.add("x"); // the 101st line empties the log
        QCOMPARE(memo->toPlainText(), QString());
        rig->link->log.add("after");
        QCOMPARE(memo->toPlainText(), QStringLiteral("after"));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int rc = 0;
    for (const char* name : {"C", "ru_RU"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        qInfo("locale %s", name);
        TstTerminal t;
        rc |= QTest::qExec(&t, argc, argv);
    }
    return rc;
}

#include "tst_terminal.moc"
