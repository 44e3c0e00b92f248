#pragma once
// The simulated controller: its memories, its calculations switch, its live
// values and outputs, the request parser and the fault injection. No I/O here:
// the serving loop (main.cpp) feeds it request bytes and sends its replies.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vkmsim {

using Bytes = std::vector<uint8_t>;

inline constexpr int kEepromSize = 2048;
inline constexpr uint32_t kProgramFirst = 0x10000;
inline constexpr uint32_t kProgramLast = 0xEFFFF;

// The reproducible content of memory spaces 1 ("Code") and 2 ("Memory") at
// any 24-bit address a that was never written:
//   byte(a) = (a + 3 * (a >> 8) + 7 * (a >> 16)) mod 256
inline uint8_t patternByte(uint32_t a)
{
    return static_cast<uint8_t>(a + 3 * (a >> 8) + 7 * (a >> 16));
}

// Complement of the byte sum: the last byte of every frame and reply.
uint8_t checksum(const uint8_t* p, size_t n);

enum class FaultKind { NoReply, Short, BadSum, Extra, Garbage, Noise, Slow };

// One injected fault and the requests it applies to. Text form (command line
// and control channel): KIND[:ARG][,key=value...], keys cmd, space, addr
// (from this address on), addrto (up to and including), req (from this
// request number on, the first request being 1), skip (let this many matching
// requests pass first), count (apply to this many, then expire), rate
// (probability 0..1 per matching request, from the seeded generator).
struct Fault {
    FaultKind kind = FaultKind::NoReply;
    int arg = -1; // short: bytes sent; extra/garbage/noise: byte count; slow: ms per byte
    int cmd = -1;
    int space = -1;
    long addrFrom = -1;
    long addrTo = -1;
    long reqFrom = 0;
    long skip = 0;
    long count = -1; // -1: no limit
    double rate = 1.0;
    std::string text;
};

// Parses the text form; nullopt (and a reason) when it is not one.
std::optional<Fault> parseFault(const std::string& text, std::string& error);

// A decoded request.
struct Request {
    int address = -1; // address byte on the wire, -1 when none was sent
    uint8_t cmd = 0;
    Bytes frame; // command .. checksum
    uint32_t addr = 0;
    int space = -1;
    int count = 0; // ReadBlock: N; WriteBlock: data bytes
};

// What to send back: the bytes, with a pause before each byte.
struct Reply {
    Bytes bytes;
    int perByteDelayMs = 0;
};

// Splits the incoming byte stream into requests. Frames may come with or
// without an address byte; the command gives the parameter count (WriteBlock:
// 8 data bytes, or whatever the sum confirms once the line is quiet), the sum
// tells the readings apart. Bytes that make no frame are dropped.
class FrameParser {
public:
    explicit FrameParser(int address) : address_(address) {}
    void add(uint8_t b) { buf_.push_back(b); }
    bool empty() const { return buf_.empty(); }
    // A request as soon as one is certain; with quiet=true (the line has been
    // silent for a while) takes what the buffer holds or drops it.
    std::optional<Request> next(bool quiet, Bytes* dropped = nullptr);
    void clear() { buf_.clear(); }
    size_t pending() const { return buf_.size(); }

private:
    enum class Verdict { Invalid, Incomplete, Valid };
    Verdict judge(size_t off, bool quiet, size_t& length) const;
    int address_;
    Bytes buf_;
};

class Controller {
public:
    Controller();

    // Memory and state ----------------------------------------------------
    uint8_t eeprom[kEepromSize];
    uint8_t readByte(int space, uint32_t a) const;
    void writeByte(int space, uint32_t a, uint8_t v);

    bool mathOn = true;
    long mathOffCount = 0;
    long mathOnCount = 0;
    uint16_t relays1to8 = 0;
    uint16_t relays9to16 = 0;
    uint16_t dac1 = 0;
    uint16_t dac2 = 0;
    uint16_t tare = 1250;
    Bytes lastPanel; // the 22 parameter bytes of the last panel frame
    long speed = 9600; // the controller's own line speed
    long requests = 0;
    std::vector<std::string> requestLog; // hex of every request, address byte included

    // Live values: a fixed reply for (code, parameter); parameter -1 = any.
    std::map<std::pair<int, int>, uint16_t> liveOverride;
    // Seconds since start for the time-varying values; frozen when set.
    std::optional<double> frozenTime;
    double now() const;

    uint16_t adcCode(int channel) const;
    uint16_t liveValue(int code, uint32_t param);

    // Faults --------------------------------------------------------------
    std::vector<Fault> faults;
    void seed(uint32_t s) { rng_.seed(s); }

    // Answers one request at the given line speed of the pty; nullopt when the
    // controller stays silent (lost request, wrong line speed, fault).
    std::optional<Reply> handle(const Request& r, long ptySpeed, std::string& note);

private:
    Bytes execute(const Request& r);
    bool matches(Fault& f, const Request& r);
    std::map<uint32_t, uint8_t> written_[5];
    std::mt19937 rng_{1};
    double start_;
};

std::string hex(const uint8_t* p, size_t n);
inline std::string hex(const Bytes& b) { return hex(b.data(), b.size()); }
// Decimal or 0x-hexadecimal; false when the text is not a number.
bool parseNumber(const std::string& s, long& v);

} // namespace vkmsim
