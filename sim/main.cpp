// vkm-sim: a controller on a pseudo-terminal. See README ("vkm-sim") for the
// options, the control channel and the content of the memories.

#include "controller.h"
#include "linespeed.h"

#include "core/image.h"
#include "core/settings.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace vkmsim;

namespace {

int g_sigPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto r = write(g_sigPipe[1], &c, 1);
}

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

struct Options {
    std::string link;
    std::string eepromIn;
    std::string eepromOut;
    std::string control;
    long speed = 9600;
    bool pace = false;
    bool log = false;
    bool ignoreSpeed = false;
    long silentAfter = -1;
    uint32_t seed = 1;
    int address = 1;
    std::vector<std::string> faults;
};

void usage()
{
    std::fprintf(stderr,
        "usage: vkm-sim [options]\n"
        "  --link PATH          make a symlink to the pty at PATH\n"
        "  --eeprom FILE        load a 2048-byte image or a 15072-byte settings file\n"
        "  --save-eeprom FILE   write the EEPROM to FILE on exit\n"
        "  --control PATH       control channel on a Unix socket\n"
        "  --speed N            the controller's starting line speed (9600)\n"
        "  --pace               emulate the line speed: 11 bits per byte\n"
        "  --ignore-speed       answer whatever speed the line runs at\n"
        "  --address A          the controller's address byte (1)\n"
        "  --fault FAULT        inject a fault (repeatable)\n"
        "  --silent-after N     answer N requests, then none\n"
        "  --seed S             seed of the random faults (1)\n"
        "  --log                every request and reply in hex on stderr\n");
}

bool readFile(const std::string& path, Bytes& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out.assign(std::istreambuf_iterator<char>(f), {});
    return true;
}

bool loadEeprom(Controller& c, const std::string& path, std::string& error)
{
    Bytes b;
    if (!readFile(path, b)) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (b.size() == kEepromSize) {
        std::memcpy(c.eeprom, b.data(), kEepromSize);
        return true;
    }
    if (b.size() == vkm::kSettingsSize) {
        auto rec = std::make_unique<vkm::SettingsRecord>();
        std::memcpy(rec->bytes(), b.data(), vkm::kSettingsSize);
        auto image = std::make_unique<vkm::ImageBuffer>();
        image->fill(0);
        vkm::PackImage(*rec, *image);
        std::memcpy(c.eeprom, image->data(), kEepromSize);
        return true;
    }
    error = path + ": " + std::to_string(b.size()) + " bytes, expected 2048 (image) or 15072 (settings)";
    return false;
}

bool saveEeprom(const Controller& c, const std::string& path)
{
    const std::string tmp = path + ".tmp";
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(c.eeprom), kEepromSize);
    f.close();
    if (!f || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "vkm-sim: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool parseHex(const std::string& s, Bytes& out)
{
    out.clear();
    std::string digits;
    for (char ch : s)
        if (!std::isspace(static_cast<unsigned char>(ch)))
            digits += ch;
    if (digits.size() % 2)
        return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        char* end = nullptr;
        const std::string two = digits.substr(i, 2);
        const long v = std::strtol(two.c_str(), &end, 16);
        if (*end)
            return false;
        out.push_back(static_cast<uint8_t>(v));
    }
    return true;
}

std::string plainHex(const uint8_t* p, size_t n)
{
    static const char* d = "0123456789ABCDEF";
    std::string s;
    s.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

class Simulator {
public:
    Simulator(Options o) : opt_(std::move(o)), parser_(opt_.address) {}

    int run();

private:
    struct OutByte {
        Clock::time_point at;
        uint8_t b;
    };
    struct InByte {
        Clock::time_point at;
        uint8_t b;
    };
    struct Client {
        int fd;
        std::string in;
    };

    bool openPty();
    bool openControl();
    void readMaster();
    void process(bool quiet);
    void flushOutput();
    Clock::duration byteTime() const;
    std::string command(const std::string& line, bool& quit);
    void serveClient(Client& c, bool& quit);

    Options opt_;
    Controller ctl_;
    FrameParser parser_;
    int master_ = -1;
    int slave_ = -1;
    int listen_ = -1;
    std::string ptyPath_;
    std::vector<Client> clients_;
    std::deque<InByte> incoming_; // read from the line, not yet "arrived"
    std::deque<OutByte> outgoing_;
    Clock::time_point lastIn_{};
    Clock::time_point lastArrival_{};
    Clock::time_point lastOut_{};
};

bool Simulator::openPty()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        std::perror("vkm-sim: pty");
        return false;
    }
    ptyPath_ = ptsname(master_);
    // Raw at once: an unconfigured pty rewrites CR, LF, ^C and ^Q. The slave
    // stays open so the configurator may close and reopen the port.
    slave_ = open(ptyPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) {
        std::perror("vkm-sim: slave");
        return false;
    }
    termios t {};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | CSTOPB;
    tcsetattr(slave_, TCSANOW, &t);
    setLineSpeed(slave_, 9600);
    if (!opt_.link.empty()) {
        unlink(opt_.link.c_str());
        if (symlink(ptyPath_.c_str(), opt_.link.c_str()) != 0) {
            std::fprintf(stderr, "vkm-sim: symlink %s: %s\n", opt_.link.c_str(), std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool Simulator::openControl()
{
    if (opt_.control.empty())
        return true;
    listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un a {};
    a.sun_family = AF_UNIX;
    if (opt_.control.size() >= sizeof a.sun_path) {
        std::fprintf(stderr, "vkm-sim: control path too long\n");
        return false;
    }
    std::strcpy(a.sun_path, opt_.control.c_str());
    unlink(opt_.control.c_str());
    if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listen_, 8) != 0) {
        std::fprintf(stderr, "vkm-sim: control %s: %s\n", opt_.control.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

Clock::duration Simulator::byteTime() const
{
    if (!opt_.pace || ctl_.speed <= 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(11.0 / ctl_.speed));
}

void Simulator::readMaster()
{
    uint8_t buf[512];
    for (;;) {
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        const auto now = Clock::now();
        // A new request ends whatever reply is still on its way, and the
        // next reply does not wait for the end of the one dropped.
        outgoing_.clear();
        lastOut_ = std::min(lastOut_, now);
        for (ssize_t i = 0; i < n; ++i) {
            Clock::time_point at = now;
            if (opt_.pace) {
                at = std::max(now, lastArrival_) + byteTime();
                lastArrival_ = at;
            }
            incoming_.push_back({at, buf[i]});
        }
    }
}

void Simulator::process(bool quiet)
{
    std::string dropped;
    for (;;) {
        Bytes drop;
        auto r = parser_.next(quiet, &drop);
        if (!drop.empty() && opt_.log)
            std::fprintf(stderr, "vkm-sim: dropped %s\n", hex(drop).c_str());
        if (!r)
            break;
        std::string note;
        auto reply = ctl_.handle(*r, opt_.ignoreSpeed ? 0 : lineSpeed(slave_), note);
        if (opt_.silentAfter >= 0 && ctl_.requests > opt_.silentAfter) {
            reply.reset();
            note = "silent";
        }
        if (opt_.log)
            std::fprintf(stderr, "vkm-sim: %s -> %s%s%s\n", ctl_.requestLog.back().c_str(),
                         reply ? hex(reply->bytes).c_str() : "(none)",
                         note.empty() ? "" : "  ; ", note.c_str());
        if (!reply)
            continue;
        auto t = Clock::now();
        if (t < lastOut_) t = lastOut_;
        for (size_t i = 0; i < reply->bytes.size(); ++i) {
            const bool slow = reply->slowBytes < 0 || i < static_cast<size_t>(reply->slowBytes);
            t += Ms(slow ? reply->perByteDelayMs : 0) + byteTime();
            outgoing_.push_back({t, reply->bytes[i]});
        }
        lastOut_ = t;
    }
}

void Simulator::flushOutput()
{
    const auto now = Clock::now();
    uint8_t buf[600];
    size_t n = 0;
    while (!outgoing_.empty() && outgoing_.front().at <= now && n < sizeof buf) {
        buf[n++] = outgoing_.front().b;
        outgoing_.pop_front();
    }
    if (n) {
        const ssize_t w = write(master_, buf, n);
        if (w < 0 && opt_.log)
            std::fprintf(stderr, "vkm-sim: reply lost: %s\n", std::strerror(errno));
    }
}

std::string Simulator::command(const std::string& line, bool& quit)
{
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    auto num = [&](long& v) {
        std::string s;
        return static_cast<bool>(in >> s) && parseNumber(s, v);
    };
    if (cmd == "ping")
        return "ok";
    if (cmd == "eeprom")
        return "ok " + plainHex(ctl_.eeprom, kEepromSize);
    if (cmd == "set-eeprom") {
        std::string rest;
        std::getline(in, rest);
        Bytes b;
        if (!parseHex(rest, b) || b.size() != kEepromSize)
            return "error expected 2048 bytes in hex";
        std::memcpy(ctl_.eeprom, b.data(), kEepromSize);
        return "ok";
    }
    if (cmd == "read") { // read SPACE ADDR COUNT
        long space, addr, count;
        if (!num(space) || !num(addr) || !num(count) || count < 0 || count > 65536)
            return "error usage: read SPACE ADDR COUNT";
        Bytes b;
        for (long i = 0; i < count; ++i)
            b.push_back(ctl_.readByte(static_cast<int>(space), static_cast<uint32_t>(addr + i)));
        return "ok " + plainHex(b.data(), b.size());
    }
    if (cmd == "write") { // write SPACE ADDR HEX
        long space, addr;
        std::string h;
        Bytes b;
        if (!num(space) || !num(addr) || !(in >> h) || !parseHex(h, b))
            return "error usage: write SPACE ADDR HEX";
        for (size_t i = 0; i < b.size(); ++i)
            ctl_.writeByte(static_cast<int>(space), static_cast<uint32_t>(addr + i), b[i]);
        return "ok";
    }
    if (cmd == "live") { // live CODE PARAM|* WORD|auto
        long code, param = -1, word;
        std::string p, w;
        if (!num(code) || !(in >> p) || !(in >> w) || (p != "*" && !parseNumber(p, param)))
            return "error usage: live CODE PARAM|* WORD|auto";
        if (w == "auto") {
            ctl_.liveOverride.erase({static_cast<int>(code), static_cast<int>(param)});
            return "ok";
        }
        if (!parseNumber(w, word) || word < 0 || word > 65535)
            return "error bad word";
        ctl_.liveOverride[{static_cast<int>(code), static_cast<int>(param)}] = static_cast<uint16_t>(word);
        return "ok";
    }
    if (cmd == "live-clear") {
        ctl_.liveOverride.clear();
        return "ok";
    }
    if (cmd == "time") { // time SECONDS | time run
        std::string s;
        in >> s;
        if (s == "run") {
            ctl_.frozenTime.reset();
            return "ok";
        }
        char* end = nullptr;
        const double t = std::strtod(s.c_str(), &end);
        if (s.empty() || *end)
            return "error usage: time SECONDS|run";
        ctl_.frozenTime = t;
        return "ok";
    }
    if (cmd == "tare") {
        long v;
        if (!num(v) || v < 0 || v > 65535)
            return "error usage: tare WORD";
        ctl_.tare = static_cast<uint16_t>(v);
        return "ok";
    }
    if (cmd == "panel")
        return "ok " + plainHex(ctl_.lastPanel.data(), ctl_.lastPanel.size());
    if (cmd == "math")
        return std::string("ok ") + (ctl_.mathOn ? "on" : "off") + " " + std::to_string(ctl_.mathOffCount) + " " +
               std::to_string(ctl_.mathOnCount);
    if (cmd == "relays")
        return "ok " + std::to_string(ctl_.relays1to8) + " " + std::to_string(ctl_.relays9to16);
    if (cmd == "dac")
        return "ok " + std::to_string(ctl_.dac1) + " " + std::to_string(ctl_.dac2);
    if (cmd == "requests")
        return "ok " + std::to_string(ctl_.requests);
    if (cmd == "log") {
        std::string s = "ok";
        for (size_t i = 0; i < ctl_.requestLog.size(); ++i)
            s += (i ? ";" : " ") + ctl_.requestLog[i];
        return s;
    }
    if (cmd == "reset-counters") {
        ctl_.requests = 0;
        ctl_.requestLog.clear();
        ctl_.mathOffCount = ctl_.mathOnCount = 0;
        return "ok";
    }
    if (cmd == "fault") {
        std::string faultText, error;
        in >> faultText;
        auto f = parseFault(faultText, error);
        if (!f)
            return "error " + error;
        ctl_.faults.push_back(*f);
        return "ok";
    }
    if (cmd == "faults-clear") {
        ctl_.faults.clear();
        opt_.silentAfter = -1;
        return "ok";
    }
    if (cmd == "silent-after") {
        long n;
        if (!num(n))
            return "error usage: silent-after N";
        opt_.silentAfter = ctl_.requests + n;
        return "ok";
    }
    if (cmd == "seed") {
        long s;
        if (!num(s))
            return "error usage: seed S";
        ctl_.seed(static_cast<uint32_t>(s));
        return "ok";
    }
    if (cmd == "speed")
        return "ok " + std::to_string(ctl_.speed) + " " + std::to_string(lineSpeed(slave_));
    if (cmd == "set-speed") {
        long s;
        if (!num(s) || s <= 0)
            return "error usage: set-speed N";
        ctl_.speed = s;
        return "ok";
    }
    if (cmd == "pace") {
        std::string s;
        in >> s;
        opt_.pace = s == "on";
        return "ok";
    }
    if (cmd == "quit") {
        quit = true;
        return "ok";
    }
    return "error unknown command '" + cmd + "'";
}

void Simulator::serveClient(Client& c, bool& quit)
{
    char buf[8192];
    for (;;) {
        const ssize_t n = read(c.fd, buf, sizeof buf);
        if (n == 0) {
            close(c.fd);
            c.fd = -1;
            return;
        }
        if (n < 0)
            break;
        c.in.append(buf, static_cast<size_t>(n));
    }
    size_t nl;
    while ((nl = c.in.find('\n')) != std::string::npos) {
        std::string line = c.in.substr(0, nl);
        c.in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string reply = command(line, quit) + "\n";
        size_t off = 0;
        while (off < reply.size()) {
            const ssize_t w = write(c.fd, reply.data() + off, reply.size() - off);
            if (w < 0) {
                if (errno == EAGAIN) {
                    pollfd p {c.fd, POLLOUT, 0};
                    poll(&p, 1, 1000);
                    continue;
                }
                break;
            }
            off += static_cast<size_t>(w);
        }
    }
}

int Simulator::run()
{
    for (const std::string& s : opt_.faults) {
        std::string error;
        auto f = parseFault(s, error);
        if (!f) {
            std::fprintf(stderr, "vkm-sim: --fault %s: %s\n", s.c_str(), error.c_str());
            return 2;
        }
        ctl_.faults.push_back(*f);
    }
    ctl_.speed = opt_.speed;
    ctl_.seed(opt_.seed);
    if (!opt_.eepromIn.empty()) {
        std::string error;
        if (!loadEeprom(ctl_, opt_.eepromIn, error)) {
            std::fprintf(stderr, "vkm-sim: %s\n", error.c_str());
            return 2;
        }
    }
    if (pipe2(g_sigPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    if (!openPty() || !openControl())
        return 1;
    std::printf("%s\n", ptyPath_.c_str());
    std::fflush(stdout);

    bool quit = false;
    const auto quietGap = Ms(30);
    while (!quit) {
        // Bytes whose (paced) arrival time has come enter the parser.
        const auto now = Clock::now();
        bool arrived = false;
        while (!incoming_.empty() && incoming_.front().at <= now) {
            parser_.add(incoming_.front().b);
            lastIn_ = incoming_.front().at;
            incoming_.pop_front();
            arrived = true;
        }
        if (arrived)
            process(false);
        if (!parser_.empty() && incoming_.empty() && now - lastIn_ >= quietGap + 3 * byteTime())
            process(true);
        flushOutput();

        // Sleep until the next thing to do.
        Clock::time_point next = Clock::time_point::max();
        if (!incoming_.empty()) next = std::min(next, incoming_.front().at);
        if (!outgoing_.empty()) next = std::min(next, outgoing_.front().at);
        if (!parser_.empty() && incoming_.empty()) next = std::min(next, lastIn_ + quietGap + 3 * byteTime());
        // A paced byte takes 95 us at 115200 bit/s: sleep to the microsecond,
        // not to poll()'s whole milliseconds.
        timespec timeout {};
        timespec* wait = nullptr;
        if (next != Clock::time_point::max()) {
            const auto d = std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(next - Clock::now()).count());
            timeout.tv_sec = static_cast<time_t>(d / 1000000000);
            timeout.tv_nsec = static_cast<long>(d % 1000000000);
            wait = &timeout;
        }
        std::vector<pollfd> fds;
        fds.push_back({master_, POLLIN, 0});
        fds.push_back({g_sigPipe[0], POLLIN, 0});
        if (listen_ >= 0)
            fds.push_back({listen_, POLLIN, 0});
        for (const Client& c : clients_)
            fds.push_back({c.fd, POLLIN, 0});
        const int n = ppoll(fds.data(), fds.size(), wait, nullptr);
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        if (fds[1].revents)
            break;
        if (fds[0].revents & POLLIN)
            readMaster();
        size_t i = 2;
        if (listen_ >= 0) {
            if (fds[i].revents & POLLIN) {
                const int c = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (c >= 0)
                    clients_.push_back({c, {}});
            }
            ++i;
        }
        const size_t count = fds.size() - i;
        for (size_t k = 0; k < count; ++k)
            if (fds[i + k].revents)
                serveClient(clients_[k], quit);
        std::erase_if(clients_, [](const Client& c) { return c.fd < 0; });
    }
    int rc = 0;
    if (!opt_.eepromOut.empty() && !saveEeprom(ctl_, opt_.eepromOut))
        rc = 1;
    if (!opt_.link.empty())
        unlink(opt_.link.c_str());
    if (!opt_.control.empty())
        unlink(opt_.control.c_str());
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vkm-sim: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            out = argv[++i];
        };
        auto number = [&](long& out) {
            std::string s;
            value(s);
            if (!parseNumber(s, out)) {
                std::fprintf(stderr, "vkm-sim: %s: '%s' is not a number\n", a.c_str(), s.c_str());
                std::exit(2);
            }
        };
        long v;
        std::string s;
        if (a == "--link") value(o.link);
        else if (a == "--eeprom") value(o.eepromIn);
        else if (a == "--save-eeprom") value(o.eepromOut);
        else if (a == "--control") value(o.control);
        else if (a == "--speed") { number(v); o.speed = v; }
        else if (a == "--pace") o.pace = true;
        else if (a == "--ignore-speed") o.ignoreSpeed = true;
        else if (a == "--log") o.log = true;
        else if (a == "--address") { number(v); o.address = static_cast<int>(v); }
        else if (a == "--fault") { value(s); o.faults.push_back(s); }
        else if (a == "--silent-after") { number(v); o.silentAfter = v; }
        else if (a == "--seed") { number(v); o.seed = static_cast<uint32_t>(v); }
        else if (a == "--help" || a == "-h") { usage(); return 0; }
        else {
            std::fprintf(stderr, "vkm-sim: unknown option %s\n", a.c_str());
            usage();
            return 2;
        }
    }
    return Simulator(std::move(o)).run();
}
