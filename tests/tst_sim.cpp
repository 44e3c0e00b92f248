// vkm-sim driven with raw frames over its pseudo-terminal, as a controller
// would be: reply lengths and sums, memories, the address byte, the speed
// change, live values, the control channel and the injected faults.

#include "simfixture.h"

#include "core/defaults.h"
#include "core/image.h"
#include "core/settings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

using namespace vkm;

namespace {

uint8_t complement(const QByteArray& b)
{
    unsigned s = 0;
    for (char c : b)
        s += static_cast<uint8_t>(c);
    return static_cast<uint8_t>(0xFF - (s & 0xFF));
}

bool sumsToFF(const QByteArray& b)
{
    unsigned s = 0;
    for (char c : b)
        s += static_cast<uint8_t>(c);
    return (s & 0xFF) == 0xFF;
}

uint8_t pattern(uint32_t a)
{
    return static_cast<uint8_t>(a + 3 * (a >> 8) + 7 * (a >> 16));
}

// The configurator's side of the line, in plain termios.
class RawPort {
public:
    explicit RawPort(const QString& path, speed_t speed = B9600)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (fd_ >= 0)
            setSpeed(speed);
    }
    ~RawPort()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void setSpeed(speed_t speed)
    {
        termios t {};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD | CSTOPB;
        cfsetspeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
    }
    // Sends an address byte (unless address < 0) and the frame with its sum;
    // collects up to `want` bytes, each within `byteMs`, then whatever else
    // comes within 100 ms.
    QByteArray exchange(int address, QByteArray frame, int want, int byteMs = 700, int extraMs = 100)
    {
        tcflush(fd_, TCIOFLUSH);
        frame.append(static_cast<char>(complement(frame)));
        if (address >= 0)
            frame.prepend(static_cast<char>(address));
        sendRaw(frame);
        return receive(want, byteMs, extraMs);
    }
    void sendRaw(const QByteArray& b) { [[maybe_unused]] auto w = ::write(fd_, b.constData(), b.size()); }
    QByteArray receive(int want, int byteMs = 700, int extraMs = 100)
    {
        QByteArray in;
        for (;;) {
            pollfd p {fd_, POLLIN, 0};
            if (::poll(&p, 1, in.size() < want ? byteMs : extraMs) <= 0)
                break;
            char c[512];
            const ssize_t n = ::read(fd_, c, sizeof c);
            if (n <= 0)
                break;
            in.append(c, n);
        }
        return in;
    }

private:
    int fd_ = -1;
};

QByteArray bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v)
        b.append(static_cast<char>(x));
    return b;
}

QByteArray readBlockFrame(uint32_t addr, int count, int space)
{
    return bytes({4, int(addr & 0xFF), int((addr >> 8) & 0xFF), int((addr >> 16) & 0xFF), count, space});
}

QByteArray readWordFrame(uint32_t addr, int space)
{
    return bytes({6, int(addr & 0xFF), int((addr >> 8) & 0xFF), int((addr >> 16) & 0xFF), space});
}

QByteArray writeBlockFrame(uint32_t addr, int space, const QByteArray& data)
{
    return bytes({5, int(addr & 0xFF), int((addr >> 8) & 0xFF), int((addr >> 16) & 0xFF), space}) + data;
}

QByteArray writeByteFrame(uint32_t addr, int value, int space)
{
    return bytes({1, int(addr & 0xFF), int((addr >> 8) & 0xFF), int((addr >> 16) & 0xFF), value, space});
}

} // namespace

class TestSim : public QObject {
    Q_OBJECT
private slots:
    void workedExample();
    void flashBlock();
    void eepromRoundTrip_data();
    void eepromRoundTrip();
    void erasedAndLoadedEeprom();
    void mathAndLiveRequests();
    void panelFrame();
    void speedChange();
    void resyncAfterGarbage();
    void faults_data();
    void faults();
    void faultSelectors();
    void faultRanges_data();
    void faultRanges();
    void randomFaultsAreSeeded();
    void slowReplies();
    void paceAndLink();
    void reopenAndSurviveKill();
};

void TestSim::workedExample()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    QVERIFY(port.isOpen());
    const QByteArray reply = port.exchange(1, bytes({6, 0x22, 0x10, 0x00, 0x02}), 4);
    QCOMPARE(reply.size(), 4);
    QVERIFY(sumsToFF(reply));
    QCOMPARE(uint8_t(reply[1]), pattern(0x1022));
    QCOMPARE(uint8_t(reply[2]), pattern(0x1023));
    QCOMPARE(sim.requestLog(), QStringList{"01 06 22 10 00 02 C5"});
}

void TestSim::flashBlock()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // Last block of the last sector.
    const uint32_t addr = 0xEFF80;
    const QByteArray reply = port.exchange(1, readBlockFrame(addr, 128, 2), 131);
    QCOMPARE(reply.size(), 131);
    QVERIFY(sumsToFF(reply));
    for (int i = 0; i < 128; ++i)
        QCOMPARE(uint8_t(reply[1 + i]), pattern(addr + i));
    QCOMPARE(sim.readMemory(2, addr, 128), reply.mid(1, 128));
}

void TestSim::eepromRoundTrip_data()
{
    QTest::addColumn<int>("address");
    QTest::newRow("address 1") << 1;
    QTest::newRow("no address byte") << -1;
}

void TestSim::eepromRoundTrip()
{
    QFETCH(int, address);
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // Data that starts like a command and holds the bytes a cooked tty mangles.
    const QByteArray data = bytes({0x01, 0x03, 0x0D, 0x0A, 0x11, 0x13, 0xFF, 0x00});
    QByteArray reply = port.exchange(address, writeBlockFrame(1400, 3, data), 2);
    QCOMPARE(reply.size(), 2);
    QVERIFY(sumsToFF(reply));
    reply = port.exchange(address, readBlockFrame(1400, 8, 3), 11);
    QCOMPARE(reply.size(), 11);
    QVERIFY(sumsToFF(reply));
    QCOMPARE(reply.mid(1, 8), data);
    QCOMPARE(sim.eeprom().mid(1400, 8), data);
    // A single byte through WriteByte, read back as a word.
    QCOMPARE(port.exchange(address, writeByteFrame(1401, 0x5A, 3), 2).size(), 2);
    reply = port.exchange(address, readWordFrame(1400, 3), 4);
    QCOMPARE(reply.size(), 4);
    QCOMPARE(uint8_t(reply[1]), 0x01);
    QCOMPARE(uint8_t(reply[2]), 0x5A);
}

void TestSim::erasedAndLoadedEeprom()
{
    QTemporaryDir dir;
    {
        SimFixture sim;
        QVERIFY2(sim.start({"--save-eeprom", dir.filePath("out.bin")}), qPrintable(sim.error()));
        QCOMPARE(sim.eeprom(), QByteArray(2048, char(0xFF)));
        QVERIFY(sim.writeMemory(3, 10, bytes({1, 2, 3})));
        QVERIFY(sim.stop());
    }
    QFile out(dir.filePath("out.bin"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray saved = out.readAll();
    QCOMPARE(saved.size(), 2048);
    QCOMPARE(saved.mid(8, 6), bytes({0xFF, 0xFF, 1, 2, 3, 0xFF}));

    // A settings file is packed on load.
    auto rec = std::make_unique<SettingsRecord>();
    ResetDefaults(*rec);
    rec->InputFilterMs[0] = 300;
    QFile f(dir.filePath("set.bin"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(rec->bytes()), kSettingsSize);
    f.close();
    auto image = std::make_unique<ImageBuffer>();
    image->fill(0);
    PackImage(*rec, *image);
    SimFixture sim;
    QVERIFY2(sim.start({"--eeprom", f.fileName()}), qPrintable(sim.error()));
    QCOMPARE(sim.eeprom(), QByteArray(reinterpret_cast<const char*>(image->data()), 2048));

    SimFixture bad;
    QVERIFY(!bad.start({"--eeprom", dir.filePath("missing.bin")}));
}

void TestSim::mathAndLiveRequests()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(port.exchange(1, readWordFrame(0, 255), 4).size(), 4);
    QCOMPARE(sim.mathState().on, false);
    QCOMPARE(sim.mathState().offCount, 3);
    QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4).size(), 4);
    QCOMPARE(sim.mathState().on, true);
    QCOMPARE(sim.mathState().onCount, 1);

    // Channel 2 scaled 0..40000 -> -100.00..300.00 from its EEPROM words.
    QByteArray e = sim.eeprom();
    auto put = [&](int off, int v) { e[off] = char(v & 0xFF); e[off + 1] = char((v >> 8) & 0xFF); };
    put(66 + 4, 0);
    put(86 + 4, 40000);
    put(106 + 4, -10000);
    put(126 + 4, 30000);
    QVERIFY(sim.setEeprom(e));
    QVERIFY(sim.setLive(5, 2, 10000));
    QByteArray r = port.exchange(1, readWordFrame(2, 6), 4);
    QCOMPARE(r.size(), 4);
    QCOMPARE(int16_t(uint8_t(r[1]) | uint8_t(r[2]) << 8), int16_t(0)); // -10000 + 10000*40000/40000
    QVERIFY(sim.setLive(11, 0, 0x8001));
    r = port.exchange(1, readWordFrame(0, 11), 4);
    QCOMPARE(uint8_t(r[1]) | uint8_t(r[2]) << 8, 0x8001);

    // Live ADC codes move with time unless fixed.
    QVERIFY(sim.clearLive(5, 2));
    QVERIFY(sim.freezeTime(0));
    const QByteArray a0 = port.exchange(1, readWordFrame(2, 5), 4);
    QVERIFY(sim.freezeTime(5));
    QVERIFY(port.exchange(1, readWordFrame(2, 5), 4) != a0);

    // Output commands are kept.
    port.exchange(1, readWordFrame(0x0105, 12), 4);
    port.exchange(1, readWordFrame(0x0080, 13), 4);
    port.exchange(1, readWordFrame(1234, 7), 4);
    r = port.exchange(1, readWordFrame(4321, 8), 4);
    QCOMPARE(uint8_t(r[1]) | uint8_t(r[2]) << 8, 4321);
    QCOMPARE(sim.lastRelayMasks(), (QPair<quint16, quint16>(0x0105, 0x0080)));
    QCOMPARE(sim.lastDacCodes(), (QPair<quint16, quint16>(1234, 4321)));
}

void TestSim::panelFrame()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QVERIFY(sim.setTare(0x1234));
    RawPort port(sim.ptyPath());
    QByteArray params;
    for (int i = 0; i < 22; ++i)
        params.append(char(i + 0xD0));
    const QByteArray r = port.exchange(2, bytes({8}) + params, 6);
    QCOMPARE(r.size(), 6);
    QVERIFY(sumsToFF(r));
    QCOMPARE(uint8_t(r[3]) | uint8_t(r[4]) << 8, 0x1234);
    QCOMPARE(sim.lastPanelFrame(), params);
}

void TestSim::speedChange()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // 57600: address bytes 00 E1 00; answered at the old speed.
    const QByteArray frame = writeByteFrame(57600, 0, 10);
    QCOMPARE(frame.mid(1, 3), bytes({0x00, 0xE1, 0x00}));
    QCOMPARE(port.exchange(1, frame, 2).size(), 2);
    QCOMPARE(sim.controllerSpeed(), 57600L);
    QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4, 300).size(), 0);
    port.setSpeed(B57600);
    QCOMPARE(sim.lineSpeed(), 57600L);
    QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4).size(), 4);

    SimFixture fast;
    QVERIFY2(fast.start({"--speed", "19200"}), qPrintable(fast.error()));
    RawPort p2(fast.ptyPath());
    QCOMPARE(p2.exchange(1, readWordFrame(0, 254), 4, 300).size(), 0);
    p2.setSpeed(B19200);
    QCOMPARE(p2.exchange(1, readWordFrame(0, 254), 4).size(), 4);
}

void TestSim::resyncAfterGarbage()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // A partial frame, then a pause, then a whole one.
    port.sendRaw(bytes({0x01, 0x04, 0x00}));
    QCOMPARE(port.receive(1, 200).size(), 0);
    QCOMPARE(port.exchange(1, readWordFrame(0x1022, 2), 4).size(), 4);
    // Garbage just ahead of a frame.
    port.sendRaw(bytes({0x77, 0x99, 0x42}));
    const QByteArray r = port.exchange(1, readWordFrame(0x1022, 2), 4);
    QCOMPARE(r.size(), 4);
    QVERIFY(sumsToFF(r));
}

void TestSim::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("sumOk");
    QTest::newRow("noreply") << "noreply" << 0 << false;
    QTest::newRow("short") << "short:2" << 2 << false;
    QTest::newRow("badsum") << "badsum" << 4 << false;
    QTest::newRow("extra") << "extra:3" << 7 << false;
    QTest::newRow("garbage") << "garbage" << 4 << false;
    QTest::newRow("noise ahead") << "noise" << 6 << false;
    QTest::newRow("slow within") << "slow:150" << 4 << true;
}

void TestSim::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, size);
    QFETCH(bool, sumOk);
    SimFixture sim;
    QVERIFY2(sim.start({"--fault", fault + ",count=1"}), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    const QByteArray r = port.exchange(1, readWordFrame(0x1022, 2), 4, 300);
    QCOMPARE(r.size(), size);
    if (size == 4)
        QCOMPARE(sumsToFF(r), sumOk);
    if (fault.startsWith("extra"))
        QVERIFY(sumsToFF(r.left(4)));
    if (fault.startsWith("noise")) {
        // A reader that takes the first 4 bytes sees a wrong sum; the
        // correct reply follows the noise.
        QVERIFY(!sumsToFF(r.left(4)));
        QVERIFY(sumsToFF(r.right(4)));
        QCOMPARE(uint8_t(r[2]), 6);
    }
    // The fault has expired: the next request is answered normally.
    const QByteArray next = port.exchange(1, readWordFrame(0x1022, 2), 4);
    QCOMPARE(next.size(), 4);
    QVERIFY(sumsToFF(next));
}

void TestSim::faultSelectors()
{
    SimFixture sim;
    QVERIFY2(sim.start({"--silent-after", "3"}), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // Block reads from address 800 on, twice, after one passes.
    QVERIFY(sim.fault("noreply,cmd=4,addr=800,skip=1,count=2"));
    QVERIFY(!sim.fault("nonsense"));
    QCOMPARE(port.exchange(1, readBlockFrame(792, 8, 3), 11).size(), 11);
    QCOMPARE(port.exchange(1, readBlockFrame(800, 8, 3), 11).size(), 11); // skipped
    QCOMPARE(port.exchange(1, readBlockFrame(808, 8, 3), 11, 200).size(), 0);
    // Fourth request: silent from now on whatever it is.
    QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4, 200).size(), 0);
    QCOMPARE(sim.requestCount(), 4);
    QVERIFY(sim.clearFaults());
    QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4).size(), 4);
}

void TestSim::faultRanges_data()
{
    // Block reads at 0xF8, 0x100, 0x108, 0x110; X marks a wrong sum.
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("expected");
    QTest::newRow("addr..addrto") << "badsum,cmd=4,addr=0x100,addrto=0x10F" << ".XX.";
    QTest::newRow("addrto alone") << "badsum,addrto=0x100" << "XX..";
    QTest::newRow("from request 3, once") << "badsum,req=3,count=1" << "..X.";
    QTest::newRow("other command") << "badsum,cmd=6" << "....";
    QTest::newRow("other space") << "badsum,space=2" << "....";
}

void TestSim::faultRanges()
{
    QFETCH(QString, fault);
    QFETCH(QString, expected);
    SimFixture sim;
    QVERIFY2(sim.start({"--fault", fault}), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    QString got;
    for (uint32_t addr : {0xF8u, 0x100u, 0x108u, 0x110u}) {
        const QByteArray r = port.exchange(1, readBlockFrame(addr, 8, 3), 11, 700, 0);
        QCOMPARE(r.size(), 11);
        got += sumsToFF(r) ? '.' : 'X';
    }
    QCOMPARE(got, expected);
}

void TestSim::randomFaultsAreSeeded()
{
    // Which of 60 requests get a wrong sum, at a rate of 0.3.
    auto pattern = [](SimFixture& sim) {
        RawPort port(sim.ptyPath());
        QString p;
        for (int i = 0; i < 60; ++i)
            p += sumsToFF(port.exchange(1, readWordFrame(0x1022, 2), 4, 700, 0)) ? '.' : 'X';
        return p;
    };
    const QString fault = "badsum,rate=0.3";
    SimFixture a, b, c;
    QVERIFY2(a.start({"--seed", "7", "--fault", fault}), qPrintable(a.error()));
    QVERIFY2(b.start({"--seed", "7", "--fault", fault}), qPrintable(b.error()));
    QVERIFY2(c.start({"--seed", "8", "--fault", fault}), qPrintable(c.error()));
    const QString first = pattern(a);
    QCOMPARE(pattern(b), first);
    QVERIFY(pattern(c) != first);
    // Roughly the rate asked for (18 expected; bounds far outside chance).
    QVERIFY2(first.count('X') >= 5 && first.count('X') <= 35, qPrintable(first));
    // The control channel's seed restarts the same sequence.
    QVERIFY(a.command("seed 7"));
    QCOMPARE(pattern(a), first);
    // rate=0 never fires, and a bad rate is refused.
    QVERIFY(a.clearFaults());
    QVERIFY(a.fault("badsum,rate=0"));
    QVERIFY(!a.fault("badsum,rate=1.5"));
    QCOMPARE(pattern(a), QString(60, '.'));
}

void TestSim::slowReplies()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort port(sim.ptyPath());
    // Past the timeout: the first byte is not there within 605 ms; the next
    // request gets its own reply with no byte of the late one mixed in.
    QVERIFY(sim.fault("slow,count=1"));
    QCOMPARE(port.exchange(1, writeByteFrame(100, 0x42, 3), 2, 605, 0).size(), 0);
    QByteArray r = port.exchange(1, readWordFrame(100, 3), 4, 700, 300);
    QCOMPARE(r.size(), 4);
    QVERIFY(sumsToFF(r));
    QCOMPARE(uint8_t(r[1]), 0x42); // the slow request was carried out
    // Just within it: every byte arrives within 605 ms of the one before.
    QVERIFY(sim.fault("slowok,count=1"));
    r = port.exchange(1, writeByteFrame(100, 0x43, 3), 2, 605);
    QCOMPARE(r.size(), 2);
    QVERIFY(sumsToFF(r));
    // bytes=2: only the first two bytes of a long reply wait
    QVERIFY(sim.fault("slow:400,bytes=2,count=1"));
    QCOMPARE(port.exchange(1, readBlockFrame(0x10000, 128, 2), 131, 300, 0).size(), 0);
    r = port.receive(131, 605, 0);
    QCOMPARE(r.size(), 131);
    QVERIFY(sumsToFF(r));
    QCOMPARE(uint8_t(r[1]), pattern(0x10000));
}

void TestSim::paceAndLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyVKM");
    SimFixture sim;
    QVERIFY2(sim.start({"--pace", "--link", link}), qPrintable(sim.error()));
    QCOMPARE(QFile::symLinkTarget(link), sim.ptyPath());
    RawPort port(link);
    QVERIFY(port.isOpen());
    // 8 request bytes and a 131-byte reply at 9600 bit/s, 11 bits each: at
    // least 159 ms on the wire. Only a loose lower bound is checked.
    QElapsedTimer t;
    t.start();
    const QByteArray r = port.exchange(1, readBlockFrame(0x10000, 128, 2), 131, 700, 0);
    const qint64 paced = t.elapsed();
    QCOMPARE(r.size(), 131);
    QVERIFY(sumsToFF(r));
    QVERIFY2(paced >= 120, qPrintable(QString::number(paced)));
    // Pacing can be switched off; the bytes are the same.
    QVERIFY(sim.command("pace off"));
    QCOMPARE(port.exchange(1, readBlockFrame(0x10000, 128, 2), 131, 700, 0), r);
    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TestSim::reopenAndSurviveKill()
{
    SimFixture sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    {
        RawPort port(sim.ptyPath());
        QCOMPARE(port.exchange(1, readWordFrame(0, 254), 4).size(), 4);
    }
    RawPort again(sim.ptyPath());
    QCOMPARE(again.exchange(1, readWordFrame(0, 254), 4).size(), 4);
    QVERIFY(sim.running());
    sim.kill();
    QVERIFY(!sim.running());
    QCOMPARE(again.exchange(1, readWordFrame(0, 254), 4, 200).size(), 0);
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
