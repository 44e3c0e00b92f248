// The channel tests, the DAC calibration and the controller speed dialog
// against vkm-sim: what each tick sends and shows, MathOff/MathOn around the
// channel test (also a close while a tick waits), the calibration's modes and
// its three on-line ranges, and the speed frames. Run under a point locale
// and under a comma locale.

#include "service/cap.h"
#include "service/setspeedcontroller.h"
#include "service/test.h"
#include "service/testall.h"

#include "core/defaults.h"
#include "core/image.h"
#include "core/state.h"
#include "servicerig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

using namespace vkm;

namespace {

QString text(QWidget& w, const char* edit) { return named<QLineEdit>(w, edit)->text(); }
void setSpin(QWidget& w, const char* name, int v) { named<QSpinBox>(w, name)->setValue(v); }
void setReal(QWidget& w, const char* name, double v) { named<QDoubleSpinBox>(w, name)->setValue(v); }
void choose(QWidget& w, const char* combo, int index) { named<QComboBox>(w, combo)->setCurrentIndex(index); }

QStringList times(int n, const QString& s)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << s;
    return out;
}

// A channel test tick as the controller sees it.
QStringList testAllTick(int mask1, int mask2, int dac1, int dac2)
{
    QStringList t{QStringLiteral("12:%1").arg(mask1), QStringLiteral("13:%1").arg(mask2),
                  QStringLiteral("7:%1").arg(dac1), QStringLiteral("8:%1").arg(dac2)};
    for (int c = 0; c < 8; ++c)
        t << QStringLiteral("10:%1").arg(c);
    return t << "11:0" << "9:0";
}

} // namespace

class TstServiceDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<ServiceRig> rig;

    // Closes `dlg` once the protocol waits for a reply; true when it did.
    void closeDuringWait(QDialog& dlg, bool& closedDuringWait)
    {
        QTimer::singleShot(200, &dlg, [&] {
            closedDuringWait = rig->protocol().busy();
            dlg.reject();
        });
    }

private slots:
    void init()
    {
        ResetDefaults(Settings);
        setOnline(false);
        rig = std::make_unique<ServiceRig>();
        QVERIFY2(rig->start(), qPrintable(rig->why));
    }
    void cleanup()
    {
        if (rig)
            QVERIFY2(rig->prompts.unexpected.isEmpty(), qPrintable(rig->prompts.unexpected.join('|')));
        rig.reset();
        setOnline(false);
    }

    // ---- Channel test ----------------------------------------------------

    void testAllTickSetsAndShows()
    {
        TFormTestAll dlg(*rig->ctx);
        dlg.show();
        grab(dlg, "testall");
        for (int relay : {1, 2, 8, 9, 16})
            named<QCheckBox>(dlg, QStringLiteral("Relay%1").arg(relay))->setChecked(true);
        setSpin(dlg, "Dac1", 1000);
        setSpin(dlg, "Dac2", 4095);
        QVERIFY(rig->sim.setLive(11, 0, 0x8001));
        QVERIFY(rig->sim.setLive(10, 0, 32769));
        QVERIFY(rig->sim.setLive(10, 7, 32768));
        QVERIFY(rig->sim.setLive(9, 0, 65535));
        named<QCheckBox>(dlg, "Input5")->setChecked(true); // cleared by the reply
        click(dlg, "CheckBox1");
        QCOMPARE(rig->requests(), QStringList{"255:0"});
        rig->sim.resetCounters();

        dlg.pollCycle().tickNow();
        QCOMPARE(rig->requests(), testAllTick(131, 129, 1000, 4095));
        QCOMPARE(rig->sim.lastRelayMasks(), (QPair<quint16, quint16>(131, 129)));
        QCOMPARE(rig->sim.lastDacCodes(), (QPair<quint16, quint16>(1000, 4095)));
        QCOMPARE(text(dlg, "Channel1"), QStringLiteral("-32767"));
        QCOMPARE(text(dlg, "Channel8"), QStringLiteral("32768"));
        QCOMPARE(text(dlg, "CalcTime"), QStringLiteral("-1"));
        for (int k = 1; k <= 16; ++k)
            QCOMPARE(named<QCheckBox>(dlg, QStringLiteral("Input%1").arg(k))->isChecked(), k == 1 || k == 16);
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive());
        dlg.reject();
    }

    void testAllFailedReadings()
    {
        TFormTestAll dlg(*rig->ctx);
        dlg.show();
        named<QCheckBox>(dlg, "Input3")->setChecked(true);
        click(dlg, "CheckBox1");
        // Every reading fails at once (a wrong sum), the outputs still go out.
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=6,space=9")));
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=6,space=10")));
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=6,space=11")));
        dlg.pollCycle().tickNow();
        QCOMPARE(text(dlg, "Channel4"), QStringLiteral("error"));
        QCOMPARE(text(dlg, "CalcTime"), QStringLiteral("error"));
        QVERIFY(named<QCheckBox>(dlg, "Input3")->isChecked());
        QVERIFY(rig->prompts.shown.isEmpty());
        dlg.reject();
    }

    void testAllMathOffOnEveryClick()
    {
        TFormTestAll dlg(*rig->ctx);
        dlg.show();
        click(dlg, "CheckBox1"); // on
        click(dlg, "CheckBox1"); // off again: MathOff all the same
        QCOMPARE(rig->sim.mathState().offCount, 2);
        QCOMPARE(rig->sim.mathState().onCount, 0);
        QVERIFY(dlg.pollCycle().running());
        rig->sim.resetCounters();
        dlg.pollCycle().tickNow(); // test off: the tick only restarts the timer
        QCOMPARE(rig->sim.requestCount(), 0);
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive());
        dlg.accept();
        QCOMPARE(rig->requests(), QStringList{"254:0"});
        QVERIFY(rig->sim.mathState().on);

        // A MathOff that fails is sent three more times, results unread.
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=6,space=255")));
        rig->sim.resetCounters();
        dlg.show();
        click(dlg, "CheckBox1");
        QCOMPARE(rig->requests(), times(4 * 3, "255:0"));
        dlg.reject();
    }

    void testAllOpenAndCloseSendsMathOn()
    {
        TFormTestAll dlg(*rig->ctx);
        dlg.show();
        named<QCheckBox>(dlg, "CheckBox1")->setChecked(true); // from an earlier opening
        dlg.pollCycle().tickNow(); // not switched on by a click in this showing
        dlg.reject();
        QCOMPARE(rig->requests(), QStringList{"254:0"});
    }

    void testAllCloseDuringTickSendsMathOnAfterItsRequest()
    {
        TFormTestAll dlg(*rig->ctx);
        dlg.show();
        named<QCheckBox>(dlg, "Relay3")->setChecked(true);
        click(dlg, "CheckBox1");
        rig->sim.resetCounters();
        QVERIFY(rig->sim.fault(QStringLiteral("slow:120,cmd=6,space=12")));
        bool closedDuringWait = false;
        closeDuringWait(dlg, closedDuringWait);
        dlg.pollCycle().tickNow();
        QVERIFY(closedDuringWait);
        QVERIFY(!dlg.pollCycle().TimerAnalog.isActive());
        // MathOn after the request the tick was waiting for, and nothing after.
        QCOMPARE(rig->requests(), (QStringList{"12:4", "254:0"}));
        QTest::qWait(2 * PollCycle::kPeriodMs);
        QCOMPARE(rig->requests(), (QStringList{"12:4", "254:0"}));
        QVERIFY(rig->sim.mathState().on);
    }

    void singleRequestTest()
    {
        TFormTest dlg(*rig->ctx);
        dlg.show();
        grab(dlg, "test");
        setSpin(dlg, "Command", 9);
        setSpin(dlg, "Parameter", 5);
        QVERIFY(rig->sim.setLive(9, 5, 40000));
        dlg.pollCycle().tickNow(); // "Использовать" clear: nothing
        QCOMPARE(rig->sim.requestCount(), 0);
        click(dlg, "CheckBox1");
        dlg.pollCycle().tickNow();
        QCOMPARE(rig->requests(), QStringList{"9:5"});
        QCOMPARE(text(dlg, "EditSource"), QStringLiteral("Чтение 9"));
        QCOMPARE(text(dlg, "EditDac"), QStringLiteral("-25536"));
        dlg.reject();
        QVERIFY(!dlg.pollCycle().running());
        dlg.show();
        QCOMPARE(named<QSpinBox>(dlg, "Command")->value(), 0);
        QCOMPARE(text(dlg, "EditDac"), QStringLiteral("0"));
    }

    // ---- DAC calibration ---------------------------------------------------

    void capApplyWritesThreeRangesInOrder()
    {
        Settings.OutputSource[1] = 255;
        Settings.ChannelUse[9] = 0;
        setOnline(true);
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        grab(dlg, "cap");
        QCOMPARE(named<QPushButton>(dlg, "ApplyBtn")->text(), applyCaptionOnline());
        choose(dlg, "ComboBox1", 1);
        QCOMPARE(named<QComboBox>(dlg, "ComboBox2")->currentText(), QStringLiteral("Нет"));
        named<QCheckBox>(dlg, "CheckBox1")->setChecked(true);
        setReal(dlg, "MinReal", 0.125);
        setSpin(dlg, "MinCode", 200);
        setReal(dlg, "MaxReal", 99.995);
        setSpin(dlg, "MaxCode", 3900);
        choose(dlg, "ComboBox2", 9); // "Формула 1"
        click(dlg, "ApplyBtn");
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{1, 2}, {66, 146}, {1342, 1352}}));
        QCOMPARE(rig->prompts.shown, QStringList{"Information: Данные записаны в контроллер!"});
        QCOMPARE(Settings.ChannelUse[9], 1);
        QCOMPARE(Settings.ScaleInMin[9], 12);   // 12.5 to the even neighbour
        QCOMPARE(Settings.ScaleInMax[9], 10000); // 9999.5 likewise
        QCOMPARE(Settings.ScaleOutMin[9], 200);
        QCOMPARE(Settings.ScaleOutMax[9], 3900);
        QCOMPARE(Settings.OutputSource[1], 8);
        // The controller holds the image's bytes of the three ranges.
        const QByteArray eeprom = rig->sim.eeprom();
        for (auto [from, to] : rig->writes)
            for (int i = from; i <= to; ++i)
                QCOMPARE(uint8_t(eeprom[i]), DeviceImage[i]);
        dlg.reject();
    }

    void capApplyStopsAtTheFirstFailure()
    {
        setOnline(true);
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=5,addr=64,addrto=64"))); // block 8
        click(dlg, "ApplyBtn");
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{1, 2}, {66, 146}}));
        QCOMPARE(rig->prompts.shown, QStringList{"Error: Ошибка записи данных!"});
        dlg.reject();
    }

    void capApplyDuringTickWaitsForItsRequest()
    {
        Settings.OutputSource[0] = 0;
        setOnline(true);
        QVERIFY(rig->sim.fault(QStringLiteral("slow:120,cmd=6,space=6")));
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        bool appliedDuringWait = false;
        QTimer::singleShot(200, &dlg, [&] {
            appliedDuringWait = rig->protocol().busy();
            click(dlg, "ApplyBtn");
        });
        dlg.pollCycle().tickNow();
        QVERIFY(appliedDuringWait);
        const QStringList reqs = rig->requests();
        QCOMPARE(reqs.value(0), QStringLiteral("6:0"));
        QCOMPARE(reqs.value(1), QStringLiteral("255:0")); // the first write's MathOff
        QCOMPARE(rig->writes.size(), 3);
        QCOMPARE(rig->prompts.shown, QStringList{"Information: Данные записаны в контроллер!"});
        dlg.reject();
    }

    void capSaveWithoutSource()
    {
        Settings.OutputSource[0] = 3;
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        QCOMPARE(named<QComboBox>(dlg, "ComboBox2")->currentText(), QStringLiteral("Канал-4"));
        choose(dlg, "ComboBox2", -1); // "Выбрать"
        click(dlg, "OKBtn");
        QCOMPARE(Settings.OutputSource[0], 255);
        QVERIFY(rig->writes.isEmpty()); // off-line
        QCOMPARE(rig->sim.requestCount(), 0);
    }

    void capShowMode_data()
    {
        QTest::addColumn<double>("maxReal");
        QTest::addColumn<QString>("dacText");
        QTest::newRow("points 0..100") << 100.0 << dec("1000.00");
        QTest::newRow("equal real values") << 0.0 << QStringLiteral("error");
    }
    void capShowMode()
    {
        QFETCH(double, maxReal);
        Settings.OutputSource[0] = 2; // "Канал-3"
        Settings.ScaleInMin[8] = 0;
        Settings.ScaleOutMin[8] = 0;
        Settings.ScaleInMax[8] = int(maxReal * 100);
        Settings.ScaleOutMax[8] = 4000;
        QVERIFY(rig->sim.setLive(6, 2, 2500));
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        QVERIFY(dlg.pollCycle().running());
        dlg.pollCycle().tickNow();
        QCOMPARE(rig->requests(), QStringList{"6:2"});
        QCOMPARE(text(dlg, "EditSource"), dec("25.00"));
        QTEST(text(dlg, "EditDac"), "dacText");
        QVERIFY(!named<QPushButton>(dlg, "BtShow")->isEnabled());
        dlg.reject();
    }

    void capSetMinWithoutSource()
    {
        Settings.OutputSource[0] = 255;
        Settings.ScaleOutMin[8] = 123;
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        dlg.pollCycle().tickNow(); // Show with "Нет": nothing asked, fields kept
        QCOMPARE(rig->sim.requestCount(), 0);
        QCOMPARE(text(dlg, "EditSource"), QStringLiteral("0"));
        click(dlg, "BtSetMin");
        dlg.pollCycle().tickNow();
        QCOMPARE(rig->requests(), QStringList{"7:123"});
        QCOMPARE(rig->sim.lastDacCodes().first, quint16(123));
        QCOMPARE(text(dlg, "EditSource"), QStringLiteral("Настройка Мин."));
        QCOMPARE(text(dlg, "EditDac"), QStringLiteral("123"));
        QVERIFY(named<QPushButton>(dlg, "BtShow")->isEnabled());
        QVERIFY(!named<QPushButton>(dlg, "BtSetMin")->isEnabled());
        QVERIFY(named<QPushButton>(dlg, "BtSetMax")->isEnabled());
        dlg.reject();
    }

    void capModeOutlivesTheDialog()
    {
        Settings.ScaleOutMax[9] = 3000;
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        click(dlg, "BtSetMax");
        dlg.reject();
        dlg.show();
        QCOMPARE(text(dlg, "EditDac"), QStringLiteral("0"));
        choose(dlg, "ComboBox1", 1);
        dlg.pollCycle().tickNow();
        QCOMPARE(rig->requests(), QStringList{"8:3000"});
        QCOMPARE(rig->sim.lastDacCodes().second, quint16(3000));
        QCOMPARE(text(dlg, "EditSource"), QStringLiteral("Настройка Макс."));
        dlg.reject();
    }

    void capCloseDuringTickSendsNothingMore()
    {
        Settings.ScaleOutMin[8] = 500;
        QVERIFY(rig->sim.fault(QStringLiteral("slow:120,cmd=6,space=7")));
        TFormCAP dlg(*rig->ctx);
        dlg.show();
        click(dlg, "BtSetMin");
        choose(dlg, "ComboBox1", 0);
        bool closedDuringWait = false;
        closeDuringWait(dlg, closedDuringWait);
        dlg.pollCycle().tickNow();
        QVERIFY(closedDuringWait);
        QVERIFY(!dlg.pollCycle().TimerAnalog.isActive());
        QTest::qWait(2 * PollCycle::kPeriodMs);
        QCOMPARE(rig->requests(), QStringList{"7:500"});
    }

    // ---- Controller speed ------------------------------------------------

    void speedFrame_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("addressBytes");
        QTest::newRow("57600") << 57600 << "00 E1 00";
        QTest::newRow("4800") << 4800 << "C0 12 00";
        QTest::newRow("9600") << 9600 << "80 25 00";
    }
    void speedFrame()
    {
        QFETCH(int, baud);
        QFETCH(QString, addressBytes);
        TFormSetSpeedController dlg(*rig->ctx);
        dlg.show();
        grab(dlg, "setspeedcontroller");
        click(dlg, QStringLiteral("Baud%1").arg(baud));
        click(dlg, "btSet");
        const QStringList wire = rig->sim.requestLog();
        QCOMPARE(wire.size(), 1);
        QCOMPARE(wire[0].left(2 + 1 + 2 + 1 + 8 + 1 + 2 + 1 + 2),
                 QStringLiteral("01 01 %1 00 0A").arg(addressBytes));
        if (baud == 9600)
            QCOMPARE(wire[0], QStringLiteral("01 01 80 25 00 00 0A 4F"));
        QCOMPARE(rig->sim.controllerSpeed(), long(baud));
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("Set speed..."));
        QVERIFY(rig->prompts.shown.isEmpty());
        QCOMPARE(rig->link->port.baud(), 9600); // the port keeps its speed
        dlg.reject();
        dlg.show();
        QVERIFY(text(dlg, "Edit1").isEmpty());
    }

    void speedNotChosen()
    {
        TFormSetSpeedController dlg(*rig->ctx);
        dlg.show();
        click(dlg, "btSet");
        QCOMPARE(rig->sim.requestCount(), 0);
        QCOMPARE(rig->prompts.shown, QStringList{"Error: Выберите скорость обмена!"});
        QStringList offered;
        for (auto* b : dlg.findChildren<QRadioButton*>())
            offered << b->text();
        QCOMPARE(offered, (QStringList{"4800", "9600", "14400", "19200", "38400", "57600"}));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int rc = 0;
    for (const char* name : {"C", "ru_RU"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        qInfo("locale %s", name);
        TstServiceDialogs t;
        rc |= QTest::qExec(&t, argc, argv);
    }
    return rc;
}

#include "tst_servicedialogs.moc"
