// The dialogs with live readings against vkm-sim on a pseudo-terminal:
// analog inputs, ADC calibration, formulas and characteristics. Their opening
// state, list rules, Load/Save, live fields, the on-line Apply with its range
// and messages, a close during a tick's wait and an Apply pressed during it.
// The whole suite runs under a point locale and under a comma locale.

#include "editors/analogmodule.h"
#include "editors/charactermodule.h"
#include "editors/formula.h"
#include "service/acp.h"

#include "app/ui/context.h"
#include "core/defaults.h"
#include "core/image.h"
#include "core/state.h"
#include "link/online.h"
#include "link/session.h"
#include "link/transfer.h"
#include "simrig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vkm;

namespace {

// The requests the simulator saw, in order, by what they do: "adc 2",
// "value 10", "off", "on", "block 19", or the hex for anything else.
QStringList describe(const QStringList& wire)
{
    QStringList out;
    for (const QString& line : wire) {
        QList<uint8_t> b;
        for (const QString& h : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            b << uint8_t(h.toUInt(nullptr, 16));
        if (b.size() >= 2 && b[0] == 1)
            b.removeFirst(); // the address byte
        const uint32_t addr = b.size() >= 4 ? b[1] | (b[2] << 8) | (b[3] << 16) : 0;
        if (b.size() == 6 && b[0] == 6) {
            switch (b[4]) {
            case 5: out << QStringLiteral("adc %1").arg(addr); continue;
            case 6: out << QStringLiteral("value %1").arg(addr); continue;
            case 254: out << QStringLiteral("on"); continue;
            case 255: out << QStringLiteral("off"); continue;
            }
        }
        if (b.size() == 14 && b[0] == 5 && b[4] == 3) {
            out << QStringLiteral("block %1").arg(addr / 8);
            continue;
        }
        out << line;
    }
    return out;
}

QStringList blocks(int first, int last)
{
    QStringList out;
    for (int b = first; b <= last; ++b)
        out << QStringLiteral("block %1").arg(b);
    return out;
}

// An on-line write as the controller sees it.
QStringList onlineWrite(int first, int last)
{
    return QStringList{"off", "off", "off"} + blocks(first, last) + QStringList{"on"};
}

const QString kWritten = QStringLiteral("Information: Данные записаны в контроллер!");
const QString kWriteFailed = QStringLiteral("Error: Ошибка записи данных!");

// The rig, with the requests the simulator saw described as above.
struct Rig : SimRig {
    QStringList requests() { return describe(sim.requestLog()); }
};

template <class T>
T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

void choose(QWidget& w, const char* combo, int index)
{
    child<QComboBox>(w, combo)->setCurrentIndex(index);
}

QString text(QWidget& w, const char* edit)
{
    return child<QLineEdit>(w, edit)->text();
}

QString shown(QWidget& w, const char* combo)
{
    auto* c = child<QComboBox>(w, combo);
    return c->currentIndex() < 0 ? QString() : c->currentText();
}

void click(QWidget& w, const char* button)
{
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

void setOnline(bool on)
{
    OnlineMode = on;
    ApplyCaption = on ? applyCaptionOnline() : applyCaptionOffline();
}

// A grab of the dialog for a look, when VKM_GRAB_DIR names a folder.
void grab(QWidget& w, const char* name)
{
    const QString dir = qEnvironmentVariable("VKM_GRAB_DIR");
    if (!dir.isEmpty())
        w.grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png"));
}

} // namespace

class TestEditorsLive : public QObject {
    Q_OBJECT

    std::unique_ptr<Rig> rig;

private slots:
    void init()
    {
        ResetDefaults(Settings);
        setOnline(false);
        rig = std::make_unique<Rig>();
        QVERIFY2(rig->start(), qPrintable(rig->why));
    }
    void cleanup()
    {
        if (rig)
            QVERIFY2(rig->prompts.unexpected.isEmpty(), qPrintable(rig->prompts.unexpected.join('|')));
        rig.reset();
        setOnline(false);
    }

    // ---- Analog inputs ---------------------------------------------------

    void analogOpeningState()
    {
        Settings.ChannelUse[0] = 1;
        setOnline(true);
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        child<QSpinBox>(dlg, "SpinEdit1")->setValue(77);
        dlg.hide();
        dlg.show(); // every showing starts afresh
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Модуль/Аналоговый"));
        QCOMPARE(dlg.chosenChannel(), -1);
        QCOMPARE(child<QComboBox>(dlg, "ComboBox1")->placeholderText(), QStringLiteral("Номер канала"));
        QVERIFY(!child<QCheckBox>(dlg, "CheckBox1")->isChecked());
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("0"));
        QCOMPARE(text(dlg, "Edit2"), QStringLiteral("0"));
        for (const char* list : {"ComboBox2", "ComboBox3", "ComboBox4"}) {
            QCOMPARE(child<QComboBox>(dlg, list)->currentIndex(), -1);
            QCOMPARE(child<QComboBox>(dlg, list)->placeholderText(), QStringLiteral("Выбрать"));
            QVERIFY(!child<QComboBox>(dlg, list)->isEnabled());
        }
        for (const char* spin : {"SpinEdit1", "SpinEdit2", "SpinEdit3"})
            QCOMPARE(child<QSpinBox>(dlg, spin)->value(), 0);
        QCOMPARE(child<QPushButton>(dlg, "ApplyBtn")->text(), QStringLiteral("Применить On-Line"));
        QVERIFY(!dlg.pollCycle().running());
        grab(dlg, "analogmodule");
    }

    void analogListRules_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("correction");
        QTest::addColumn<QString>("relayText");
        QTest::addColumn<QString>("correctionText");
        QTest::newRow("255") << 255 << 255 << "Все" << "Нет";
        QTest::newRow("0") << 0 << 0 << "K-1" << "Линия 1";
        QTest::newRow("7") << 7 << 7 << "K-8" << "Линия 8";
        QTest::newRow("15 and 8: no curve 9") << 15 << 8 << "K-16" << "";
        QTest::newRow("16 and -1: no item") << 16 << -1 << "" << "";
    }
    void analogListRules()
    {
        QFETCH(int, relay);
        QFETCH(int, correction);
        Settings.ChannelUse[3] = 1;
        Settings.InputRelay[3] = relay;
        Settings.InputCorrection[3] = correction;
        Settings.InputSensorType[3] = 1;
        Settings.InputFilterMs[3] = 250;
        Settings.InputShortLevel[3] = -40;
        Settings.InputBreakLevel[3] = 100000;
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 3);
        QTEST(shown(dlg, "ComboBox4"), "relayText");
        QTEST(shown(dlg, "ComboBox3"), "correctionText");
        QCOMPARE(shown(dlg, "ComboBox2"), QStringLiteral("Длина (м)"));
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit1")->value(), 250);
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit2")->value(), -40);
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit3")->value(), 100000);
        // Saving what was loaded gives the same codes back; a list with no
        // item keeps the stored value.
        const SettingsRecord before = Settings;
        click(dlg, "OKBtn");
        QCOMPARE(QByteArray((const char*)Settings.bytes(), kSettingsSize),
                 QByteArray((const char*)before.bytes(), kSettingsSize));
    }

    void analogSaveStoresListCodes()
    {
        Settings.ChannelUse[2] = 1;
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 2);
        choose(dlg, "ComboBox4", 0); // "Все"
        choose(dlg, "ComboBox3", 5); // "Линия 5"
        choose(dlg, "ComboBox2", 0);
        child<QCheckBox>(dlg, "CheckBox1")->setChecked(false);
        click(dlg, "ApplyBtn");
        QCOMPARE(Settings.InputRelay[2], 255);
        QCOMPARE(Settings.InputCorrection[2], 4);
        QCOMPARE(Settings.InputSensorType[2], 0);
        QCOMPARE(Settings.ChannelUse[2], 0);
        QVERIFY(dlg.isVisible());
        QVERIFY(rig->prompts.shown.isEmpty()); // off-line: no message
        QVERIFY(rig->writes.isEmpty());
    }

    void analogOtherChannelDropsEdits()
    {
        Settings.ChannelUse[0] = Settings.ChannelUse[1] = 1;
        Settings.InputFilterMs[0] = 10;
        Settings.InputFilterMs[1] = 20;
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        child<QSpinBox>(dlg, "SpinEdit1")->setValue(111);
        choose(dlg, "ComboBox1", 1);
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit1")->value(), 20);
        click(dlg, "OKBtn");
        QCOMPARE(Settings.InputFilterMs[0], 10);
        QCOMPARE(Settings.InputFilterMs[1], 20);
        QVERIFY(!dlg.isVisible());
    }

    void analogEnablingFollowsTheBox()
    {
        Settings.ChannelUse[4] = 0;
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 4);
        QVERIFY(!child<QSpinBox>(dlg, "SpinEdit2")->isEnabled());
        QVERIFY(!dlg.pollCycle().running());
        child<QCheckBox>(dlg, "CheckBox1")->setChecked(true);
        QVERIFY(child<QSpinBox>(dlg, "SpinEdit2")->isEnabled());
        QVERIFY(dlg.pollCycle().running());
        child<QCheckBox>(dlg, "CheckBox1")->setChecked(false);
        QVERIFY(!dlg.pollCycle().running());
        child<QCheckBox>(dlg, "CheckBox1")->setChecked(true);
        dlg.reject(); // closing stops the readings
        QVERIFY(!dlg.pollCycle().running());
        QVERIFY(!dlg.pollCycle().TimerAnalog.isActive());
    }

    void analogOkOrApplyWithoutChannel()
    {
        const SettingsRecord before = Settings;
        setOnline(true);
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        click(dlg, "ApplyBtn");
        QCOMPARE(QByteArray((const char*)Settings.bytes(), kSettingsSize),
                 QByteArray((const char*)before.bytes(), kSettingsSize));
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{0, 155}}));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
    }

    void analogLiveReadings_data()
    {
        QTest::addColumn<int>("adc");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("adcText");
        QTest::addColumn<QString>("valueText");
        QTest::newRow("unsigned ADC 65535, -0.01") << 65535 << 65535 << "65535" << dec("-0.01");
        QTest::newRow("32768 stays positive") << 32768 << 32768 << "32768" << dec("327.68");
        QTest::newRow("32769") << 32769 << 32769 << "32769" << dec("-327.67");
        QTest::newRow("100") << 100 << 100 << "100" << dec("1.00");
        QTest::newRow("1234 for a channel") << 0 << 1234 << "0" << dec("12.34");
    }
    void analogLiveReadings()
    {
        QFETCH(int, adc);
        QFETCH(int, value);
        Settings.ChannelUse[5] = 1;
        QVERIFY(rig->sim.setLive(5, 5, quint16(adc)));
        QVERIFY(rig->sim.setLive(6, 5, quint16(value)));
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 5);
        rig->sim.resetCounters();
        dlg.pollCycle().tickNow();
        QTEST(text(dlg, "Edit1"), "adcText");
        QTEST(text(dlg, "Edit2"), "valueText");
        QCOMPARE(rig->requests(), (QStringList{"adc 5", "value 5"}));
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive()); // started again after the tick
    }

    void analogFailedReadingShowsError()
    {
        Settings.ChannelUse[0] = 1;
        QVERIFY(rig->sim.setLive(5, 0, 1500));
        QVERIFY(rig->sim.fault(QStringLiteral("noreply,cmd=6,space=6")));
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        dlg.pollCycle().tickNow();
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("1500"));
        QCOMPARE(text(dlg, "Edit2"), QStringLiteral("error"));
        QVERIFY(rig->prompts.shown.isEmpty()); // a poll shows no box
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive());
        // Unticking stops the readings; the fields keep their last text.
        child<QCheckBox>(dlg, "CheckBox1")->setChecked(false);
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("1500"));
    }

    // The on-line Apply sends the correction codes with the channel tables:
    // one write of bytes 0..155 (blocks 0..20), so that its message is true.
    void analogApplyOnlineSendsCorrections()
    {
        Settings.ChannelUse[2] = 1;
        Settings.InputCorrection[2] = 255;
        setOnline(true);
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 2);
        choose(dlg, "ComboBox3", 6); // "Линия 6"
        child<QSpinBox>(dlg, "SpinEdit1")->setValue(320);
        rig->sim.resetCounters();
        click(dlg, "ApplyBtn");
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{0, 155}}));
        QCOMPARE(rig->requests(), onlineWrite(0, 20));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
        ImageBuffer image{};
        PackImage(Settings, image);
        const QByteArray eeprom = rig->sim.eeprom();
        QCOMPARE(eeprom.left(168), QByteArray((const char*)image.data(), 168));
        QCOMPARE(uint8_t(eeprom[146 + 2]), uint8_t(5)); // the new curve reached the controller
        QVERIFY(dlg.isVisible());
    }

    void analogApplyOnlineFailure()
    {
        Settings.ChannelUse[1] = 1;
        setOnline(true);
        QVERIFY(rig->sim.fault(QStringLiteral("noreply,cmd=5,addr=64")));
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 1);
        child<QSpinBox>(dlg, "SpinEdit3")->setValue(900);
        click(dlg, "ApplyBtn");
        QCOMPARE(rig->prompts.shown, QStringList{kWriteFailed});
        QCOMPARE(Settings.InputBreakLevel[1], 900); // stays stored
        QCOMPARE(rig->sim.mathState().on, true);    // calculations switched back on
    }

    // Closed while its tick waits for the ADC reply: the value request of that
    // tick is never sent and polling does not resume.
    void analogCloseDuringTickStopsPolling()
    {
        Settings.ChannelUse[0] = 1;
        QVERIFY(rig->sim.fault(QStringLiteral("slow:150,cmd=6,space=5")));
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        rig->sim.resetCounters();
        bool closedDuringWait = false;
        QTimer::singleShot(200, &dlg, [&] {
            closedDuringWait = rig->protocol().busy();
            dlg.reject();
        });
        dlg.pollCycle().tickNow();
        QVERIFY(closedDuringWait);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.pollCycle().TimerAnalog.isActive());
        QCOMPARE(rig->requests(), QStringList{"adc 0"});
        QTest::qWait(2 * PollCycle::kPeriodMs);
        QCOMPARE(rig->requests(), QStringList{"adc 0"});
    }

    // Apply clicked while the tick waits for a slow reply: the write starts
    // after that request ends, the tick's next request after the write; no
    // frame is refused or cut and every reply arrives.
    void analogApplyDuringTickWaitsForTheRequest()
    {
        Settings.ChannelUse[0] = 1;
        setOnline(true);
        QVERIFY(rig->sim.setLive(5, 0, 2222));
        QVERIFY(rig->sim.setLive(6, 0, 150));
        QVERIFY(rig->sim.fault(QStringLiteral("slow:150,cmd=6,space=5")));
        TFormAnalogModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        choose(dlg, "ComboBox4", 3); // "K-3"
        rig->sim.resetCounters();
        bool clickedDuringWait = false;
        QTimer::singleShot(200, &dlg, [&] {
            clickedDuringWait = rig->protocol().busy();
            click(dlg, "ApplyBtn");
            // Nothing is written while the reply is awaited; the setting is
            // stored at once.
            QCOMPARE(Settings.InputRelay[0], 2);
            QVERIFY(rig->writes.isEmpty());
        });
        dlg.pollCycle().tickNow();
        QVERIFY(clickedDuringWait);
        QCOMPARE(rig->requests(), QStringList{"adc 0"} + onlineWrite(0, 20) + QStringList{"value 0"});
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("2222"));
        QCOMPARE(text(dlg, "Edit2"), dec("1.50"));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
        ImageBuffer image{};
        PackImage(Settings, image);
        QCOMPARE(rig->sim.eeprom().left(168), QByteArray((const char*)image.data(), 168));
    }

    // ---- ADC calibration -------------------------------------------------

    void acpOpeningAndLoad()
    {
        Settings.ScaleInMin[6] = 1000;
        Settings.ScaleOutMin[6] = -250;
        Settings.ScaleInMax[6] = 64000;
        Settings.ScaleOutMax[6] = 123456;
        TFormACP dlg(*rig->ctx);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Регулировка АЦП"));
        QCOMPARE(dlg.chosenChannel(), -1);
        QCOMPARE(child<QComboBox>(dlg, "ComboBox1")->placeholderText(), QStringLiteral("Номер канала"));
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("0"));
        QCOMPARE(text(dlg, "Edit2"), QStringLiteral("0"));
        QCOMPARE(child<QPushButton>(dlg, "ApplyBtn")->text(), QStringLiteral("Применить"));
        QVERIFY(!dlg.pollCycle().running());
        choose(dlg, "ComboBox1", 6);
        QVERIFY(dlg.pollCycle().running());
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit1")->value(), 1000);
        QCOMPARE(child<QDoubleSpinBox>(dlg, "FloatEdit1")->text(), dec("-2.50"));
        QCOMPARE(child<QSpinBox>(dlg, "SpinEdit2")->value(), 64000);
        QCOMPARE(child<QDoubleSpinBox>(dlg, "FloatEdit2")->text(), dec("1234.56"));
        grab(dlg, "acp");
        choose(dlg, "ComboBox1", -1);
        QVERIFY(!dlg.pollCycle().running());
    }

    void acpRealValue_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("maxCode");
        QTest::addColumn<QString>("realText");
        QTest::newRow("2000 between the points") << 2000 << 3000 << dec("5.00");
        QTest::newRow("4000 beyond the maximum") << 4000 << 3000 << dec("15.00");
        QTest::newRow("0 below the minimum") << 0 << 3000 << dec("-5.00");
        QTest::newRow("65535 unsigned") << 65535 << 3000 << dec("322.68");
        QTest::newRow("equal codes") << 2000 << 1000 << "error";
    }
    // The points as they stand in the editors, not yet saved.
    void acpRealValue()
    {
        QFETCH(int, code);
        QFETCH(int, maxCode);
        QVERIFY(rig->sim.setLive(5, 1, quint16(code)));
        TFormACP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 1);
        child<QSpinBox>(dlg, "SpinEdit1")->setValue(1000);
        child<QDoubleSpinBox>(dlg, "FloatEdit1")->setValue(0.0);
        child<QSpinBox>(dlg, "SpinEdit2")->setValue(maxCode);
        child<QDoubleSpinBox>(dlg, "FloatEdit2")->setValue(10.0);
        rig->sim.resetCounters();
        dlg.pollCycle().tickNow();
        QCOMPARE(text(dlg, "Edit1"), QString::number(code));
        QTEST(text(dlg, "Edit2"), "realText");
        QCOMPARE(rig->requests(), QStringList{"adc 1"});
        QCOMPARE(Settings.ScaleInMin[1], 0); // nothing saved by a reading
    }

    void acpFailedReading()
    {
        QVERIFY(rig->sim.fault(QStringLiteral("noreply,cmd=6")));
        TFormACP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        dlg.pollCycle().tickNow();
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("error"));
        QCOMPARE(text(dlg, "Edit2"), QStringLiteral("error"));
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive());
    }

    // Typed real values are stored x100 half-even: 0.125 -> 12, 0.375 -> 38.
    void acpHalfEvenThroughTheEditors()
    {
        TFormACP dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 7);
        auto type = [&](const char* name, const QString& t) {
            auto* e = child<QDoubleSpinBox>(dlg, name);
            e->selectAll();
            QTest::keyClicks(e, t);
            QTest::keyClick(e, Qt::Key_Tab);
        };
        type("FloatEdit1", dec("0.125"));
        type("FloatEdit2", dec("0.375"));
        child<QSpinBox>(dlg, "SpinEdit2")->setValue(70000); // larger than a word: stored as is
        click(dlg, "OKBtn");
        QCOMPARE(Settings.ScaleOutMin[7], 12);
        QCOMPARE(Settings.ScaleOutMax[7], 38);
        QCOMPARE(Settings.ScaleInMax[7], 70000);
        dlg.show();
        choose(dlg, "ComboBox1", 7);
        QCOMPARE(child<QDoubleSpinBox>(dlg, "FloatEdit1")->text(), dec("0.12"));
        QCOMPARE(child<QDoubleSpinBox>(dlg, "FloatEdit2")->text(), dec("0.38"));
    }

    void acpApply()
    {
        TFormACP dlg(*rig->ctx);
        dlg.show();
        const SettingsRecord before = Settings;
        click(dlg, "ApplyBtn"); // off-line, no channel: nothing at all
        QCOMPARE(QByteArray((const char*)Settings.bytes(), kSettingsSize),
                 QByteArray((const char*)before.bytes(), kSettingsSize));
        QVERIFY(rig->prompts.shown.isEmpty());
        dlg.hide();
        setOnline(true);
        dlg.show();
        QCOMPARE(child<QPushButton>(dlg, "ApplyBtn")->text(), QStringLiteral("Применить On-Line"));
        choose(dlg, "ComboBox1", 3);
        child<QSpinBox>(dlg, "SpinEdit1")->setValue(1234);
        rig->sim.resetCounters();
        click(dlg, "ApplyBtn");
        QCOMPARE(Settings.ScaleInMin[3], 1234);
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{66, 146}}));
        QCOMPARE(rig->requests(), onlineWrite(8, 19));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
        click(dlg, "CancelBtn");
        QCOMPARE(Settings.ScaleInMin[3], 1234); // what Apply stored stays
    }

    // ---- Characteristics -------------------------------------------------

    void characteristicLists_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("correction");
        QTest::addColumn<QString>("inputText");
        QTest::addColumn<QString>("correctionText");
        QTest::addColumn<int>("storedInput");
        QTest::addColumn<int>("storedCorrection");
        QTest::newRow("formula 1") << 8 << 0 << "Формула 1" << "Линия 1" << 8 << 0;
        QTest::newRow("formula 16") << 23 << 7 << "Формула 16" << "Линия 8" << 23 << 7;
        QTest::newRow("channel 8") << 7 << 255 << "Канал-8" << "Нет" << 7 << 255;
        QTest::newRow("no input drops the curve") << 255 << 3 << "Нет" << "Нет" << 255 << 255;
        QTest::newRow("input 24 has no item") << 24 << 2 << "" << "Линия 3" << 24 << 2;
    }
    void characteristicLists()
    {
        QFETCH(int, input);
        QFETCH(int, correction);
        Settings.CharacteristicInput[4] = input;
        Settings.CharacteristicCorrection[4] = correction;
        TFormCharacterModule dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 4);
        QTEST(shown(dlg, "ComboBox2"), "inputText");
        QTEST(shown(dlg, "ComboBox3"), "correctionText");
        click(dlg, "OKBtn");
        QTEST(int(Settings.CharacteristicInput[4]), "storedInput");
        QTEST(int(Settings.CharacteristicCorrection[4]), "storedCorrection");
    }

    void characteristicOpeningAndLive()
    {
        QVERIFY(rig->sim.setLive(6, 34, 150));
        TFormCharacterModule dlg(*rig->ctx);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Модуль/Характеристики"));
        QCOMPARE(child<QComboBox>(dlg, "ComboBox1")->placeholderText(), QStringLiteral("Номер характеристики"));
        QCOMPARE(dlg.chosenCharacteristic(), -1);
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("0"));
        QVERIFY(dlg.pollCycle().running()); // from the opening on
        rig->sim.resetCounters();
        dlg.pollCycle().tickNow(); // nothing chosen: no request
        QVERIFY(rig->requests().isEmpty());
        QVERIFY(dlg.pollCycle().TimerAnalog.isActive());
        choose(dlg, "ComboBox1", 2);
        dlg.pollCycle().tickNow();
        QCOMPARE(text(dlg, "Edit1"), dec("1.50"));
        QCOMPARE(rig->requests(), QStringList{"value 34"});
        grab(dlg, "charactermodule");
        dlg.reject();
        QVERIFY(!dlg.pollCycle().running());
    }

    void characteristicApply()
    {
        const SettingsRecord before = Settings;
        setOnline(true);
        TFormCharacterModule dlg(*rig->ctx);
        dlg.show();
        rig->sim.resetCounters();
        click(dlg, "ApplyBtn"); // nothing chosen: stores nothing, still writes
        QCOMPARE(QByteArray((const char*)Settings.bytes(), kSettingsSize),
                 QByteArray((const char*)before.bytes(), kSettingsSize));
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{1505, 1520}}));
        QCOMPARE(rig->requests(), onlineWrite(188, 191));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
    }

    // ---- Formulas --------------------------------------------------------

    void formulaOpeningState()
    {
        Settings.ChannelUse[0] = Settings.ChannelUse[2] = 1;
        Settings.ChannelUse[1] = 0;
        for (int f = 0; f < 16; ++f)
            Settings.FormulaUse[f] = f == 1 || f == 9; // formula 10 cannot be an operand
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Модуль/Формулы"));
        QCOMPARE(dlg.chosenFormula(), -1);
        QCOMPARE(child<QComboBox>(dlg, "ComboBox2")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(dlg, "ComboBox2")->placeholderText(), QStringLiteral("Выбрать"));
        QStringList left;
        for (int i = 0; i < child<QListWidget>(dlg, "ListBox1")->count(); ++i)
            left << child<QListWidget>(dlg, "ListBox1")->item(i)->text();
        QCOMPARE(left, (QStringList{"Канал 1", "Канал 3", "Формула 2", "Константа"}));
        QCOMPARE(child<QListWidget>(dlg, "ListBox2")->count(), 0);
        QCOMPARE(text(dlg, "Edit1"), QStringLiteral("0"));
        QVERIFY(!dlg.pollCycle().running());
    }

    void formulaAddAndRemove()
    {
        Settings.ChannelUse[1] = Settings.ChannelUse[4] = 1;
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        auto* left = child<QListWidget>(dlg, "ListBox1");
        auto* right = child<QListWidget>(dlg, "ListBox2");
        auto rightRows = [&] {
            QStringList r;
            for (int i = 0; i < right->count(); ++i)
                r << right->item(i)->text();
            return r;
        };
        choose(dlg, "ComboBox1", 6);
        QVERIFY(dlg.pollCycle().running());
        choose(dlg, "ComboBox2", 1); // "Сложение"
        left->setCurrentRow(0);      // "Канал 2"
        click(dlg, "Button1");
        QCOMPARE(rightRows(), QStringList{"*Канал 2"});
        left->setCurrentRow(1); // "Канал 5"
        click(dlg, "Button1");
        QCOMPARE(rightRows(), (QStringList{"*Канал 2", "Канал 5"}));
        QCOMPARE(Settings.FormulaFirstOperand[6], 1);
        QCOMPARE(Settings.FormulaOperation[6], 1);
        QCOMPARE(Settings.FormulaUse[6], 1);
        right->setCurrentRow(0); // the starred operand: the formula goes
        click(dlg, "Button2");
        QVERIFY(rightRows().isEmpty());
        QCOMPARE(Settings.FormulaUse[6], 0);
        QCOMPARE(Settings.FormulaOperands[6][4], 0);
        QCOMPARE(Settings.FormulaOperation[6], 1);
        grab(dlg, "formula");
    }

    // A formula row as first operand is flagged like a channel, and
    // "Удалить" on a formula without a first operand clears it whatever row
    // is chosen.
    void formulaFormulaOperandAndCleanUp()
    {
        Settings.FormulaUse[0] = 1;
        Settings.FormulaFirstOperand[0] = 255;
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 4);
        auto* left = child<QListWidget>(dlg, "ListBox1");
        QCOMPARE(left->item(0)->text(), QStringLiteral("Формула 1"));
        left->setCurrentRow(0);
        click(dlg, "Button1");
        QCOMPARE(Settings.FormulaFirstOperand[4], 8);
        QCOMPARE(Settings.FormulaOperands[4][8], 1);
        QCOMPARE(Settings.FormulaOperation[4], 0); // no operation chosen
        auto* right = child<QListWidget>(dlg, "ListBox2");
        QCOMPARE(right->count(), 1);
        QCOMPARE(right->item(0)->text(), QStringLiteral("*Формула 1"));

        // Formula 1 has operands but no first operand: any "Удалить" clears it.
        Settings.FormulaOperands[0][3] = 1;
        Settings.FormulaConstant[0] = 700;
        Settings.FormulaOperation[0] = 3;
        choose(dlg, "ComboBox1", 0);
        QCOMPARE(right->count(), 1); // only the constant row shows
        right->setCurrentRow(-1);
        click(dlg, "Button2");
        QCOMPARE(Settings.FormulaUse[0], 0);
        QCOMPARE(Settings.FormulaOperands[0][3], 0);
        QCOMPARE(Settings.FormulaConstant[0], 0);
        QCOMPARE(Settings.FormulaOperation[0], 3);
        QCOMPARE(right->count(), 0);
    }

    void formulaConstant_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("row");
        QTest::newRow("1.234") << dec("1.234") << 123 << dec("Константа = 1.23");
        QTest::newRow("500 is held to 327.6") << "500" << 32760 << dec("Константа = 327.6");
        QTest::newRow("-3 is held to 0") << "-3" << 0 << "";
        QTest::newRow("0.125 half-even") << dec("0.125") << 12 << dec("Константа = 0.12");
        QTest::newRow("1.5") << dec("1.5") << 150 << dec("Константа = 1.5");
    }
    void formulaConstant()
    {
        QFETCH(QString, typed);
        Settings.ChannelUse[0] = 1;
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 0);
        choose(dlg, "ComboBox2", 3);
        child<QListWidget>(dlg, "ListBox1")->setCurrentRow(0); // first operand "Канал 1"
        click(dlg, "Button1");
        rig->prompts.input(typed);
        child<QListWidget>(dlg, "ListBox1")->setCurrentRow(1); // "Константа"
        click(dlg, "Button1");
        QCOMPARE(rig->prompts.shown, QStringList{"Input: Константа:"});
        QTEST(int(Settings.FormulaConstant[0]), "stored");
        auto* right = child<QListWidget>(dlg, "ListBox2");
        QFETCH(QString, row);
        QCOMPARE(right->count(), row.isEmpty() ? 1 : 2);
        if (!row.isEmpty())
            QCOMPARE(right->item(1)->text(), row);
    }

    // Cancelling the input box, or a text that is not a number, leaves the
    // formula as it was: constant, operation and flags.
    void formulaConstantRejected_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("cancelled") << true << "" << QStringList{"Input: Константа:"};
        QTest::newRow("not a number") << false << "abc"
                                      << QStringList{"Input: Константа:",
                                                     "Error: 'abc' is not a valid floating point value"};
        QTest::newRow("the other separator") << false << (QLocale().decimalPoint() == "," ? "1.5" : "1,5")
                                             << QStringList{"Input: Константа:",
                                                            QStringLiteral("Error: '%1' is not a valid floating point value")
                                                                .arg(QLocale().decimalPoint() == "," ? "1.5" : "1,5")};
    }
    void formulaConstantRejected()
    {
        QFETCH(bool, cancel);
        QFETCH(QString, typed);
        Settings.FormulaUse[2] = 1;
        Settings.FormulaOperation[2] = 2;
        Settings.FormulaFirstOperand[2] = 0;
        Settings.FormulaOperands[2][0] = 1;
        Settings.FormulaConstant[2] = 450;
        const SettingsRecord before = Settings;
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 2);
        choose(dlg, "ComboBox2", 4); // changed on screen, not yet stored
        auto* left = child<QListWidget>(dlg, "ListBox1");
        left->setCurrentRow(left->count() - 1); // "Константа"
        rig->prompts.input(cancel ? std::nullopt : std::optional<QString>(typed));
        click(dlg, "Button1");
        QTEST(rig->prompts.shown, "boxes");
        QCOMPARE(QByteArray((const char*)Settings.bytes(), kSettingsSize),
                 QByteArray((const char*)before.bytes(), kSettingsSize));
        QCOMPARE(child<QListWidget>(dlg, "ListBox2")->item(1)->text(), dec("Константа = 4.5"));
    }

    void formulaOkAndApply()
    {
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 11);
        choose(dlg, "ComboBox2", 0); // "Выбрать": OK stores nothing
        click(dlg, "OKBtn");
        QCOMPARE(Settings.FormulaUse[11], 0);
        QCOMPARE(Settings.FormulaOperation[11], 0);
        setOnline(true);
        dlg.show();
        choose(dlg, "ComboBox1", 11);
        choose(dlg, "ComboBox2", 4);
        rig->sim.resetCounters();
        click(dlg, "ApplyBtn");
        QCOMPARE(Settings.FormulaUse[11], 1);
        QCOMPARE(Settings.FormulaOperation[11], 4);
        QCOMPARE(rig->writes, (QList<QPair<int, int>>{{956, 1100}}));
        QCOMPARE(rig->requests(), onlineWrite(119, 138));
        QCOMPARE(rig->prompts.shown, QStringList{kWritten});
    }

    void formulaLiveResult_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("shownText");
        QTest::newRow("65526") << 65526 << dec("-1.00");
        QTest::newRow("1234, one decimal") << 1234 << dec("123.40");
        QTest::newRow("32768") << 32768 << dec("3276.80");
    }
    void formulaLiveResult()
    {
        QFETCH(int, word);
        QVERIFY(rig->sim.setLive(6, 8 + 15, quint16(word)));
        TFormFormula dlg(*rig->ctx);
        dlg.show();
        choose(dlg, "ComboBox1", 15);
        rig->sim.resetCounters();
        dlg.pollCycle().tickNow();
        QTEST(text(dlg, "Edit1"), "shownText");
        QCOMPARE(rig->requests(), QStringList{"value 23"});
        dlg.reject();
        dlg.show(); // the result keeps its text from one showing to the next
        QTEST(text(dlg, "Edit1"), "shownText");
        QVERIFY(!dlg.pollCycle().running());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    for (const char* name : {"en_US", "ru_RU"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        qInfo("locale %s", name);
        TestEditorsLive t;
        failures += QTest::qExec(&t, argc, argv);
    }
    return failures;
}

#include "tst_editors_live.moc"
