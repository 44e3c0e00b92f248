// The protocol receiving any reply bytes: one request (an exchange of its
// own, or a request operation with its attempts) against a peer that answers
// every frame with the next chunk of the input. No crash, no hang, the frame
// on the wire as the command gives it, and every result as the bytes make
// it: a complete reply whose L bytes sum to 0xFF is 0, a complete one with
// another sum 2, one that stops short 1.
//
// Input: op, LinkAddress, six argument bytes, then chunks [length][bytes].

#include "link/infolog.h"
#include "link/protocol.h"
#include "link/serial.h"

#include <algorithm>
#include <deque>
#include <vector>

using namespace vkm;

namespace {

using Bytes = std::vector<uint8_t>;

// A line with a scripted peer. A wait for a byte that will never come ends
// at once: the port reads as closed until the protocol flushes its input
// after the exchange, which ends the wait as the reply timeout would,
// without the 0.6 s of real time.
class ScriptedLink : public SerialLink {
public:
    std::deque<Bytes> chunks; // one answer per frame sent
    std::vector<Bytes> sent;  // every putBlock, the address byte apart
    std::deque<uint8_t> rx;
    bool starved = false;

    void setComNumber(int) override {}
    void setBaud(int) override {}
    int comNumber() const override { return 1; }
    int baud() const override { return 9600; }
    QString deviceFor(int) const override { return QStringLiteral("scripted"); }
    bool open() override { return true; }
    void close() override {}
    bool isOpen() const override { return !starved; }
    QString errorString() const override { return {}; }
    int outputPending() const override { return 0; }
    void flushInput() override
    {
        rx.clear();
        starved = false;
    }
    void flushOutput() override {}
    bool byteReady() override { return !rx.empty(); }
    uint8_t getByte() override
    {
        if (rx.empty())
            __builtin_trap(); // read without a byte ready
        const uint8_t b = rx.front();
        rx.pop_front();
        return b;
    }
    bool putBlock(const uint8_t* data, int n) override
    {
        sent.emplace_back(data, data + n);
        if (n > 1) { // a frame: the peer answers
            rx.clear();
            if (!chunks.empty()) {
                rx.assign(chunks.front().begin(), chunks.front().end());
                chunks.pop_front();
            }
        }
        return true;
    }
    void waitForByte(int) override
    {
        if (rx.empty())
            starved = true;
    }
};

uint8_t expectedResult(const Bytes& chunk, size_t length)
{
    if (chunk.size() < length)
        return ExchangeNoReply;
    unsigned s = 0;
    for (size_t i = 0; i < length; ++i)
        s += chunk[i];
    return (s & 0xFF) == 0xFF ? ExchangeOk : ExchangeBadSum;
}

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    const uint8_t op = data[0] % 6;
    const uint8_t address = data[1];
    const uint8_t* a = data + 2; // six argument bytes
    const uint32_t addr = a[0] | (a[1] << 8) | (a[2] << 16);

    ScriptedLink port;
    std::vector<Bytes> answers;
    for (size_t i = 8; i < size;) {
        const size_t n = std::min<size_t>(data[i], size - i - 1);
        answers.emplace_back(data + i + 1, data + i + 1 + n);
        i += 1 + n;
    }
    port.chunks.assign(answers.begin(), answers.end());
    InfoLog log;
    Protocol p(port, log);
    p.LinkAddress = address;

    // The frame each attempt must put on the line (command .. sum), and the
    // reply length it waits for.
    Bytes frame;
    size_t length = 0;
    bool refused = false; // refused before anything is sent
    bool error = false;
    uint16_t value = 0;
    int exchangeResult = -1;
    const char* opening = "Read data...";
    switch (op) {
    case 0: { // ExchangeFrame itself, any command, parameter count and length
        const uint16_t n = a[3] % 40;
        length = a[4] | ((a[5] & 1) << 8);
        for (uint16_t i = 1; i <= n && i < p.FrameBuffer.size(); ++i)
            p.FrameBuffer[i] = static_cast<uint8_t>(i * 37 + a[0]);
        refused = n + 2u > p.FrameBuffer.size() || length > p.ReplyBuffer.size();
        if (!refused)
            frame.assign(p.FrameBuffer.begin(), p.FrameBuffer.begin() + n + 2);
        if (!refused)
            frame[0] = a[2];
        exchangeResult = p.ExchangeFrame(a[2], n, static_cast<uint16_t>(length));
        break;
    }
    case 1:
        frame = {6, a[0], a[1], a[2], a[3], 0};
        length = 4;
        error = p.ReadWord(addr, a[3], value);
        break;
    case 2:
        frame = {4, a[0], a[1], a[2], a[4], a[3], 0};
        length = a[4] + 3u;
        error = p.ReadBlock(addr, a[4], a[3]);
        break;
    case 3: {
        const uint8_t count = a[4] % 32;
        uint8_t block[32];
        for (int i = 0; i < 32; ++i)
            block[i] = static_cast<uint8_t>(a[5] + i);
        refused = count + 6u > p.FrameBuffer.size();
        frame = {5, a[0], a[1], a[2], a[3]};
        frame.insert(frame.end(), block, block + count);
        frame.push_back(0);
        length = 2;
        opening = "Write data...";
        error = p.WriteBlock(addr, count, a[3], block);
        break;
    }
    case 4:
        frame = {1, a[0], a[1], a[2], a[4], a[3], 0};
        length = 2;
        opening = "Transmit data...";
        error = p.WriteByte(addr, a[4], a[3]);
        break;
    case 5:
        frame = {6, 0, 0, 0, static_cast<uint8_t>(a[3] & 1 ? SpaceMathOn : SpaceMathOff), 0};
        length = 4;
        error = a[3] & 1 ? p.MathOn() : p.MathOff();
        break;
    }
    check(!p.busy());

    // What went out: per attempt, the address byte (unless 0) and the frame
    // with its sum.
    if (!frame.empty() && !refused) {
        unsigned s = 0;
        for (size_t i = 0; i + 1 < frame.size(); ++i)
            s += frame[i];
        frame.back() = static_cast<uint8_t>(0xFF - (s & 0xFF));
    }
    const size_t perAttempt = address ? 2 : 1;
    if (refused) {
        check(port.sent.empty());
        check(op == 0 ? exchangeResult == ExchangeNoReply : error);
        return 0;
    }
    check(port.sent.size() % perAttempt == 0);
    const size_t attempts = port.sent.size() / perAttempt;
    for (size_t i = 0; i < attempts; ++i) {
        if (address)
            check(port.sent[i * 2] == Bytes{address});
        check(port.sent[i * perAttempt + perAttempt - 1] == frame);
    }

    // The results the answers make, attempt by attempt.
    auto answer = [&](size_t i) { return i < answers.size() ? answers[i] : Bytes{}; };
    if (op == 0) {
        check(attempts == 1);
        check(exchangeResult == expectedResult(answer(0), length));
        const Bytes r = answer(0);
        check(std::equal(r.begin(), r.begin() + std::min(length, r.size()), p.ReplyBuffer.begin()));
        check(log.lines().isEmpty());
        return 0;
    }
    size_t want = 0;
    uint8_t last = ExchangeNoReply;
    while (want < Protocol::RetryCount) {
        last = expectedResult(answer(want++), length);
        if (last == ExchangeOk)
            break;
    }
    check(attempts == want);
    check(error == (last != ExchangeOk));
    QStringList lines{QString::fromLatin1(opening)};
    const size_t failures = last == ExchangeOk ? want - 1 : want;
    for (size_t i = 0; i < failures; ++i)
        lines << QStringLiteral("...");
    lines << (last == ExchangeOk ? QStringLiteral("Ok!") : QStringLiteral("!!! Error !!!"));
    check(log.lines() == lines);
    if (!error) {
        const Bytes& r = answer(want - 1);
        check(std::equal(r.begin(), r.begin() + length, p.ReplyBuffer.begin()));
        if (op == 1)
            check(value == r[1] + 256 * r[2]);
    }
    return 0;
}
