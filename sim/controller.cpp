#include "controller.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace vkmsim {

namespace {

double monotonicSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Parameter bytes of each command; WriteBlock: 4 + its data bytes.
int fixedParams(uint8_t cmd)
{
    switch (cmd) {
    case 1: return 5;
    case 4: return 5;
    case 5: return 4 + 8;
    case 6: return 4;
    case 8: return 22;
    default: return -1;
    }
}

int16_t signedAt(const uint8_t* e, int off)
{
    return static_cast<int16_t>(e[off] | (e[off + 1] << 8));
}

uint16_t wordAt(const uint8_t* e, int off)
{
    return static_cast<uint16_t>(e[off] | (e[off + 1] << 8));
}

uint16_t clampWord(long v)
{
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    return static_cast<uint16_t>(v);
}

} // namespace

uint8_t checksum(const uint8_t* p, size_t n)
{
    unsigned s = 0;
    for (size_t i = 0; i < n; ++i)
        s += p[i];
    return static_cast<uint8_t>(0xFF - (s & 0xFF));
}

std::string hex(const uint8_t* p, size_t n)
{
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

bool parseNumber(const std::string& s, long& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        v = std::strtol(s.c_str() + 2, &end, 16);
    else
        v = std::strtol(s.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

std::optional<Fault> parseFault(const std::string& text, std::string& error)
{
    Fault f;
    f.text = text;
    std::stringstream ss(text);
    std::string part;
    bool first = true;
    while (std::getline(ss, part, ',')) {
        if (first) {
            first = false;
            std::string kind = part, arg;
            if (auto c = part.find(':'); c != std::string::npos) {
                kind = part.substr(0, c);
                arg = part.substr(c + 1);
            }
            if (kind == "noreply") f.kind = FaultKind::NoReply;
            else if (kind == "short") f.kind = FaultKind::Short;
            else if (kind == "badsum") f.kind = FaultKind::BadSum;
            else if (kind == "extra") f.kind = FaultKind::Extra;
            else if (kind == "garbage") f.kind = FaultKind::Garbage;
            else if (kind == "noise") f.kind = FaultKind::Noise;
            else if (kind == "slow") { f.kind = FaultKind::Slow; f.arg = 700; }
            else if (kind == "slowok") { f.kind = FaultKind::Slow; f.arg = 450; }
            else { error = "unknown fault kind '" + kind + "'"; return std::nullopt; }
            if (!arg.empty()) {
                long v;
                if (!parseNumber(arg, v) || v < 0 || v > 100000) {
                    error = "bad fault argument '" + arg + "'";
                    return std::nullopt;
                }
                f.arg = static_cast<int>(v);
            }
            continue;
        }
        auto eq = part.find('=');
        if (eq == std::string::npos) {
            error = "expected key=value, got '" + part + "'";
            return std::nullopt;
        }
        std::string key = part.substr(0, eq), val = part.substr(eq + 1);
        if (key == "rate") {
            char* end = nullptr;
            f.rate = std::strtod(val.c_str(), &end);
            if (!end || *end || f.rate < 0 || f.rate > 1) {
                error = "bad rate '" + val + "'";
                return std::nullopt;
            }
            continue;
        }
        long v;
        if (!parseNumber(val, v)) {
            error = "bad number '" + val + "'";
            return std::nullopt;
        }
        if (key == "cmd") f.cmd = static_cast<int>(v);
        else if (key == "space") f.space = static_cast<int>(v);
        else if (key == "addr") f.addrFrom = v;
        else if (key == "addrto") f.addrTo = v;
        else if (key == "req") f.reqFrom = v;
        else if (key == "skip") f.skip = v;
        else if (key == "count") f.count = v;
        else if (key == "bytes") f.bytes = v;
        else { error = "unknown key '" + key + "'"; return std::nullopt; }
    }
    if (first) {
        error = "empty fault";
        return std::nullopt;
    }
    return f;
}

// ---------------------------------------------------------------------------

FrameParser::Verdict FrameParser::judge(size_t off, bool quiet, size_t& length) const
{
    if (off >= buf_.size())
        return Verdict::Incomplete;
    const uint8_t cmd = buf_[off];
    const int n = fixedParams(cmd);
    if (n < 0)
        return Verdict::Invalid;
    const size_t avail = buf_.size() - off;
    const size_t fixedLen = static_cast<size_t>(n) + 2;
    if (avail >= fixedLen && checksum(&buf_[off], fixedLen - 1) == buf_[off + fixedLen - 1]) {
        length = fixedLen;
        return Verdict::Valid;
    }
    if (cmd == 5 && quiet && avail >= 7 && avail <= 4 + 255 + 2) {
        // A block of another length than 8: only the whole quiet buffer counts.
        if (checksum(&buf_[off], avail - 1) == buf_[off + avail - 1]) {
            length = avail;
            return Verdict::Valid;
        }
        return Verdict::Invalid;
    }
    if (avail < fixedLen || (cmd == 5 && avail < 4 + 255 + 2))
        return quiet ? Verdict::Invalid : Verdict::Incomplete;
    return Verdict::Invalid;
}

std::optional<Request> FrameParser::next(bool quiet, Bytes* dropped)
{
    while (!buf_.empty()) {
        const bool addressed = buf_[0] == address_ || buf_[0] == 2;
        size_t lenA = 0, lenB = 0;
        const Verdict withAddr = addressed ? judge(1, quiet, lenA) : Verdict::Invalid;
        const Verdict bare = judge(0, quiet, lenB);
        size_t off = 0, len = 0;
        if (withAddr == Verdict::Valid && !(quiet && bare == Verdict::Valid && lenB == buf_.size() && lenA + 1 != buf_.size())) {
            off = 1;
            len = lenA;
        } else if (withAddr == Verdict::Incomplete) {
            return std::nullopt; // the addressed reading may still complete
        } else if (bare == Verdict::Valid) {
            off = 0;
            len = lenB;
        } else if (bare == Verdict::Incomplete) {
            return std::nullopt;
        } else {
            if (dropped)
                dropped->push_back(buf_[0]);
            buf_.erase(buf_.begin());
            continue;
        }
        Request r;
        r.address = off ? buf_[0] : -1;
        r.frame.assign(buf_.begin() + off, buf_.begin() + off + len);
        buf_.erase(buf_.begin(), buf_.begin() + off + len);
        const Bytes& f = r.frame;
        r.cmd = f[0];
        r.addr = f[1] | (f[2] << 8) | (f[3] << 16);
        switch (r.cmd) {
        case 1: r.space = f[5]; break;
        case 4: r.space = f[5]; r.count = f[4]; break;
        case 5: r.space = f[4]; r.count = static_cast<int>(len) - 6; break;
        case 6: r.space = f[4]; break;
        default: r.addr = 0; break;
        }
        return r;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------

Controller::Controller() : start_(monotonicSeconds())
{
    std::memset(eeprom, 0xFF, sizeof eeprom);
}

double Controller::now() const
{
    return frozenTime ? *frozenTime : monotonicSeconds() - start_;
}

uint8_t Controller::readByte(int space, uint32_t a) const
{
    a &= 0xFFFFFF;
    if (space == 3)
        return a < kEepromSize ? eeprom[a] : 0xFF;
    if (space < 0 || space > 4)
        return 0;
    if (auto it = written_[space].find(a); it != written_[space].end())
        return it->second;
    switch (space) {
    case 1:
    case 2:
        return patternByte(a);
    case 4: // ACP: the ADC code of channel a/2, low byte first
        if (a < 16) {
            const uint16_t c = adcCode(static_cast<int>(a / 2));
            return static_cast<uint8_t>(a % 2 ? c >> 8 : c);
        }
        return 0;
    default:
        return 0;
    }
}

void Controller::writeByte(int space, uint32_t a, uint8_t v)
{
    a &= 0xFFFFFF;
    if (space == 3) {
        if (a < kEepromSize)
            eeprom[a] = v;
        return;
    }
    if (space >= 0 && space <= 4)
        written_[space][a] = v;
}

// Channel ch swings around 20000 + 4000 ch with an amplitude of 8000 and a
// period of 20 s, each channel a little later than the one before.
uint16_t Controller::adcCode(int channel) const
{
    if (auto it = liveOverride.find({5, channel}); it != liveOverride.end())
        return it->second;
    if (auto it = liveOverride.find({5, -1}); it != liveOverride.end())
        return it->second;
    const double t = now();
    const double v = 20000 + 4000 * channel + 8000 * std::sin(2 * M_PI * t / 20.0 + channel * M_PI / 4);
    return static_cast<uint16_t>(std::lround(v));
}

uint16_t Controller::liveValue(int code, uint32_t param)
{
    const int p = static_cast<int>(param);
    auto over = [&]() -> std::optional<uint16_t> {
        if (auto it = liveOverride.find({code, p}); it != liveOverride.end())
            return it->second;
        if (auto it = liveOverride.find({code, -1}); it != liveOverride.end())
            return it->second;
        return std::nullopt;
    };
    // Output commands take effect whatever the reply is.
    switch (code) {
    case 7: dac1 = static_cast<uint16_t>(param); break;
    case 8: dac2 = static_cast<uint16_t>(param); break;
    case 12: relays1to8 = static_cast<uint16_t>(param); break;
    case 13: relays9to16 = static_cast<uint16_t>(param); break;
    default: break;
    }
    if (auto o = over())
        return *o;
    const double t = now();
    switch (code) {
    case 5:
        return p < 8 ? adcCode(p) : 0;
    case 6:
        if (p < 8) {
            // The channel's stored scaling of its ADC code.
            const long in = adcCode(p);
            const long inMin = wordAt(eeprom, 66 + 2 * p), inMax = wordAt(eeprom, 86 + 2 * p);
            const long outMin = signedAt(eeprom, 106 + 2 * p), outMax = signedAt(eeprom, 126 + 2 * p);
            if (inMax == inMin)
                return clampWord(outMin);
            return clampWord(outMin + (in - inMin) * (outMax - outMin) / (inMax - inMin));
        }
        if (p < 24) // formulas: a ramp 0..999 over 100 s, offset by formula
            return clampWord((p - 8) * 1000 + static_cast<long>(t * 10) % 1000);
        if (p < 32) // switches: on and off every (switch + 2) seconds
            return static_cast<long>(t / (p - 22)) % 2;
        if (p < 40)
            return clampWord((p - 31) * 500 + static_cast<long>(std::lround(100 * std::sin(t))));
        return 0;
    case 7:
    case 8:
        return static_cast<uint16_t>(param);
    case 9:
        return static_cast<uint16_t>(10 + static_cast<long>(t) % 5);
    case 10:
        return p < 8 ? static_cast<uint16_t>(adcCode(p) / 16) : 0;
    case 11: // one input on at a time, moving every second
        return static_cast<uint16_t>(1u << (static_cast<long>(t) % 16));
    default:
        return 0;
    }
}

bool Controller::matches(Fault& f, const Request& r)
{
    if (f.cmd >= 0 && f.cmd != r.cmd) return false;
    if (f.space >= 0 && f.space != r.space) return false;
    if (f.addrFrom >= 0 && r.addr < static_cast<uint32_t>(f.addrFrom)) return false;
    if (f.addrTo >= 0 && r.addr > static_cast<uint32_t>(f.addrTo)) return false;
    if (requests < f.reqFrom) return false;
    if (f.count == 0) return false;
    if (f.skip > 0) {
        --f.skip;
        return false;
    }
    if (f.rate < 1.0 && std::uniform_real_distribution<double>(0, 1)(rng_) >= f.rate)
        return false;
    if (f.count > 0)
        --f.count;
    return true;
}

Bytes Controller::execute(const Request& r)
{
    const Bytes& f = r.frame;
    Bytes reply;
    switch (r.cmd) {
    case 1:
        if (r.space == 10) {
            // Answered at the old speed; the new one holds from the next request.
            reply = {1};
        } else {
            writeByte(r.space, r.addr, f[4]);
            reply = {1};
        }
        break;
    case 4:
        reply.push_back(4);
        for (int i = 0; i < r.count; ++i)
            reply.push_back(readByte(r.space, r.addr + i));
        reply.push_back(0);
        break;
    case 5:
        for (int i = 0; i < r.count; ++i)
            writeByte(r.space, r.addr + i, f[5 + i]);
        reply = {5};
        break;
    case 6: {
        uint16_t w = 0;
        if (r.space <= 4) {
            w = static_cast<uint16_t>(readByte(r.space, r.addr) | (readByte(r.space, r.addr + 1) << 8));
        } else if (r.space == 255) {
            mathOn = false;
            ++mathOffCount;
        } else if (r.space == 254) {
            mathOn = true;
            ++mathOnCount;
        } else {
            w = liveValue(r.space, r.addr);
        }
        reply = {6, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)};
        break;
    }
    case 8:
        lastPanel.assign(f.begin() + 1, f.begin() + 23);
        reply = {8, 0, 0, static_cast<uint8_t>(tare), static_cast<uint8_t>(tare >> 8)};
        break;
    }
    reply.push_back(checksum(reply.data(), reply.size()));
    return reply;
}

std::optional<Reply> Controller::handle(const Request& r, long ptySpeed, std::string& note)
{
    ++requests;
    Bytes wire(r.frame);
    if (r.address >= 0)
        wire.insert(wire.begin(), static_cast<uint8_t>(r.address));
    requestLog.push_back(hex(wire));

    if (ptySpeed > 0 && ptySpeed != speed) {
        note = "line at " + std::to_string(ptySpeed) + ", controller at " + std::to_string(speed);
        return std::nullopt;
    }

    std::vector<Fault*> active;
    for (Fault& f : faults)
        if (matches(f, r))
            active.push_back(&f);
    for (Fault* f : active)
        if (f->kind == FaultKind::NoReply) {
            note = "fault " + f->text;
            return std::nullopt; // the request is lost: nothing happens
        }

    Reply out;
    out.bytes = execute(r);
    if (r.cmd == 1 && r.space == 10 && r.addr > 0)
        speed = r.addr;
    for (Fault* f : active) {
        note += (note.empty() ? "fault " : ", ") + f->text;
        Bytes& b = out.bytes;
        switch (f->kind) {
        case FaultKind::NoReply:
            break;
        case FaultKind::Short: {
            size_t n = f->arg >= 0 ? static_cast<size_t>(f->arg) : b.size() / 2;
            if (n >= b.size()) n = b.size() - 1;
            b.resize(n);
            break;
        }
        case FaultKind::BadSum:
            if (!b.empty()) b.back() = static_cast<uint8_t>(b.back() + 1);
            break;
        case FaultKind::Extra: {
            const int n = f->arg >= 0 ? f->arg : 3;
            for (int i = 0; i < n; ++i)
                b.push_back(static_cast<uint8_t>(i % 2 ? 0x55 : 0xAA));
            break;
        }
        case FaultKind::Garbage: {
            const size_t n = f->arg >= 0 ? static_cast<size_t>(f->arg) : b.size();
            b.resize(n);
            for (auto& x : b)
                x = static_cast<uint8_t>(rng_());
            if (!b.empty() && checksum(b.data(), b.size() - 1) == b.back())
                b.back() = static_cast<uint8_t>(b.back() + 1);
            break;
        }
        case FaultKind::Noise: {
            // Random bytes ahead of the correct reply. The first reply-length
            // bytes on the wire never sum to 0xFF, so a reader that takes
            // that many sees a wrong sum rather than a reply by chance.
            const size_t length = b.size();
            const size_t n = f->arg >= 0 ? static_cast<size_t>(f->arg) : 2;
            Bytes lead(n);
            for (auto& x : lead)
                x = static_cast<uint8_t>(rng_());
            b.insert(b.begin(), lead.begin(), lead.end());
            if (n > 0 && length > 0) {
                unsigned s = 0;
                for (size_t i = 0; i < length; ++i)
                    s += b[i];
                if ((s & 0xFF) == 0xFF)
                    b[std::min(n, length) - 1] = static_cast<uint8_t>(b[std::min(n, length) - 1] + 1);
            }
            break;
        }
        case FaultKind::Slow:
            out.perByteDelayMs = f->arg;
            out.slowBytes = static_cast<int>(f->bytes);
            break;
        }
    }
    return out;
}

} // namespace vkmsim
