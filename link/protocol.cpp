#include "link/protocol.h"

#include "link/infolog.h"
#include "link/serial.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <exception>

namespace vkm {

namespace {

// The millisecond clock the reply timeout counts in ticks of 55 ms.
qint64 clockMs()
{
    static QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }();
    return clock.elapsed();
}

// How long one turn of the reply wait sleeps on the port when no byte is
// there: short against a tick, long enough that a dead line costs no CPU.
constexpr int kWaitSliceMs = 5;

} // namespace

// Holds the line for one top-level request. When the outermost holder lets
// go, the commands queued by whenIdle run, before the request's caller goes
// on.
class Protocol::Exclusive {
public:
    explicit Exclusive(Protocol& p) : p_(p) { ++p_.depth_; }
    ~Exclusive()
    {
        if (--p_.depth_ == 0)
            p_.runPending();
    }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    Protocol& p_;
};

Protocol::Protocol(SerialLink& port, InfoLog& log, QObject* parent)
    : QObject(parent), port_(port), log_(log)
{
}

void Protocol::whenIdle(std::function<void()> command)
{
    if (!command)
        return;
    pending_.push_back(std::move(command));
    if (depth_ == 0)
        runPending();
}

void Protocol::runPending()
{
    // A queued command may itself queue more or make requests; one drain at
    // a time keeps the order in which they were queued.
    if (draining_)
        return;
    draining_ = true;
    while (depth_ == 0 && !pending_.empty()) {
        auto command = std::move(pending_.front());
        pending_.pop_front();
        try {
            command();
        } catch (const std::exception& e) {
            // The command's own handler should have reported it; this runs
            // from a destructor, so nothing may escape.
            log_.add(QStringLiteral("queued command failed: %1").arg(QString::fromUtf8(e.what())));
        } catch (...) {
            log_.add(QStringLiteral("queued command failed"));
        }
    }
    draining_ = false;
}

uint8_t Protocol::ContrlolSum(uint16_t n) const
{
    unsigned sum = 0;
    for (unsigned i = 0; i <= n && i < FrameBuffer.size(); ++i)
        sum += FrameBuffer[i];
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

void Protocol::SendAddress(uint8_t address)
{
    // The line always runs without parity, so nothing is switched here.
    if (address != 0)
        port_.putBlock(&address, 1);
}

uint8_t Protocol::ExchangeFrame(uint8_t command, uint16_t n, uint16_t replyLength)
{
    if (depth_ > 0) {
        lastFault_ = QStringLiteral("line busy");
        return ExchangeNoReply;
    }
    Exclusive hold(*this);
    return exchange(command, n, replyLength);
}

uint8_t Protocol::exchange(uint8_t command, uint16_t n, uint16_t replyLength)
{
    if (n + 2u > FrameBuffer.size() || replyLength > ReplyBuffer.size()) {
        lastFault_ = QStringLiteral("frame of %1 parameters or reply of %2 bytes does not fit")
                         .arg(n).arg(replyLength);
        return ExchangeNoReply;
    }
    if (!port_.isOpen()) {
        lastFault_ = QStringLiteral("port not open");
        return ExchangeNoReply;
    }
    if (port_.outputPending() > 0) {
        lastFault_ = QStringLiteral("unsent output still queued");
        return ExchangeNoReply;
    }
    port_.flushInput();
    port_.flushOutput();

    FrameBuffer[0] = command;
    FrameBuffer[n + 1] = ContrlolSum(n);
    SendAddress(LinkAddress);
    if (!port_.putBlock(FrameBuffer.data(), n + 2)) {
        lastFault_ = port_.isOpen() ? QStringLiteral("request could not be sent")
                                    : QStringLiteral("port not open");
        return ExchangeNoReply;
    }

    uint16_t received = 0;
    bool timedOut = false;
    while (received < replyLength && !timedOut) {
        const qint64 start = clockMs() / kTickMs;
        for (;;) {
            if (port_.byteReady()) {
                ReplyBuffer[received++] = port_.getByte();
                break;
            }
            if (clockMs() / kTickMs - start > kByteTimeoutTicks || !port_.isOpen()) {
                timedOut = true;
                break;
            }
            // Let the windows live, then sleep on the port until a byte
            // may be there.
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            if (!port_.byteReady())
                port_.waitForByte(kWaitSliceMs);
        }
    }
    port_.flushInput();
    port_.flushOutput();

    if (received < replyLength) {
        if (!port_.isOpen())
            lastFault_ = QStringLiteral("port closed while waiting (%1 of %2 bytes)").arg(received).arg(replyLength);
        else if (received == 0)
            lastFault_ = QStringLiteral("no reply");
        else
            lastFault_ = QStringLiteral("reply stopped after %1 of %2 bytes").arg(received).arg(replyLength);
        return ExchangeNoReply;
    }
    unsigned sum = 0;
    for (uint16_t i = 0; i < replyLength; ++i)
        sum += ReplyBuffer[i];
    if ((sum & 0xFF) != 0xFF) {
        lastFault_ = QString::asprintf("wrong sum 0x%02X", sum & 0xFF);
        return ExchangeBadSum;
    }
    return ExchangeOk;
}

bool Protocol::request(const char* opening, uint8_t command, uint16_t n, uint16_t replyLength)
{
    log_.add(QLatin1String(opening));
    uint8_t result = ExchangeNoReply;
    for (uint16_t attempt = 0; attempt < RetryCount; ++attempt) {
        result = exchange(command, n, replyLength);
        if (result == ExchangeOk)
            break;
        log_.add(QStringLiteral("..."));
    }
    log_.add(result == ExchangeOk ? QStringLiteral("Ok!") : QStringLiteral("!!! Error !!!"));
    return result != ExchangeOk;
}

namespace {
void putAddress(std::array<uint8_t, 32>& f, uint32_t address)
{
    f[1] = static_cast<uint8_t>(address);
    f[2] = static_cast<uint8_t>(address >> 8);
    f[3] = static_cast<uint8_t>(address >> 16);
}
} // namespace

bool Protocol::ReadWord(uint32_t address, uint8_t space, uint16_t& value)
{
    if (depth_ > 0) {
        lastFault_ = QStringLiteral("line busy");
        return true;
    }
    Exclusive hold(*this);
    putAddress(FrameBuffer, address);
    FrameBuffer[4] = space;
    const bool error = request("Read data...", 6, 4, 4);
    value = static_cast<uint16_t>(ReplyBuffer[1] + 256 * ReplyBuffer[2]);
    return error;
}

bool Protocol::ReadBlock(uint32_t address, uint8_t count, uint8_t space)
{
    if (depth_ > 0) {
        lastFault_ = QStringLiteral("line busy");
        return true;
    }
    Exclusive hold(*this);
    putAddress(FrameBuffer, address);
    FrameBuffer[4] = count;
    FrameBuffer[5] = space;
    return request("Read data...", 4, 5, static_cast<uint16_t>(count + 3));
}

bool Protocol::WriteBlock(uint32_t address, uint8_t count, uint8_t space, const uint8_t* data)
{
    if (depth_ > 0) {
        lastFault_ = QStringLiteral("line busy");
        return true;
    }
    // The frame holds at most 32 bytes: command, 4 header bytes, data, sum.
    if (count + 6u > FrameBuffer.size()) {
        lastFault_ = QStringLiteral("block of %1 bytes does not fit a frame").arg(count);
        return true;
    }
    Exclusive hold(*this);
    putAddress(FrameBuffer, address);
    FrameBuffer[4] = space;
    for (unsigned i = 0; i < count; ++i)
        FrameBuffer[5 + i] = data[i];
    return request("Write data...", 5, static_cast<uint16_t>(count + 4), 2);
}

bool Protocol::WriteByte(uint32_t address, uint16_t value, uint8_t space)
{
    if (depth_ > 0) {
        lastFault_ = QStringLiteral("line busy");
        return true;
    }
    Exclusive hold(*this);
    putAddress(FrameBuffer, address);
    FrameBuffer[4] = static_cast<uint8_t>(value);
    FrameBuffer[5] = space;
    return request("Transmit data...", 1, 5, 2);
}

} // namespace vkm
