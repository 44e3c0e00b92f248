// The protocol against vkm-sim on a pseudo-terminal.

#include "link/infolog.h"
#include "link/protocol.h"
#include "link/qserial.h"
#include "simfixture.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace vkm;

class TstProtocol : public QObject {
    Q_OBJECT

    struct Link {
        QtSerialLink port;
        InfoLog log;
        Protocol p{port, log};
        explicit Link(const QString& dev) { port.setDevice(dev); }
    };

    static uint8_t pattern(uint32_t a) { return uint8_t(a + 3 * (a >> 8) + 7 * (a >> 16)); }

private slots:
    void workedExampleOnTheWire_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("wire");
        QTest::newRow("address 1") << 1 << "01 06 22 10 00 02 C5";
        QTest::newRow("address 0: no address byte") << 0 << "06 22 10 00 02 C5";
    }
    void workedExampleOnTheWire()
    {
        QFETCH(int, address);
        QFETCH(QString, wire);
        SimFixture sim;
        QVERIFY2(sim.start({"--address", QString::number(address)}), qPrintable(sim.error()));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        l.p.LinkAddress = uint8_t(address);
        uint16_t v = 0;
        QVERIFY(!l.p.ReadWord(0x1022, SpaceMemory, v));
        QCOMPARE(v, uint16_t(pattern(0x1022) + 256 * pattern(0x1023)));
        QCOMPARE(l.log.lines(), QStringList({"Read data...", "Ok!"}));
        const QStringList req = sim.requestLog();
        QCOMPARE(req.size(), 1);
        QVERIFY2(req[0].startsWith(wire), qPrintable(req[0]));
    }

    // One exchange against each fault: the result code tells a short reply
    // (a timeout) from a wrong sum; the next exchange is not disturbed.
    void faultsOfOneExchange_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("result");
        QTest::newRow("no reply") << "noreply,count=1" << 1;
        QTest::newRow("short: 2 of 4 bytes") << "short:2,count=1" << 1;
        QTest::newRow("wrong sum") << "badsum,count=1" << 2;
        QTest::newRow("extra bytes after the reply") << "extra:5,count=1" << 0;
        QTest::newRow("bytes slower than the timeout") << "slow,count=1" << 1;
        QTest::newRow("bytes just within the timeout") << "slowok,count=1" << 0;
    }
    void faultsOfOneExchange()
    {
        QFETCH(QString, fault);
        QFETCH(int, result);
        SimFixture sim;
        QVERIFY2(sim.start({"--fault", fault}), qPrintable(sim.error()));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        // ReadWord at 0x1022 of space 2, built by hand as the panel exchange does.
        const uint8_t params[] = {0x22, 0x10, 0x00, 0x02};
        std::copy(std::begin(params), std::end(params), l.p.FrameBuffer.begin() + 1);
        QCOMPARE(int(l.p.ExchangeFrame(6, 4, 4)), result);
        if (result == 1 && fault.startsWith("short"))
            QCOMPARE(l.p.lastFault(), QString("reply stopped after 2 of 4 bytes"));
        // A slow reply goes on arriving after the timeout: let it end.
        if (fault.startsWith("slow,"))
            QTest::qWait(3000);
        uint16_t v = 0;
        QVERIFY(!l.p.ReadWord(0x1022, SpaceMemory, v));
        QCOMPARE(v, uint16_t(pattern(0x1022) + 256 * pattern(0x1023)));
    }

    void garbageNeverHangs()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--fault", "garbage:40,rate=0.5", "--seed", "7"}));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        for (int i = 0; i < 6; ++i) {
            uint16_t v;
            l.p.ReadWord(0x1022, SpaceMemory, v);
        }
        QVERIFY(sim.clearFaults());
        uint16_t v = 0;
        QVERIFY(!l.p.ReadWord(0x1022, SpaceMemory, v));
        QCOMPARE(v, uint16_t(pattern(0x1022) + 256 * pattern(0x1023)));
    }

    void retriesAndTheirLogLines_data()
    {
        QTest::addColumn<int>("badReplies");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("error");
        QTest::newRow("one") << 1 << QStringList{"Read data...", "...", "Ok!"} << false;
        QTest::newRow("two") << 2 << QStringList{"Read data...", "...", "...", "Ok!"} << false;
        QTest::newRow("three") << 3 << QStringList{"Read data...", "...", "...", "...", "!!! Error !!!"} << true;
    }
    void retriesAndTheirLogLines()
    {
        QFETCH(int, badReplies);
        QFETCH(QStringList, log);
        QFETCH(bool, error);
        SimFixture sim;
        QVERIFY(sim.start({"--fault", QString("badsum,count=%1").arg(badReplies)}));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        uint16_t v = 0;
        QCOMPARE(l.p.ReadWord(0x1022, SpaceMemory, v), error);
        QCOMPARE(l.log.lines(), log);
        QCOMPARE(sim.requestCount(), std::min(badReplies + 1, 3));
    }

    void blocksOfEveryLength()
    {
        SimFixture sim;
        QVERIFY(sim.start());
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        // 128 bytes of program memory: a 131-byte reply.
        QVERIFY(!l.p.ReadBlock(0x10000, 128, SpaceMemory));
        for (int i = 0; i < 128; ++i)
            QCOMPARE(l.p.ReplyBuffer[1 + i], pattern(0x10000 + i));
        // A write of 8 bytes: address byte + 14 frame bytes, stored unchanged.
        const uint8_t data[8] = {1, 2, 3, 0x0A, 0x0D, 0x11, 0x03, 0xFF};
        QVERIFY(!l.p.WriteBlock(0x3A8, 8, SpaceEeprom, data));
        QCOMPARE(sim.requestLog().last().section(" -> ", 0, 0).split(' ').size(), 15);
        QCOMPARE(sim.eeprom().mid(0x3A8, 8), QByteArray(reinterpret_cast<const char*>(data), 8));
        QVERIFY(!l.p.WriteByte(0x20, 0x1234, SpaceEeprom));
        QCOMPARE(uint8_t(sim.eeprom()[0x20]), uint8_t(0x34));
        QCOMPARE(l.log.lines().mid(l.log.lines().size() - 2), QStringList({"Transmit data...", "Ok!"}));
    }

    // A request started inside another's wait is refused without touching
    // the line; a command given to whenIdle runs right after the request,
    // before its caller goes on.
    void reentryIsRefusedAndWhenIdleRunsAfter()
    {
        SimFixture sim;
        QVERIFY(sim.start({"--fault", "slowok,count=1"}));
        Link l(sim.ptyPath());
        QVERIFY(l.port.open());
        QStringList events;
        bool nestedError = false;
        QTimer::singleShot(300, [&] {
            QVERIFY(l.p.busy());
            uint16_t w;
            nestedError = l.p.ReadWord(0, SpaceMemory, w);
            events << "timer";
            l.p.whenIdle([&] {
                events << "queued";
                uint16_t w2;
                events << (l.p.ReadWord(0x1022, SpaceMemory, w2) ? "queued read failed" : "queued read ok");
            });
        });
        uint16_t v = 0;
        const bool error = l.p.ReadWord(0x1022, SpaceMemory, v);
        events << "caller";
        QVERIFY(!error);
        QVERIFY(nestedError);
        QCOMPARE(events, QStringList({"timer", "queued", "queued read ok", "caller"}));
        QCOMPARE(sim.requestCount(), 2); // the refused request never reached the line
        bool ran = false;
        l.p.whenIdle([&] { ran = true; });
        QVERIFY(ran); // idle: at once
    }

    void missingDeviceAndClosedPort()
    {
        QtSerialLink port;
        InfoLog log;
        Protocol p(port, log);
        port.setDevice("/nonexistent/tty");
        QVERIFY(!port.open());
        QVERIFY2(port.errorString().contains("/nonexistent/tty"), qPrintable(port.errorString()));
        uint16_t v;
        QVERIFY(p.ReadWord(0, SpaceEeprom, v)); // fails like a missing reply, no exception
        QCOMPARE(log.lines().last(), QString("!!! Error !!!"));
        QCOMPARE(p.lastFault(), QString("port not open"));
    }

    // The controller vanishes while the port is open: one report, the port
    // closes itself, requests fail, and the next opening works.
    void deviceVanishesAndReopens()
    {
        SimFixture sim;
        QVERIFY(sim.start());
        Link l(sim.ptyPath());
        QSignalSpy failed(&l.port, &SerialLink::failed);
        QVERIFY(l.port.open());
        uint16_t v;
        QVERIFY(!l.p.ReadWord(0x1022, SpaceMemory, v));
        sim.kill();
        QTest::qWait(200);
        QVERIFY(l.p.ReadWord(0x1022, SpaceMemory, v));
        QTest::qWait(200);
        QVERIFY(!l.port.isOpen());
        QVERIFY(failed.size() <= 1);
        QVERIFY(l.p.ReadWord(0x1022, SpaceMemory, v));

        SimFixture again;
        QVERIFY(again.start());
        l.port.setDevice(again.ptyPath());
        QVERIFY(l.port.open());
        QVERIFY(!l.p.ReadWord(0x1022, SpaceMemory, v));
    }

    void logIsEmptiedPast100Lines()
    {
        InfoLog log;
        for (int i = 0; i < 100; ++i)
            log.add(QString::number(i));
        QCOMPARE(log.lines().size(), 100);
        log.add("101st");
        QVERIFY(log.lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstProtocol)
#include "tst_protocol.moc"
