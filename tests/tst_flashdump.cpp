// The flash dump against vkm-sim: the sector list of vkmtool, the attempt
// text, and the dump dialog's files, retries, "Стоп", a close during a dump
// and a controller that never answers.

#include "service/readcontrollerxmemory.h"

#include "link/flashdump.h"
#include "servicerig.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace vkm;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstFlashDump : public QObject {
    Q_OBJECT

    std::unique_ptr<ServiceRig> rig;
    std::unique_ptr<QTemporaryDir> out;
    std::unique_ptr<TFormReadControllerXMemory> dlg;

    QString file(int sector) const { return out->filePath(sectorFileName(sector)); }
    QStringList files() const { return QDir(out->path()).entryList(QDir::Files, QDir::Name); }
    QString edit1() { return named<QLineEdit>(*dlg, "Edit1")->text(); }
    QString label1() { return named<QLabel>(*dlg, "Label1")->text(); }
    void tickOnly(std::initializer_list<int> sectors)
    {
        for (int n = 1; n <= kFlashSectors; ++n)
            named<QCheckBox>(*dlg, QStringLiteral("Sector%1").arg(n))->setChecked(false);
        for (int n : sectors)
            named<QCheckBox>(*dlg, QStringLiteral("Sector%1").arg(n))->setChecked(true);
    }
    // Runs `act` once, while the dump reads the given block of the given
    // sector (the dialog's own progress says so).
    void whileReading(int sector, int block, std::function<void()> act)
    {
        auto* t = new QTimer(dlg.get());
        t->setInterval(0);
        connect(t, &QTimer::timeout, this, [this, t, sector, block, act] {
            if (edit1() == QStringLiteral("Read sector %1 from 14...").arg(sector)
                && named<QProgressBar>(*dlg, "pbar")->value() == block) {
                t->stop();
                act();
            }
        });
        t->start();
    }

private slots:
    void init()
    {
        rig = std::make_unique<ServiceRig>();
        QVERIFY2(rig->start(), qPrintable(rig->why));
        out = std::make_unique<QTemporaryDir>();
        dlg = std::make_unique<TFormReadControllerXMemory>(*rig->ctx);
        dlg->setDirectory(out->path());
        dlg->show();
    }
    void cleanup()
    {
        QVERIFY2(rig->prompts.unexpected.isEmpty(), qPrintable(rig->prompts.unexpected.join('|')));
        dlg.reset();
        rig.reset();
    }

    void sectorList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("sectors"); // empty: refused
        QTest::newRow("ranges and single") << "1-3,7" << QList<int>{1, 2, 3, 7};
        QTest::newRow("last") << "14" << QList<int>{14};
        QTest::newRow("blanks, repeats") << " 2 , 2-3 " << QList<int>{2, 3};
        QTest::newRow("all") << "1-14" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
        QTest::newRow("empty") << "" << QList<int>{};
        QTest::newRow("sector 0") << "0" << QList<int>{};
        QTest::newRow("sector 15") << "3,15" << QList<int>{};
        QTest::newRow("backwards") << "3-1" << QList<int>{};
        QTest::newRow("open range") << "2-" << QList<int>{};
        QTest::newRow("empty item") << "1,,2" << QList<int>{};
        QTest::newRow("hex") << "0x3" << QList<int>{};
    }
    void sectorList()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, sectors);
        QString why;
        const auto set = parseSectorList(text, &why);
        QCOMPARE(set.has_value(), !sectors.isEmpty());
        if (!set) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QList<int> got;
        for (int n = 1; n <= kFlashSectors; ++n)
            if ((*set)[n - 1])
                got << n;
        QCOMPARE(got, sectors);
    }

    void attemptText()
    {
        QCOMPARE(flashAttemptText(flashBlockAddress(1, 1), 0), QStringLiteral("Add : 0x10080h   Error count : 0"));
        QCOMPARE(flashAttemptText(flashBlockAddress(14, 511), 12), QStringLiteral("Add : 0xEFF80h   Error count : 12"));
    }

    void showingTicksEverySector()
    {
        tickOnly({2});
        dlg->hide();
        dlg->show();
        for (int n = 1; n <= kFlashSectors; ++n)
            QVERIFY(named<QCheckBox>(*dlg, QStringLiteral("Sector%1").arg(n))->isChecked());
        QVERIFY(!named<QPushButton>(*dlg, "btStop")->isEnabled());
        QVERIFY(named<QPushButton>(*dlg, "btRead")->isEnabled());
        QVERIFY(edit1().isEmpty());
        grab(*dlg, "readcontrollerxmemory");
    }

    void onlySector3()
    {
        tickOnly({3});
        bool stopEnabled = false, readEnabled = true;
        whileReading(3, 100, [&] {
            stopEnabled = named<QPushButton>(*dlg, "btStop")->isEnabled();
            readEnabled = named<QPushButton>(*dlg, "btRead")->isEnabled();
        });
        click(*dlg, "btRead");
        QVERIFY(stopEnabled);
        QVERIFY(!readEnabled);
        QCOMPARE(files(), QStringList{"sector3.bin"});
        const QByteArray got = fileBytes(file(3));
        QCOMPARE(got.size(), 65536);
        QVERIFY(got == rig->sim.readMemory(2, 0x30000, 65536));
        QCOMPARE(rig->prompts.shown, QStringList{"Information: Данные получены!"});
        QCOMPARE(edit1(), QStringLiteral("Read data Ok!"));
        QCOMPARE(label1(), QStringLiteral("Add : 0x3FF80h   Error count : 0"));
        grab(*dlg, "readcontrollerxmemory-done");
        QVERIFY(!named<QPushButton>(*dlg, "btStop")->isEnabled());
        QVERIFY(named<QPushButton>(*dlg, "btRead")->isEnabled());
        const QStringList reqs = rig->requests();
        QCOMPARE(reqs.size(), 512);
        QCOMPARE(reqs.first(), QStringLiteral("read 0x30000"));
        QCOMPARE(reqs.last(), QStringLiteral("read 0x3FF80"));
    }

    void stopDuringBlock10OfSector2()
    {
        whileReading(2, 10, [this] { click(*dlg, "btStop"); });
        click(*dlg, "btRead");
        QCOMPARE(files(), (QStringList{"sector1.bin", "sector2.bin"}));
        QVERIFY(fileBytes(file(1)) == rig->sim.readMemory(2, 0x10000, 65536));
        const QByteArray second = fileBytes(file(2));
        QCOMPARE(second.size(), 1408);
        QVERIFY(second == rig->sim.readMemory(2, 0x20000, 1408));
        QCOMPARE(edit1(), QStringLiteral("User stop read data!"));
        QCOMPARE(rig->prompts.shown, QStringList{"Error: Стоп чтения!"});
    }

    void blockAtItsThirdAttempt()
    {
        // Block 5 of sector 3 fails its first two attempts (three exchanges each).
        QVERIFY(rig->sim.fault(QStringLiteral("badsum,cmd=4,addr=0x30280,addrto=0x30280,count=6")));
        tickOnly({3});
        click(*dlg, "btRead");
        QCOMPARE(label1(), QStringLiteral("Add : 0x3FF80h   Error count : 2"));
        QVERIFY(fileBytes(file(3)) == rig->sim.readMemory(2, 0x30000, 65536));
        QCOMPARE(rig->sim.requestCount(), 512 + 6);
        QCOMPARE(rig->prompts.shown, QStringList{"Information: Данные получены!"});
    }

    void closeDuringDumpWaitsForIt()
    {
        tickOnly({5, 6});
        bool visibleAfterClose = false;
        whileReading(5, 100, [&] {
            dlg->reject();
            visibleAfterClose = dlg->isVisible();
        });
        click(*dlg, "btRead");
        QVERIFY(visibleAfterClose);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(files(), QStringList{"sector5.bin"});
        QCOMPARE(fileBytes(file(5)).size(), 101 * 128);
        QCOMPARE(rig->prompts.shown, QStringList{"Error: Стоп чтения!"});
    }

    void controllerThatNeverAnswers()
    {
        QVERIFY(rig->sim.silentAfter(0));
        tickOnly({4, 5});
        click(*dlg, "btRead");
        QCOMPARE(rig->sim.requestCount(), 15); // five attempts of three exchanges
        QCOMPARE(files(), QStringList{"sector4.bin"});
        QVERIFY(QFileInfo(file(4)).exists());
        QCOMPARE(QFileInfo(file(4)).size(), 0);
        QCOMPARE(edit1(), QStringLiteral("Error read data!"));
        QCOMPARE(label1(), QStringLiteral("Add : 0x40000h   Error count : 4"));
        QCOMPARE(rig->prompts.shown, QStringList{"Error: Ошибка чтения!"});
    }

    void fileThatCannotBeCreated()
    {
        dlg->setDirectory(out->filePath("missing"));
        tickOnly({1});
        click(*dlg, "btRead");
        QCOMPARE(rig->prompts.shown.size(), 1);
        QVERIFY2(rig->prompts.shown[0].startsWith("Error: ") && rig->prompts.shown[0].contains("sector1.bin"),
                 qPrintable(rig->prompts.shown[0]));
        QCOMPARE(rig->sim.requestCount(), 0);
        QVERIFY(named<QPushButton>(*dlg, "btRead")->isEnabled());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TstFlashDump t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_flashdump.moc"
