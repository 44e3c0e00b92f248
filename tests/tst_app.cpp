// The application offscreen: start-up texts, the file commands with every
// answer, Тест2, and against vkm-sim the settings dialog, read all, write all,
// WriteOnLine and the on-line connection.

#include "app/readcontroller.h"
#include "app/sdimain.h"
#include "app/setup.h"
#include "app/writecontroller.h"
#include "core/defaults.h"
#include "core/files.h"
#include "core/image.h"
#include "core/state.h"
#include "link/online.h"
#include "link/session.h"
#include "scriptedprompter.h"
#include "filelimit.h"
#include "simfixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

using namespace vkm;

namespace {

QByteArray settingsBytes() { return QByteArray(reinterpret_cast<const char*>(Settings.bytes()), kSettingsSize); }

void writeRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// EEPROM block b = requests "01 05 ..." (WriteBlock) in the simulator's log:
// the address bytes follow the command byte.
QList<int> writtenBlocks(const QStringList& log)
{
    QList<int> blocks;
    for (const QString& line : log) {
        const QStringList b = line.split(QLatin1Char(' '));
        if (b.size() > 6 && b[1] == QLatin1String("05")) {
            const int addr = b[2].toInt(nullptr, 16) | (b[3].toInt(nullptr, 16) << 8) | (b[4].toInt(nullptr, 16) << 16);
            blocks << addr / 8;
        }
    }
    return blocks;
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SimFixture> sim;
    std::unique_ptr<LinkSession> link;
    std::unique_ptr<TSDIAppForm> form;
    ScriptedPrompter prompts;

    QString path(const QString& name) { return dir.filePath(name); }

    // A fresh vkm.ini mapping COM1 to `device`, the session and the window.
    void startApp(const QString& device)
    {
        form.reset();
        link.reset();
        const QString ini = path(QStringLiteral("vkm.ini"));
        QFile::remove(ini);
        writeRaw(ini, QStringLiteral("[Ports]\nCOM1=%1\nCOM3=%1\n").arg(device).toUtf8());
        link = std::make_unique<LinkSession>(ini);
        form = std::make_unique<TSDIAppForm>(*link, prompts);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    bool startSim(const QStringList& options = {})
    {
        sim = std::make_unique<SimFixture>();
        if (!sim->start(options))
            return false;
        startApp(sim->ptyPath());
        return true;
    }

private slots:
    void initTestCase() { QDir::setCurrent(dir.path()); }
    void init()
    {
        prompts.clear();
        OnlineMode = false;
        ApplyCaption = applyCaptionOffline();
    }
    void cleanup()
    {
        QVERIFY2(prompts.unexpected.isEmpty(), qPrintable(prompts.unexpected.join(QLatin1Char('|'))));
        form.reset();
        link.reset();
        sim.reset();
    }

    void startupTexts()
    {
        QVERIFY(startSim());
        QCOMPARE(form->windowTitle(), QStringLiteral("Управление Тензар - 4.2 : noName.bin"));
        QCOMPARE(form->StatusBar[0]->text(), QStringLiteral("Версия 4.2"));
        QCOMPARE(form->StatusBar[1]->text(), QStringLiteral("Состояние: OffLine"));
        QCOMPARE(form->StatusBar[2]->text(), QStringLiteral("Код ошибки: 000"));
        QCOMPARE(form->StatusBar[3]->text(), QStringLiteral("\u0421\u041e\u041c1,9600,8,N,2"));
        QVERIFY(link->port.isOpen());
        QVERIFY(prompts.shown.isEmpty());

        // Exit closes the port and writes sections "main" and "Dtrans"
        form->move(40, 50);
        form->resize(500, 150);
        form->actionFor(QStringLiteral("Выход"))->trigger();
        QVERIFY(!link->port.isOpen());
        IniFile ini(link->ini.path());
        ini.load();
        QCOMPARE(ini.intValue(ini::kMain, ini::kFormVersion), std::optional<int>(0));
        QCOMPARE(ini.intValue(ini::kMain, ini::kShowCmd), std::optional<int>(1));
        const QStringList norm = ini.value(ini::kMain, ini::kNormPos).value_or(QString()).split(QLatin1Char(','));
        QCOMPARE(norm.size(), 4);
        QCOMPARE(norm[2].toInt() - norm[0].toInt(), 500);
        QCOMPARE(ini.intValue(ini::kDtrans, ini::kComNumber), std::optional<int>(1));
    }

    // VKM_GRAB_DIR=folder: pictures of the window and the dialogs to look at.
    void pictures()
    {
        const QString out = qEnvironmentVariable("VKM_GRAB_DIR");
        if (out.isEmpty())
            QSKIP("VKM_GRAB_DIR not set");
        QVERIFY(startSim());
        form->grab().save(out + QStringLiteral("/main.png"));
        // every dialog of the application, named after its class
        for (QDialog* dlg : form->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
            const QString name = QString::fromLatin1(dlg->metaObject()->className()).section(QLatin1String("::"), -1);
            dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(dlg));
            dlg->grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
            dlg->hide();
        }
    }

    // Every menu item that opens a dialog shows the one instance created at
    // start-up, modally; closing it returns to the window.
    void menuOpensEachDialog_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("dialogClass");
        const QList<QPair<const char*, const char*>> items = {
            {"Общие настройки", "TFormSetup"},
            {"Аналоговые входы", "TFormAnalogModule"},
            {"Формулы", "TFormFormula"},
            {"Дисплей", "TFormDisplay"},
            {"Кривые", "TFormCurves"},
            {"Реле", "TFormRelay"},
            {"Переключатели", "TFormSwitsh"},
            {"Точки переключений", "TFormSwitchPoint"},
            {"Характеристики", "TFormCharacterModule"},
            {"Идентификация", "TFormStrings"},
            {"АЦП", "TFormACP"},
            {"ЦАП", "TFormCAP"},
            {"Настройка", "TDateTrans"},
            {"Тест каналов", "TFormTestAll"},
            {"Чтение всей Flash", "TFormReadControllerXMemory"},
            {"Установить скорость обмена", "TFormSetSpeedController"},
            {"Загрузка настроек", "TFormWriteController"},
            {"Чтение настроек", "TFormReadController"},
            {"О программе...", "TAboutBox"},
        };
        for (const auto& [item, cls] : items)
            QTest::newRow(item) << QString::fromUtf8(item) << QStringLiteral("vkm::") + QLatin1String(cls);
    }
    void menuOpensEachDialog()
    {
        QFETCH(QString, item);
        QFETCH(QString, dialogClass);
        QVERIFY(startSim());
        QAction* a = form->actionFor(item);
        QVERIFY(a);
        QVERIFY(a->isEnabled());
        QString shownClass;
        QObject* owner = nullptr;
        int instances = 0;
        QTimer::singleShot(0, form.get(), [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            shownClass = QString::fromLatin1(w->metaObject()->className());
            owner = w->parent();
            for (QWidget* c : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                instances += QString::fromLatin1(c->metaObject()->className()) == shownClass;
            static_cast<QDialog*>(w)->reject();
        });
        a->trigger();
        QCOMPARE(shownClass, dialogClass);
        QCOMPARE(owner, form.get());
        QCOMPARE(instances, 1);
    }

    void portThatDoesNotOpen()
    {
        startApp(path(QStringLiteral("no-such-device")));
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.shown[0].startsWith(QStringLiteral("Error: ")));
        QCOMPARE(form->StatusBar[3]->text(), QStringLiteral("COM1,9600,8,N,1"));
        prompts.clear();
    }

    void saveNamingAndOverwrite()
    {
        startApp(path(QStringLiteral("none")));
        prompts.clear();
        // no dot: ".bin" appended; a dot: used unchanged
        prompts.file(path(QStringLiteral("crane")));
        form->FileSave1Execute();
        QCOMPARE(readRaw(path(QStringLiteral("crane.bin"))), settingsBytes());
        QCOMPARE(form->windowTitle(), CaptionText(path(QStringLiteral("crane.bin"))));
        QCOMPARE(prompts.last(), QStringLiteral("Plain: Данные сохранены!"));
        prompts.file(path(QStringLiteral("crane.dat")));
        form->FileSave1Execute();
        QVERIFY(QFile::exists(path(QStringLiteral("crane.dat"))));
        // the save dialog starts with the name last completed
        QCOMPARE(prompts.saveInitialNames, QStringList({QString(), path(QStringLiteral("crane.bin"))}));

        // over an existing file: No and a closed box write nothing
        for (auto answer : {Prompter::Answer::No, Prompter::Answer::Closed}) {
            prompts.clear();
            writeRaw(path(QStringLiteral("old.bin")), "old");
            prompts.file(path(QStringLiteral("old.bin")));
            prompts.answer(answer);
            form->FileSave1Execute();
            QCOMPARE(readRaw(path(QStringLiteral("old.bin"))), QByteArray("old"));
            QCOMPARE(prompts.shown, QStringList({QStringLiteral("Save"),
                QStringLiteral("Question Confirmation: Такой файл существует. Перезаписать файл?")}));
        }
        prompts.clear();
        prompts.file(path(QStringLiteral("old.bin")));
        prompts.answer(Prompter::Answer::Yes);
        form->FileSave1Execute();
        QCOMPARE(readRaw(path(QStringLiteral("old.bin"))).size(), qsizetype(kSettingsSize));

        // a cancelled dialog does nothing; a folder that cannot be written
        // reports the failure and leaves the caption
        prompts.clear();
        const QString caption = form->windowTitle();
        prompts.file(std::nullopt);
        form->FileSave1Execute();
        prompts.file(path(QStringLiteral("missing/x.bin")));
        form->actionFor(QStringLiteral("Сохранить"))->trigger();
        QCOMPARE(form->windowTitle(), caption);
        QVERIFY(prompts.last().startsWith(QStringLiteral("Error: ")));
    }

    void openSizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("answer"); // -1: no question expected
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("lastBox");
        QTest::newRow("15072") << 15072 << -1 << true << QString();
        QTest::newRow("longer") << 20000 << -1 << true << QString();
        QTest::newRow("14696 Yes") << 14696 << int(Prompter::Answer::Yes) << true << QString();
        QTest::newRow("14696 No") << 14696 << int(Prompter::Answer::No) << false << QString();
        QTest::newRow("14696 closed") << 14696 << int(Prompter::Answer::Closed) << false << QString();
        QTest::newRow("100 Yes") << 100 << int(Prompter::Answer::Yes) << false
                                 << QStringLiteral("Error: Ошибка формата файла!");
    }
    void openSizes()
    {
        QFETCH(int, size);
        QFETCH(int, answer);
        QFETCH(bool, opened);
        QFETCH(QString, lastBox);
        startApp(path(QStringLiteral("none")));
        prompts.clear();
        QByteArray data(size, 0);
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7);
        const QString file = path(QStringLiteral("in.bin"));
        writeRaw(file, data);
        prompts.file(file);
        if (answer >= 0)
            prompts.answer(Prompter::Answer(answer));
        form->FileOpen1Execute();
        QCOMPARE(form->windowTitle(), CaptionText(opened ? file : QStringLiteral("noName.bin")));
        if (size >= int(kSettingsSize)) {
            QCOMPARE(settingsBytes(), data.left(kSettingsSize));
            // saved again: byte-identical
            prompts.file(path(QStringLiteral("again.bin")));
            QFile::remove(path(QStringLiteral("again.bin")));
            form->FileSave1Execute();
            QCOMPARE(readRaw(path(QStringLiteral("again.bin"))), data.left(kSettingsSize));
        }
        if (answer >= 0)
            QVERIFY(prompts.shown.contains(QStringLiteral(
                "Question Error: Ошибка формата файла! Сконвертировать в новый формат версии 3.4?")));
        if (!lastBox.isEmpty())
            QCOMPARE(prompts.last(), lastBox);
        prompts.clear();
        // a missing file: the error box, nothing changed
        prompts.file(path(QStringLiteral("absent.bin")));
        const QString caption = form->windowTitle();
        form->actionFor(QStringLiteral("Открыть"))->trigger();
        QCOMPARE(form->windowTitle(), caption);
        QVERIFY(prompts.last().startsWith(QStringLiteral("Error: ")));
    }

    void exportTest2AndNew()
    {
        startApp(path(QStringLiteral("none")));
        prompts.clear();
        // Тест2 right after start-up unpacks an all-zero image
        Settings.ChannelUse[0] = 1;
        form->Test2Execute();
        QCOMPARE(Settings.ChannelUse[0], 0);
        QVERIFY(prompts.shown.isEmpty());

        Settings.ChannelUse[2] = 1;
        Settings.ScaleInMax[1] = 1234;
        writeRaw(path(QStringLiteral("flash.bin")), QByteArray(5000, 'x'));
        form->ExportExecute();
        QCOMPARE(readRaw(path(QStringLiteral("flash.bin"))).size(), 2049);
        QCOMPARE(prompts.last(), QStringLiteral("Plain: Ok"));
        QCOMPARE(form->windowTitle(), CaptionText(QStringLiteral("noName.bin")));
        const QByteArray before = settingsBytes();
        form->Test2Execute();
        QCOMPARE(Settings.ChannelUse[2], 1);
        QCOMPARE(Settings.ScaleInMax[1], 1234);
        (void)before;

        // New: defaults and noName.bin, the reserved bytes left as they were
        prompts.file(path(QStringLiteral("named.bin")));
        QFile::remove(path(QStringLiteral("named.bin")));
        form->FileSave1Execute();
        SettingsRecord expected = Settings;
        ResetDefaults(expected);
        form->FileNew1Execute();
        QCOMPARE(settingsBytes(), QByteArray(reinterpret_cast<const char*>(expected.bytes()), kSettingsSize));
        QCOMPARE(form->windowTitle(), CaptionText(QStringLiteral("noName.bin")));
    }

    // A disk that fills up during Save or Export: the error box, no success
    // message, the caption kept and the previous file intact byte for byte.
    void saveAndExportOnAFullDisk()
    {
        startApp(path(QStringLiteral("none")));
        prompts.clear();
        QByteArray old(kSettingsSize, 0);
        for (int i = 0; i < old.size(); ++i)
            old[i] = char(i * 13);
        writeRaw(path(QStringLiteral("keep.bin")), old);
        writeRaw(path(QStringLiteral("flash.bin")), old.left(2049));
        Settings.ScaleInMax[0] = 4242;
        const QString caption = form->windowTitle();
        {
            FileSizeLimit full(1000);
            prompts.file(path(QStringLiteral("keep.bin")));
            prompts.answer(Prompter::Answer::Yes);
            form->actionFor(QStringLiteral("Сохранить"))->trigger();
            form->actionFor(QStringLiteral("Экспорт данных"))->trigger();
        }
        QCOMPARE(prompts.shown.size(), 4);
        QCOMPARE(prompts.shown[0], QStringLiteral("Save"));
        QVERIFY(prompts.shown[2].startsWith(QStringLiteral("Error: ")));
        QVERIFY2(prompts.shown[2].contains(QStringLiteral("keep.bin")), qPrintable(prompts.shown[2]));
        QVERIFY(prompts.shown[3].startsWith(QStringLiteral("Error: ")));
        QVERIFY2(prompts.shown[3].contains(QStringLiteral("flash.bin")), qPrintable(prompts.shown[3]));
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(readRaw(path(QStringLiteral("keep.bin"))), old);
        QCOMPARE(readRaw(path(QStringLiteral("flash.bin"))), old.left(2049));
        // the next Save, with room again, works
        prompts.clear();
        prompts.file(path(QStringLiteral("keep.bin")));
        prompts.answer(Prompter::Answer::Yes);
        form->FileSave1Execute();
        QCOMPARE(readRaw(path(QStringLiteral("keep.bin"))), settingsBytes());
        QCOMPARE(prompts.last(), QStringLiteral("Plain: Данные сохранены!"));
    }

    void setupDialogReopensAndWritesDtrans()
    {
        QVERIFY(startSim());
        TFormSetup* setup = form->dialogs().FormSetup;
        QTimer::singleShot(0, setup, [&] {
            QVERIFY(setup->comItems[0]->isChecked());
            QVERIFY(setup->baudItems[1]->isChecked());
            QCOMPARE(setup->comItems[0]->toolTip(), sim->ptyPath());
            setup->comItems[2]->click();  // Com3 maps to the simulator too
            setup->baudItems[3]->click(); // 19200
            QVERIFY(link->port.isOpen());
            setup->CancelBtn->click();
        });
        form->SetupExecute();
        QCOMPARE(form->StatusBar[3]->text(), QStringLiteral("\u0421\u041e\u041c3,19200,8,N,2"));
        IniFile ini(link->ini.path());
        ini.load();
        QCOMPARE(ini.intValue(ini::kDtrans, ini::kComNumber), std::optional<int>(3));
        QCOMPARE(ini.intValue(ini::kDtrans, ini::kBaud), std::optional<int>(19200));
        QCOMPARE(ini.intValue(ini::kRS, ini::kSelectComPort), std::optional<int>(2));
        QCOMPARE(ini.intValue(ini::kRS, ini::kBaudItem), std::optional<int>(3));
        QCOMPARE(ini.intValue(ini::kRS, ini::kFormVersion), std::optional<int>(0));
        QVERIFY(ini.value(ini::kRS, ini::kNormPos).has_value());

        // section "RS" naming another choice than the port acts as a click
        link->ini.setInt(ini::kRS, ini::kBaudItem, 1);
        link->ini.save();
        QTimer::singleShot(0, setup, [&] { setup->OKBtn->click(); });
        form->SetupExecute();
        QCOMPARE(link->port.baud(), 9600);
        QCOMPARE(form->StatusBar[3]->text(), QStringLiteral("\u0421\u041e\u041c3,9600,8,N,2"));
    }

    void readAllAndWriteAll()
    {
        QVERIFY(startSim());
        // write all, then read back into cleared settings
        Settings.ChannelUse[1] = 1;
        Settings.ScaleOutMax[1] = 4321;
        TFormWriteController* w = form->dialogs().FormWriteController;
        w->Button1Click();
        QCOMPARE(w->Edit1->text(), QStringLiteral("Write data Ok!"));
        QCOMPARE(prompts.last(), QStringLiteral("Information: Данные записаны в контроллер!"));
        QCOMPARE(sim->mathState().offCount, 3);
        QCOMPARE(sim->mathState().onCount, 1);
        QVERIFY(w->Button1->isEnabled());

        ResetDefaults(Settings);
        TFormReadController* r = form->dialogs().FormReadController;
        r->Button1Click();
        QCOMPARE(r->Edit1->text(), QStringLiteral("Read data Ok!"));
        QCOMPARE(prompts.last(), QStringLiteral("Information: Данные получены!"));
        QCOMPARE(Settings.ScaleOutMax[1], 4321);

        // a controller that stops answering at block 100
        sim->resetCounters();
        QVERIFY(sim->fault(QStringLiteral("noreply,cmd=5,addr=800")));
        w->Button1Click();
        QCOMPARE(w->Edit1->text(), QStringLiteral("Error write data!"));
        QCOMPARE(prompts.last(), QStringLiteral("Error: Ошибка записи данных!"));
        QVERIFY(sim->mathState().onCount >= 1);
        QVERIFY(sim->mathState().on);

        QVERIFY(sim->clearFaults());
        QVERIFY(sim->fault(QStringLiteral("noreply,cmd=4,addr=800")));
        const QByteArray before = settingsBytes();
        r->Button1Click();
        QCOMPARE(r->Edit1->text(), QStringLiteral("Error read data!"));
        QCOMPARE(prompts.last(), QStringLiteral("Error: Ошибка чтения!"));
        QCOMPARE(settingsBytes(), before);
        QVERIFY(r->Button1->isEnabled() && r->Button2->isEnabled());
        prompts.clear();
    }

    void writeOnLineBlocks_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("analog") << 0 << 66 << 0 << 9;
        QTest::newRow("strings") << 1538 << 1898 << 192 << 238;
        QTest::newRow("one block") << 1 << 2 << 0 << 1;
        QTest::newRow("relays") << 1408 << 1508 << 176 << 189;
    }
    void writeOnLineBlocks()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, first);
        QFETCH(int, last);
        QVERIFY(startSim());
        sim->resetCounters();
        QCOMPARE(form->context().writeOnLine(from, to), 0);
        QList<int> expected;
        for (int b = first; b <= last; ++b)
            expected << b;
        QCOMPARE(writtenBlocks(sim->requestLog()), expected);
        QCOMPARE(form->dialogs().FormWriteController->Edit1->text(), QStringLiteral("Write data Ok!"));
        QCOMPARE(sim->mathState().offCount, 3);
    }

    void onlineConnection()
    {
        // an erased controller that misses the first probe
        QVERIFY(startSim());
        QVERIFY(sim->fault(QStringLiteral("noreply,space=254,count=3")));
        TFormSetup* setup = form->dialogs().FormSetup;
        Settings.ChannelUse[0] = 1;
        setup->BitBtn1Click();
        QCOMPARE(prompts.shown, QStringList({
            QStringLiteral("Information: Прибор подключен в режиме OnLine!. Сейчас произойдет чтение настроек из прибора!"),
            QStringLiteral("Information: Прибор не настроен!")}));
        QVERIFY(OnlineMode);
        QCOMPARE(ApplyCaption, QStringLiteral("Применить On-Line"));
        QCOMPARE(setup->BitBtn1->text(), QStringLiteral("OffLine"));
        QCOMPARE(form->StatusBar[1]->text(), QStringLiteral("Состояние : On Line"));
        QCOMPARE(Settings.ChannelUse[0], 0);
        QVERIFY(!setup->pbar->isVisible() && !setup->LabelEdit1->isVisible());

        // going off-line sends nothing and keeps the settings
        Settings.ChannelUse[0] = 1;
        sim->resetCounters();
        setup->BitBtn1Click();
        QCOMPARE(sim->requestCount(), 0);
        QVERIFY(!OnlineMode);
        QCOMPARE(ApplyCaption, QStringLiteral("Применить"));
        QCOMPARE(form->StatusBar[1]->text(), QStringLiteral("Состояние : Off Line"));
        QCOMPARE(Settings.ChannelUse[0], 1);

        // one byte not 0xFF: the image is unpacked
        QByteArray image(2048, char(0xFF));
        image[0] = 1; // ChannelUse[0]
        QVERIFY(sim->setEeprom(image));
        prompts.clear();
        setup->BitBtn1Click();
        QCOMPARE(prompts.last(), QStringLiteral("Information: Данные получены!"));
        QVERIFY(OnlineMode);
        OnlineMode = false;

        // a read that fails keeps the open settings and stays off-line
        QVERIFY(sim->fault(QStringLiteral("noreply,cmd=4,addr=800")));
        Settings.ScaleInMax[3] = 777;
        prompts.clear();
        setup->BitBtn1Click();
        QCOMPARE(prompts.last(), QStringLiteral("Error: Ошибка чтения!"));
        QVERIFY(!OnlineMode);
        QCOMPARE(Settings.ScaleInMax[3], 777);
        QCOMPARE(setup->BitBtn1->text(), QStringLiteral("OnLine"));
        prompts.clear();
    }

    void onlineReadClosesReadDialog()
    {
        QVERIFY(startSim());
        OnlineMode = true;
        TFormReadController* r = form->dialogs().FormReadController;
        QTimer::singleShot(0, r, [&] { r->Button1->click(); });
        QTimer::singleShot(20000, r, [&] { r->reject(); }); // safety net
        QCOMPARE(r->exec(), int(QDialog::Accepted));
        QCOMPARE(prompts.last(), QStringLiteral("Information: Данные получены!"));
        prompts.clear();
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
