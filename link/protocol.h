#pragma once
// The transfer protocol: one request frame, one reply of known length, with
// the checksum, the per-byte timeout, three attempts and the log lines every
// request leaves. One object owns the line; nobody else touches the port, so
// exchanges never overlap.

#include <QObject>
#include <QStringList>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

namespace vkm {

class SerialLink;
class InfoLog;

// Memory spaces and controller functions carried in the selector byte.
enum MemorySpace : uint8_t {
    SpaceData = 0,
    SpaceCode = 1,
    SpaceMemory = 2,
    SpaceEeprom = 3,
    SpaceAcp = 4,
    SpaceSetSpeed = 10,
    SpaceMathOn = 254,
    SpaceMathOff = 255,
};

// Result of one exchange.
enum ExchangeResult : uint8_t {
    ExchangeOk = 0,       // reply complete, sum correct
    ExchangeNoReply = 1,  // a byte timed out, or the exchange was refused before sending
    ExchangeBadSum = 2,   // reply complete, sum wrong
};

class Protocol : public QObject {
    Q_OBJECT
public:
    Protocol(SerialLink& port, InfoLog& log, QObject* parent = nullptr);

    static constexpr uint16_t RetryCount = 3;
    // 10 ticks of 55 ms, started afresh for every reply byte.
    static constexpr int kTickMs = 55;
    static constexpr int kByteTimeoutTicks = 10;

    uint8_t LinkAddress = 1; // 0: no address byte is sent
    std::array<uint8_t, 32> FrameBuffer{};
    std::array<uint8_t, 264> ReplyBuffer{};

    uint8_t ExchangeFrame(uint8_t command, uint16_t n, uint16_t replyLength);
    uint8_t ContrlolSum(uint16_t n) const;
    void SendAddress(uint8_t address);

    // Each returns the error flag: true when the last attempt failed.
    bool ReadWord(uint32_t address, uint8_t space, uint16_t& value);
    bool ReadBlock(uint32_t address, uint8_t count, uint8_t space); // data in ReplyBuffer[1..count]
    bool WriteBlock(uint32_t address, uint8_t count, uint8_t space, const uint8_t* data);
    bool WriteByte(uint32_t address, uint16_t value, uint8_t space);
    bool MathOff() { uint16_t v; return ReadWord(0, SpaceMathOff, v); }
    bool MathOn() { uint16_t v; return ReadWord(0, SpaceMathOn, v); }

    // True while an exchange waits for its reply.
    bool busy() const { return depth_ > 0; }
    // Runs `command` now when the line is idle, otherwise as soon as the
    // current request has ended (before the caller of that request goes on).
    // Never waits, so it is safe inside a handler that runs during a wait.
    void whenIdle(std::function<void()> command);

    SerialLink& port() { return port_; }
    InfoLog& log() { return log_; }

    // What went wrong in the last exchange that did not end with result 0
    // ("no reply", "reply stopped after 2 of 4 bytes", "wrong sum 0x3C",
    // "port not open", "line busy"), for error details in logs and vkmtool.
    const QString& lastFault() const { return lastFault_; }

private:
    class Exclusive;
    uint8_t exchange(uint8_t command, uint16_t n, uint16_t replyLength);
    // The attempt loop of the request operations, with their log lines.
    bool request(const char* opening, uint8_t command, uint16_t n, uint16_t replyLength);
    void runPending();

    SerialLink& port_;
    InfoLog& log_;
    int depth_ = 0;
    bool draining_ = false;
    std::deque<std::function<void()>> pending_;
    QString lastFault_;
};

} // namespace vkm
