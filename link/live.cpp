#include "link/live.h"

#include "core/rules.h"
#include "link/protocol.h"

namespace vkm {

std::optional<uint16_t> readLive(Protocol& p, LiveRequest code, uint32_t parameter)
{
    uint16_t value = 0;
    if (p.ReadWord(parameter, static_cast<uint8_t>(code), value))
        return std::nullopt;
    return value;
}

QString liveErrorText() { return QStringLiteral("error"); }

QString liveUnsigned(std::optional<uint16_t> w)
{
    return w ? QString::number(*w) : liveErrorText();
}

QString liveSigned(std::optional<uint16_t> w)
{
    return w ? QString::number(SignedWord(*w)) : liveErrorText();
}

QString liveScaled(std::optional<uint16_t> w, int divisor)
{
    return w ? formatFixed2(double(SignedWord(*w)) / divisor) : liveErrorText();
}

PollCycle::PollCycle(std::function<void()> tick, QObject* parent)
    : QObject(parent), tick_(std::move(tick))
{
    TimerAnalog.setObjectName(QStringLiteral("TimerAnalog"));
    TimerAnalog.setInterval(kPeriodMs);
    TimerAnalog.setSingleShot(true); // stopped for the tick, started after it
    connect(&TimerAnalog, &QTimer::timeout, this, &PollCycle::onTimeout);
}

void PollCycle::start()
{
    if (running_)
        return;
    running_ = true;
    if (!inTick_)
        TimerAnalog.start();
}

void PollCycle::stop()
{
    running_ = false;
    ++period_;
    TimerAnalog.stop();
}

void PollCycle::tickNow()
{
    TimerAnalog.stop();
    onTimeout();
}

void PollCycle::onTimeout()
{
    if (inTick_)
        return;
    inTick_ = true;
    tickPeriod_ = period_;
    if (running_ && tick_)
        tick_();
    inTick_ = false;
    if (running_)
        TimerAnalog.start();
}

} // namespace vkm
