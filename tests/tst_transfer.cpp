// The read-all and write-all loops and WriteOnLine against vkm-sim.

#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/protocol.h"
#include "link/qserial.h"
#include "link/transfer.h"
#include "simfixture.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

using namespace vkm;

class TstTransfer : public QObject {
    Q_OBJECT

    struct Link {
        QtSerialLink port;
        InfoLog log;
        Protocol p{port, log};
        QStringList status;
        QList<int> positions;
        TransferProgress progress;
        explicit Link(const QString& dev)
        {
            port.setDevice(dev);
            progress.status = [this](const QString& s) { status << s; };
            progress.position = [this](int p) { positions << p; };
        }
    };

    static QByteArray randomImage()
    {
        QByteArray b(2048, 0);
        QRandomGenerator g(42);
        for (auto& c : b)
            c = char(g.bounded(256));
        return b;
    }

    // Addresses of the WriteBlock requests in the simulator's log.
    static QList<int> writtenBlocks(SimFixture& sim)
    {
        QList<int> blocks;
        for (const QString& line : sim.requestLog()) {
            const QStringList b = line.section(" -> ", 0, 0).split(' ', Qt::SkipEmptyParts);
            if (b.size() > 4 && b[1] == "05")
                blocks << (b[2].toInt(nullptr, 16) + 256 * b[3].toInt(nullptr, 16)) / 8;
        }
        return blocks;
    }

    static int requestsOf(SimFixture& sim, const QString& cmd, const QString& spaceByte)
    {
        int n = 0;
        for (const QString& line : sim.requestLog()) {
            const QStringList b = line.section(" -> ", 0, 0).split(' ', Qt::SkipEmptyParts);
            if (b.size() > 5 && b[1] == cmd && b[5] == spaceByte)
                ++n;
        }
        return n;
    }

private slots:
    void readAllMatchesTheEeprom_data()
    {
        QTest::addColumn<QByteArray>("eeprom");
        QTest::newRow("written") << randomImage();
        QTest::newRow("erased") << QByteArray(2048, char(0xFF));
    }
    void readAllMatchesTheEeprom()
    {
        QFETCH(QByteArray, eeprom);
        SimFixture sim;
        QVERIFY(sim.start());
        QVERIFY(sim.setEeprom(eeprom));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        auto image = std::make_unique<ImageBuffer>();
        image->fill(0);
        long sum = 0;
        const TransferOutcome o = readImage(l.p, *image, l.progress, &sum);
        QVERIFY2(o.ok, qPrintable(o.detail));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image->data()), 2048), eeprom);
        long expected = 0;
        for (char c : eeprom)
            expected += uint8_t(c);
        QCOMPARE(sum, expected);
        QCOMPARE(l.status, QStringList({"Read data...", "Read data Ok!"}));
        QCOMPARE(l.positions.size(), 257);
        QCOMPARE(l.positions.last(), 8 * 255);
        QCOMPARE(sim.mathState().offCount, 0); // a read sends no MathOff/MathOn
    }

    void readStopsAtTheFailingBlock()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--fault", "noreply,cmd=4,addr=936"}));
        const QByteArray eeprom = randomImage();
        QVERIFY(sim.setEeprom(eeprom));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        auto image = std::make_unique<ImageBuffer>();
        image->fill(0);
        const TransferOutcome o = readImage(l.p, *image, l.progress);
        QVERIFY(!o.ok);
        QCOMPARE(o.failedBlock, 117);
        QVERIFY2(o.detail.contains("block 117 (EEPROM 0x3A8)") && o.detail.contains("no reply"), qPrintable(o.detail));
        QCOMPARE(l.status.last(), QString("Error read data!"));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image->data()), 936), eeprom.left(936));
        QCOMPARE(int((*image)[936]), 0);
    }

    void writeAllStoresTheImage()
    {
        SimFixture sim;
        QVERIFY(sim.start());
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        auto image = std::make_unique<ImageBuffer>();
        image->fill(0);
        const QByteArray want = randomImage();
        std::copy(want.begin(), want.end(), image->begin());
        const TransferOutcome o = writeImageBlocks(l.p, *image, 0, 255, l.progress);
        QVERIFY2(o.ok, qPrintable(o.detail));
        QCOMPARE(sim.eeprom(), want);
        const auto m = sim.mathState();
        QCOMPARE(m.offCount, 3);
        QCOMPARE(m.onCount, 1);
        QVERIFY(m.on);
        QCOMPARE(l.status, QStringList({"Write data...", "Write data Ok!"}));
    }

    // The controller stops answering at block 100: the write ends there,
    // earlier blocks hold the new image, and MathOn is still sent.
    void writeStopsAndStillSwitchesMathOn()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--fault", "noreply,cmd=5,addr=800"}));
        const QByteArray old(2048, char(0x5A));
        QVERIFY(sim.setEeprom(old));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        auto image = std::make_unique<ImageBuffer>();
        image->fill(0x11);
        const TransferOutcome o = writeImageBlocks(l.p, *image, 0, 255, l.progress);
        QVERIFY(!o.ok);
        QCOMPARE(o.failedBlock, 100);
        QVERIFY2(o.detail.contains("block 100 (EEPROM 0x320)"), qPrintable(o.detail));
        QCOMPARE(l.status.last(), QString("Error write data!"));
        const QByteArray e = sim.eeprom();
        QCOMPARE(e.left(800), QByteArray(800, 0x11));
        QCOMPARE(e.mid(800), old.mid(800));
        QVERIFY(sim.mathState().on);
        QVERIFY(!writtenBlocks(sim).contains(101));
    }

    void mathOnIsRepeatedOnceWhenItFails()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--fault", "noreply,cmd=6,space=254,count=3"}));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        auto image = std::make_unique<ImageBuffer>();
        image->fill(0);
        QVERIFY(writeImageBlocks(l.p, *image, 3, 4, l.progress).ok);
        QCOMPARE(requestsOf(sim, "06", "FE"), 4); // three failed attempts, then the second MathOn
        QCOMPARE(requestsOf(sim, "06", "FF"), 3);
        QVERIFY(sim.mathState().on);
    }

    void writeOnLineBlocks_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("analog inputs") << 0 << 66 << 0 << 9;
        QTest::newRow("identification strings") << 1538 << 1898 << 192 << 238;
        QTest::newRow("one block: it and the next") << 1342 << 1343 << 167 << 168;
        QTest::newRow("end of the image: no block past 255") << 2040 << 2047 << 255 << 255;
    }
    void writeOnLineBlocks()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, first);
        QFETCH(int, last);
        SimFixture sim;
        QVERIFY(sim.start());
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        QCOMPARE(WriteOnLine(l.p, from, to, l.progress), 0);
        QList<int> want;
        for (int b = first; b <= last; ++b)
            want << b;
        QCOMPARE(writtenBlocks(sim), want);
        // The blocks carry the packed settings.
        auto packed = std::make_unique<ImageBuffer>();
        packed->fill(0);
        PackImage(Settings, *packed);
        QCOMPARE(sim.eeprom().mid(first * 8, 8), QByteArray(reinterpret_cast<const char*>(packed->data()) + first * 8, 8));
        QCOMPARE(sim.mathState().offCount, 3);
    }

    void writeOnLineReportsAFailedBlock()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--silent-after", "5"}));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        QCOMPARE(WriteOnLine(l.p, 1408, 1508, l.progress), 1);
        QCOMPARE(l.status.last(), QString("Error write data!"));
    }
};

QTEST_GUILESS_MAIN(TstTransfer)
#include "tst_transfer.moc"
