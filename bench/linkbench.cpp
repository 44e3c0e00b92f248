// Speed of the link against vkm-sim on a pseudo-terminal. Prints one
// "name value" line per figure on stdout; a figure that cannot be measured is
// left out and the reason goes to stderr.
//
//   read_ratio_vs_termios      full 256-block image read through the protocol,
//                              against the same exchanges in a bare termios loop
//   wait_cpu_percent           CPU used while ReadWord waits on a silent line
//   read_ratio_vs_wire_115200  full read with the line paced at 115200 bit/s,
//                              against the bytes' wire time
//   termios_ratio_vs_wire_115200  the bare termios loop on that paced line:
//                              what the simulator and the pty cost by themselves

#include "core/settings.h"
#include "link/infolog.h"
#include "link/protocol.h"
#include "link/qserial.h"
#include "link/transfer.h"
#include "simfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace vkm;

namespace {

constexpr int kBlocks = 256;
constexpr int kBlockBytes = 8;
constexpr int kRequestBytes = 8; // address, command, 3 address bytes, count, space, sum
constexpr int kReplyBytes = kBlockBytes + 3;
constexpr int kRuns = 3;

void fail(const char* figure, const QString& why)
{
    std::fprintf(stderr, "%s: %s\n", figure, qPrintable(why));
}

double cpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The 256 read requests as the protocol sends them.
std::vector<QByteArray> readRequests()
{
    std::vector<QByteArray> frames;
    for (int b = 0; b < kBlocks; ++b) {
        const uint32_t a = uint32_t(b * kBlockBytes);
        QByteArray f;
        f.append(char(1)); // controller address
        for (int x : {4, int(a & 0xFF), int((a >> 8) & 0xFF), int((a >> 16) & 0xFF), kBlockBytes, int(SpaceEeprom)})
            f.append(char(x));
        unsigned sum = 0;
        for (int i = 1; i < f.size(); ++i)
            sum += uint8_t(f[i]);
        f.append(char(~sum & 0xFF));
        frames.push_back(f);
    }
    return frames;
}

// The same exchanges in the plainest loop termios allows; -1 on a failure.
double termiosRead(const QString& device, speed_t speed = B9600)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios t {};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | CSTOPB;
    cfsetspeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
    const auto frames = readRequests();
    QElapsedTimer clock;
    clock.start();
    bool ok = true;
    for (const QByteArray& f : frames) {
        if (::write(fd, f.constData(), f.size()) != f.size()) {
            ok = false;
            break;
        }
        int got = 0;
        char buf[64];
        while (got < kReplyBytes) {
            pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, 550) <= 0)
                break;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got += int(n);
        }
        if (got < kReplyBytes) {
            ok = false;
            break;
        }
    }
    const double s = clock.nsecsElapsed() / 1e9;
    ::close(fd);
    return ok ? s : -1;
}

struct Line {
    QtSerialLink port;
    InfoLog log;
    Protocol protocol {port, log};
    bool open(const QString& device, int baud)
    {
        port.setDevice(device);
        port.setBaud(baud);
        return port.open();
    }
    // Seconds for one full image read; -1 when it failed.
    double read()
    {
        ImageBuffer image {};
        QElapsedTimer clock;
        clock.start();
        const TransferOutcome o = readImage(protocol, image, {});
        return o.ok ? clock.nsecsElapsed() / 1e9 : -1;
    }
};

double best(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() || v.front() < 0 ? -1 : v.front();
}

void readVsTermios()
{
    const char* name = "read_ratio_vs_termios";
    SimFixture sim;
    if (!sim.start()) {
        fail(name, sim.error());
        return;
    }
    std::vector<double> ours, raw;
    {
        Line line;
        if (!line.open(sim.ptyPath(), 9600)) {
            fail(name, line.port.errorString());
            return;
        }
        for (int i = 0; i < kRuns; ++i)
            ours.push_back(line.read());
    }
    for (int i = 0; i < kRuns; ++i)
        raw.push_back(termiosRead(sim.ptyPath()));
    const double a = best(ours), b = best(raw);
    if (a < 0 || b <= 0) {
        fail(name, QStringLiteral("a read failed"));
        return;
    }
    std::printf("%s %.2f\n", name, a / b);
}

void waitCpu()
{
    const char* name = "wait_cpu_percent";
    SimFixture sim;
    if (!sim.start({QStringLiteral("--silent-after"), QStringLiteral("0")})) {
        fail(name, sim.error());
        return;
    }
    Line line;
    if (!line.open(sim.ptyPath(), 9600)) {
        fail(name, line.port.errorString());
        return;
    }
    uint16_t value = 0;
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const bool failed = line.protocol.ReadWord(0, SpaceData, value);
    const double wall = clock.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    if (!failed) {
        fail(name, QStringLiteral("a silent controller answered"));
        return;
    }
    std::printf("%s %.2f\n", name, 100.0 * cpu / wall);
}

void readVsWire()
{
    const char* name = "read_ratio_vs_wire_115200";
    SimFixture sim;
    if (!sim.start({QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--pace")})) {
        fail(name, sim.error());
        return;
    }
    Line line;
    if (!line.open(sim.ptyPath(), 115200)) {
        fail(name, line.port.errorString());
        return;
    }
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(line.read());
    const double s = best(runs);
    if (s < 0) {
        fail(name, QStringLiteral("the read failed: ") + line.protocol.lastFault());
        return;
    }
    const double wire = kBlocks * (kRequestBytes + kReplyBytes) * 11.0 / 115200.0;
    std::printf("%s %.2f\n", name, s / wire);

    // The floor under that figure: the same exchanges in the bare termios
    // loop against the same paced simulator.
    std::vector<double> raw;
    line.port.close();
    for (int i = 0; i < kRuns; ++i)
        raw.push_back(termiosRead(sim.ptyPath(), B115200));
    if (best(raw) > 0)
        std::printf("termios_ratio_vs_wire_115200 %.2f\n", best(raw) / wire);
    else
        fail("termios_ratio_vs_wire_115200", QStringLiteral("a read failed"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    readVsTermios();
    waitCpu();
    readVsWire();
    return 0;
}
