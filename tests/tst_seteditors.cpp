// The digital inputs dialog and its three owners (relays, switches, switch
// points), the display editor, and the Apply of every editor.

#include "editorfixture.h"

#include "core/defaults.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/curves.h"
#include "editors/digitalset.h"
#include "editors/display.h"
#include "editors/relay.h"
#include "editors/strings.h"
#include "editors/switchpoint.h"
#include "editors/switsh.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cstring>
#include <memory>

using namespace vkm;

namespace {

// One owner of a digital input set, driven the same way for all three.
struct Owner {
    std::unique_ptr<QDialog> dialog;
    int32_t* mask;  // the chosen item's 16 selection entries
    int32_t* state; // and state entries
};

Owner makeOwner(const QString& kind, AppContext& ctx)
{
    Owner o;
    if (kind == "relay") {
        o.dialog = std::make_unique<TFormRelay>(ctx);
        o.mask = Settings.RelayInputMask[2];
        o.state = Settings.RelayInputState[2];
    } else if (kind == "switch") {
        o.dialog = std::make_unique<TFormSwitsh>(ctx);
        o.mask = Settings.SwitchInputMask[2];
        o.state = Settings.SwitchInputState[2];
    } else {
        o.dialog = std::make_unique<TFormSwitchPoint>(ctx);
        o.mask = Settings.PointInputMask[2];
        o.state = Settings.PointInputState[2];
        Settings.PointRelay[2] = 0; // "K-1", so that "Цифровые входы" is enabled
    }
    o.dialog->show();
    // Item 3 of every owner: "K-3" (after "Нет"), "Switch-3", "Точка-3".
    child<QComboBox>(o.dialog.get(), "ComboBox1")->setCurrentIndex(kind == "relay" ? 3 : 2);
    return o;
}

QByteArray settingsBytes() { return QByteArray(reinterpret_cast<const char*>(Settings.bytes()), kSettingsSize); }

} // namespace

class TestSetEditors : public QObject {
    Q_OBJECT

    EditorFixture f;
    std::unique_ptr<TFormDigitalSet> digital;

private slots:
    void init()
    {
        ResetDefaults(Settings);
        EditorFixture::setOnline(false);
        f.prompts.clear();
        f.writes.clear();
        f.writeResult = 0;
        digital = std::make_unique<TFormDigitalSet>(f.ctx);
    }
    void cleanup()
    {
        QVERIFY2(f.prompts.unexpected.isEmpty(), qPrintable(f.prompts.unexpected.join('\n')));
        digital.reset();
    }

    void digitalSetReadsOnlyExactOnes()
    {
        QCOMPARE(TFormDigitalSet::current(), digital.get());
        digital->buffer.mask = {1, 2, 0, -1, 1};
        digital->buffer.state = {0, 1, 255};
        digital->LoadDigital();
        QVERIFY(digital->inputBox(0)->isChecked());
        QVERIFY(!digital->inputBox(1)->isChecked()); // 2 is not "set"
        QVERIFY(!digital->inputBox(3)->isChecked());
        QVERIFY(digital->stateBox(1)->isChecked());
        QVERIFY(!digital->stateBox(2)->isChecked());
        digital->SaveDigital();
        QCOMPARE(digital->buffer.mask[1], 0);
        QCOMPARE(digital->buffer.mask[3], 0);
        QCOMPARE(digital->buffer.mask[4], 1);
        QCOMPARE(digital->buffer.state[2], 0);
        QCOMPARE(child<QCheckBox>(digital.get(), "Input16")->text(), QString("16"));
    }

    void ownersProtocol_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("relay") << "relay";
        QTest::newRow("switch") << "switch";
        QTest::newRow("switch point") << "point";
    }
    // Cancel in the digital inputs dialog keeps the buffer; the ticks stay in
    // the boxes, and a later OK takes them; only the owner's store reaches
    // the settings.
    void ownersProtocol()
    {
        QFETCH(QString, kind);
        int32_t* mask = nullptr;
        {
            // Stored before the owner loads the item.
            Owner probe = makeOwner(kind, f.ctx);
            mask = probe.mask;
            probe.mask[4] = 1;
            probe.state[4] = 2;
        }
        Owner o = makeOwner(kind, f.ctx);
        QVERIFY(child<QPushButton>(o.dialog.get(), "Button4")->isEnabled());
        QVERIFY(digital->inputBox(4)->isChecked());
        QVERIFY(!digital->stateBox(4)->isChecked());

        onNextModal([](QWidget* w) {
            child<QCheckBox>(w, "Input1")->setChecked(true);
            child<QCheckBox>(w, "Input5")->setChecked(false);
            child<QPushButton>(w, "CancelBtn")->click();
        });
        child<QPushButton>(o.dialog.get(), "Button4")->click();
        QCOMPARE(digital->buffer.mask[0], 0);
        QVERIFY(digital->inputBox(0)->isChecked()); // the tick survives the Cancel

        child<QPushButton>(o.dialog.get(), "Button3")->click(); // Apply stores the buffer
        QCOMPARE(mask[0], 0);
        QCOMPARE(mask[4], 1);
        QCOMPARE(o.state[4], 2); // carried as loaded: the buffer was not taken from the boxes

        onNextModal([](QWidget* w) { child<QPushButton>(w, "OKBtn")->click(); });
        child<QPushButton>(o.dialog.get(), "Button4")->click();
        QCOMPARE(mask[0], 0); // nothing stored before the owner stores
        child<QPushButton>(o.dialog.get(), "Button1")->click();
        QCOMPARE(mask[0], 1);
        QCOMPARE(mask[4], 0);
        QCOMPARE(o.state[4], 0);
        QVERIFY(!o.dialog->isVisible());
        QVERIFY(f.writes.isEmpty());
    }

    void ownerWithoutDigitalDialogMakesItsOwn()
    {
        digital.reset();
        QVERIFY(!TFormDigitalSet::current());
        Settings.RelayInputMask[0][7] = 1;
        TFormRelay relay(f.ctx);
        relay.show();
        child<QComboBox>(&relay, "ComboBox1")->setCurrentIndex(1);
        QVERIFY(TFormDigitalSet::current());
        QVERIFY(TFormDigitalSet::current()->inputBox(7)->isChecked());
    }

    void relayChoosesSlots()
    {
        Settings.RelayUse[0] = 1;
        Settings.RelayUse[15] = 2; // not exactly 1: not used
        Settings.RelayUse[2] = 1;
        TFormRelay relay(f.ctx);
        relay.show();
        auto* list = child<QComboBox>(&relay, "ComboBox1");
        auto* use = child<QCheckBox>(&relay, "CheckBox1");
        auto* inputs = child<QPushButton>(&relay, "Button4");
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->placeholderText(), QString("Выбрать"));
        QVERIFY(!inputs->isEnabled());
        QCOMPARE(list->itemText(1), QString("K-1"));
        list->setCurrentIndex(1);
        QCOMPARE(relay.chosenRelay(), 0);
        QVERIFY(use->isChecked());
        list->setCurrentIndex(16);
        QCOMPARE(relay.chosenRelay(), 15);
        QVERIFY(!use->isChecked());

        // "Нет" after "K-3": the button goes off, the box stays, OK stores nothing.
        list->setCurrentIndex(3);
        QVERIFY(use->isChecked());
        use->setChecked(false);
        list->setCurrentIndex(0);
        QVERIFY(!inputs->isEnabled());
        QVERIFY(!use->isChecked());
        const QByteArray before = settingsBytes();
        child<QPushButton>(&relay, "Button1")->click();
        QCOMPARE(settingsBytes(), before);
        QCOMPARE(Settings.RelayUse[2], 1);

        // Showing again starts from the opening state.
        relay.show();
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(relay.chosenRelay(), -1);
        QVERIFY(!use->isChecked());
    }

    void switchLists_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("savedBack");
        QTest::newRow("none") << 255 << "Нет" << 255;
        QTest::newRow("channel 1") << 0 << "Канал-1" << 0;
        QTest::newRow("formula 1") << 8 << "Формула 1" << 8;
        QTest::newRow("switch 1") << 24 << "Переключение 1" << 24;
        QTest::newRow("characteristic 8") << 39 << "Характеристика 8" << 39;
        QTest::newRow("no such item") << 40 << "" << 255;
        QTest::newRow("negative") << -1 << "" << 255;
    }
    void switchLists()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, savedBack);
        Settings.SwitchParam1[4] = stored;
        Settings.SwitchParam2[4] = 255;
        Settings.SwitchUse[4] = 1;
        TFormSwitsh sw(f.ctx);
        sw.show();
        auto* list = child<QComboBox>(&sw, "ComboBox1");
        auto* p1 = child<QComboBox>(&sw, "ComboBox2");
        auto* p2 = child<QComboBox>(&sw, "ComboBox3");
        QCOMPARE(p1->count(), 41);
        QCOMPARE(p1->currentIndex(), -1);
        list->setCurrentIndex(4);
        QCOMPARE(list->currentText(), QString("Switch-5"));
        QCOMPARE(p1->currentText(), shown);
        QVERIFY(child<QCheckBox>(&sw, "CheckBox1")->isChecked());
        p2->setCurrentIndex(12); // "Формула 4"
        child<QPushButton>(&sw, "Button1")->click();
        QCOMPARE(Settings.SwitchParam1[4], savedBack);
        QCOMPARE(Settings.SwitchParam2[4], 11);
    }

    void switchNoneStores255()
    {
        Settings.SwitchParam2[0] = 30;
        TFormSwitsh sw(f.ctx);
        sw.show();
        child<QComboBox>(&sw, "ComboBox1")->setCurrentIndex(0);
        child<QComboBox>(&sw, "ComboBox3")->setCurrentIndex(0);
        child<QCheckBox>(&sw, "CheckBox1")->setChecked(true);
        child<QPushButton>(&sw, "Button3")->click();
        QCOMPARE(Settings.SwitchParam2[0], 255);
        QCOMPARE(Settings.SwitchUse[0], 1);
        QVERIFY(sw.isVisible()); // Apply stays open
    }

    void pointDecimals_data()
    {
        QTest::addColumn<QString>("typed"); // with '.' for the locale's separator
        QTest::addColumn<int>("stored");
        QTest::newRow("12.34") << "12.34" << 123;
        QTest::newRow("0.25 half to even") << "0.25" << 2;
        QTest::newRow("0.35 half to even") << "0.35" << 4;
        QTest::newRow("negative") << "-0.25" << -2;
        QTest::newRow("whole") << "7" << 70;
    }
    void pointDecimals()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        typed.replace('.', QLocale().decimalPoint());
        Settings.PointLevel[5] = 125;
        Settings.PointHysteresis[5] = -7;
        TFormSwitchPoint sp(f.ctx);
        sp.show();
        child<QComboBox>(&sp, "ComboBox1")->setCurrentIndex(5);
        QCOMPARE(child<QLineEdit>(&sp, "Edit1")->text(), formatFixed2(12.5));
        QCOMPARE(child<QLineEdit>(&sp, "Edit1")->text().size(), 5); // two decimals
        QCOMPARE(child<QLineEdit>(&sp, "Edit2")->text(), formatFixed2(-0.7));
        child<QLineEdit>(&sp, "Edit1")->setText(typed);
        child<QLineEdit>(&sp, "Edit2")->setText(typed);
        child<QLineEdit>(&sp, "Edit3")->setText("1500");
        child<QPushButton>(&sp, "Button1")->click();
        QCOMPARE(Settings.PointLevel[5], stored);
        QCOMPARE(Settings.PointHysteresis[5], stored);
        QCOMPARE(Settings.PointOnDelayMs[5], 1500);
    }

    void pointLevelSource_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("constant");
        QTest::addColumn<QString>("variableItem");
        QTest::newRow("constant") << 255 << true << "Нет";
        QTest::newRow("variable none") << -1 << false << "Нет";
        QTest::newRow("variable channel 1") << 0 << false << "Канал-1";
        QTest::newRow("variable characteristic 1") << 32 << false << "Характеристика 1";
        QTest::newRow("variable characteristic 8") << 39 << false << "Характеристика 8";
        QTest::newRow("variable without item") << 100 << false << "";
    }
    // Loaded and stored back unchanged: -1 is "Переменная" with "Нет", 32 the
    // first characteristic; a value with no item is kept.
    void pointLevelSource()
    {
        QFETCH(int, stored);
        QFETCH(bool, constant);
        QFETCH(QString, variableItem);
        Settings.PointLevelSource[1] = stored;
        TFormSwitchPoint sp(f.ctx);
        sp.show();
        child<QComboBox>(&sp, "ComboBox1")->setCurrentIndex(1);
        QCOMPARE(child<QRadioButton>(&sp, "RadioButton1")->isChecked(), constant);
        QCOMPARE(child<QRadioButton>(&sp, "RadioButton2")->isChecked(), !constant);
        QCOMPARE(child<QComboBox>(&sp, "ComboBox4")->currentText(), variableItem);
        QCOMPARE(child<QLineEdit>(&sp, "Edit1")->isEnabled(), constant);
        QCOMPARE(child<QComboBox>(&sp, "ComboBox4")->isEnabled(), !constant);
        Settings.PointLevelSource[1] = 77;
        child<QPushButton>(&sp, "Button3")->click();
        QCOMPARE(Settings.PointLevelSource[1], stored == 100 ? 77 : stored);
    }

    void pointLists()
    {
        Settings.PointParam[0] = 31;
        Settings.PointCondition[0] = 2;
        Settings.PointRelay[0] = 1;
        Settings.PointParam[1] = 32; // a characteristic: not offered
        Settings.PointCondition[1] = 7;
        TFormSwitchPoint sp(f.ctx);
        sp.show();
        auto* list = child<QComboBox>(&sp, "ComboBox1");
        auto* cond = child<QComboBox>(&sp, "ComboBox2");
        auto* param = child<QComboBox>(&sp, "ComboBox3");
        auto* relay = child<QComboBox>(&sp, "ComboBox5");
        auto* inputs = child<QPushButton>(&sp, "Button4");
        QCOMPARE(list->placeholderText(), QString("Номер канала"));
        QCOMPARE(param->count(), 33);
        QCOMPARE(child<QComboBox>(&sp, "ComboBox4")->count(), 41);
        list->setCurrentIndex(0);
        QCOMPARE(param->currentText(), QString("Переключение 8"));
        QCOMPARE(cond->currentText(), QString("Минимум"));
        QCOMPARE(relay->currentText(), QString("K-2"));
        QVERIFY(inputs->isEnabled());
        relay->setCurrentIndex(0);
        QVERIFY(!inputs->isEnabled());
        child<QRadioButton>(&sp, "RadioButton2")->setChecked(true);
        QVERIFY(!child<QLineEdit>(&sp, "Edit1")->isEnabled());
        child<QComboBox>(&sp, "ComboBox4")->setCurrentIndex(33);
        child<QPushButton>(&sp, "Button3")->click();
        QCOMPARE(Settings.PointRelay[0], 255);
        QCOMPARE(Settings.PointLevelSource[0], 32);
        QCOMPARE(Settings.PointCondition[0], 2);

        list->setCurrentIndex(1);
        QCOMPARE(param->currentIndex(), -1);
        QCOMPARE(cond->currentIndex(), -1);
        child<QPushButton>(&sp, "Button3")->click();
        QCOMPARE(Settings.PointParam[1], 255); // no item stores 255
        QCOMPARE(Settings.PointCondition[1], 7); // no condition item: kept

        // Reopened: the opening state, whatever was shown before.
        sp.hide();
        sp.show();
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(cond->currentIndex(), -1);
        QCOMPARE(relay->currentIndex(), -1);
        QVERIFY(child<QRadioButton>(&sp, "RadioButton1")->isChecked());
        QCOMPARE(child<QLineEdit>(&sp, "Edit1")->text(), formatFixed2(0));
        QCOMPARE(child<QLineEdit>(&sp, "Edit4")->text(), QString("0"));
        QVERIFY(!inputs->isEnabled());
    }

    // A field that is not a number: the error box, the point unchanged, and
    // OK keeps the dialog open with the edits.
    void pointNotANumber()
    {
        Settings.PointLevel[3] = 50;
        Settings.PointOnDelayMs[3] = 10;
        TFormSwitchPoint sp(f.ctx);
        sp.show();
        child<QComboBox>(&sp, "ComboBox1")->setCurrentIndex(3);
        child<QLineEdit>(&sp, "Edit3")->setText("20");
        child<QLineEdit>(&sp, "Edit2")->setText("1x");
        const QByteArray before = settingsBytes();
        child<QPushButton>(&sp, "Button1")->click();
        QCOMPARE(f.prompts.shown, QStringList{"Error: '1x' is not a valid floating point value"});
        QVERIFY(sp.isVisible());
        QCOMPARE(settingsBytes(), before);
        child<QLineEdit>(&sp, "Edit2")->setText("0");
        child<QLineEdit>(&sp, "Edit4")->setText("abc");
        child<QPushButton>(&sp, "Button3")->click();
        QCOMPARE(f.prompts.last(), QString("Error: 'abc' is not a valid integer value"));
        QCOMPARE(settingsBytes(), before);
    }

    void displayLists_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("savedBack");
        QTest::newRow("none") << 255 << "Нет" << 255;
        QTest::newRow("channel 1") << 0 << "Канал-1" << 0;
        QTest::newRow("switch 1") << 24 << "Переключение 1" << 24;
        QTest::newRow("characteristic 8") << 39 << "Характеристика 8" << 39;
        QTest::newRow("no item") << 41 << "" << 255;
    }
    void displayLists()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, savedBack);
        Settings.DisplayLoadSource = stored;
        Settings.DisplayOutreachSource = 3;
        Settings.DisplayLimitSource = stored;
        TFormDisplay d(f.ctx);
        d.show();
        QCOMPARE(d.windowTitle(), QString("Модуль/Дисплей"));
        QCOMPARE(child<QComboBox>(&d, "ComboBox1")->currentText(), shown);
        QCOMPARE(child<QComboBox>(&d, "ComboBox2")->currentText(), QString("Канал-4"));
        QCOMPARE(child<QComboBox>(&d, "ComboBox3")->currentText(), shown);
        child<QComboBox>(&d, "ComboBox3")->setCurrentIndex(9); // "Формула 1"
        child<QPushButton>(&d, "Button1")->click();
        QCOMPARE(Settings.DisplayLoadSource, savedBack);
        QCOMPARE(Settings.DisplayOutreachSource, 3);
        QCOMPARE(Settings.DisplayLimitSource, 8);
    }

    // Lists are loaded afresh at every opening; Cancel stores nothing.
    void displayReloadsAndCancel()
    {
        TFormDisplay d(f.ctx);
        d.show();
        child<QComboBox>(&d, "ComboBox1")->setCurrentIndex(5);
        child<QPushButton>(&d, "Button2")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(Settings.DisplayLoadSource, 255);
        Settings.DisplayLoadSource = 16;
        d.show();
        QCOMPARE(child<QComboBox>(&d, "ComboBox1")->currentText(), QString("Формула 9"));
    }

    void apply_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("relays") << "relay" << 1408 << 1508;
        QTest::newRow("switches") << "switch" << 1352 << 1408;
        QTest::newRow("switch points") << "point" << 1102 << 1537;
        QTest::newRow("display") << "display" << 1100 << 1505;
        QTest::newRow("identification") << "strings" << 1538 << 1898;
        QTest::newRow("curves") << "curves" << 156 << 956;
    }
    // Off-line Apply writes nothing; on-line it writes the editor's range even
    // with no item chosen, and reports the result; the caption follows the
    // mode at every opening.
    void apply()
    {
        QFETCH(QString, editor);
        QFETCH(int, from);
        QFETCH(int, to);
        std::unique_ptr<QDialog> d;
        if (editor == "relay")
            d = std::make_unique<TFormRelay>(f.ctx);
        else if (editor == "switch")
            d = std::make_unique<TFormSwitsh>(f.ctx);
        else if (editor == "point")
            d = std::make_unique<TFormSwitchPoint>(f.ctx);
        else if (editor == "display")
            d = std::make_unique<TFormDisplay>(f.ctx);
        else if (editor == "strings")
            d = std::make_unique<TFormStrings>(f.ctx);
        else
            d = std::make_unique<TFormCurves>(f.ctx);
        auto* applyButton = child<QPushButton>(d.get(), "Button3");

        d->show();
        QCOMPARE(applyButton->text(), QString("Применить"));
        const QByteArray before = settingsBytes();
        applyButton->click();
        QVERIFY(f.writes.isEmpty());
        QVERIFY(f.prompts.shown.isEmpty());
        if (editor != "display" && editor != "strings") // these store all they show
            QCOMPARE(settingsBytes(), before);
        d->hide();

        EditorFixture::setOnline(true);
        d->show();
        QCOMPARE(applyButton->text(), QString("Применить On-Line"));
        applyButton->click();
        QCOMPARE(f.writes, (QList<QPair<int, int>>{{from, to}}));
        QCOMPARE(f.prompts.shown, QStringList{"Information: Данные записаны в контроллер!"});
        f.writeResult = 1;
        applyButton->click();
        QCOMPARE(f.writes.size(), 2);
        QCOMPARE(f.prompts.last(), QString("Error: Ошибка записи данных!"));
        QVERIFY(d->isVisible());
        if (editor != "display" && editor != "strings")
            QCOMPARE(settingsBytes(), before);

        d->hide();
        EditorFixture::setOnline(false);
        d->show();
        QCOMPARE(applyButton->text(), QString("Применить"));
    }
};

int main(int argc, char** argv) { return runInTwoLocales<TestSetEditors>(argc, argv); }

#include "tst_seteditors.moc"
