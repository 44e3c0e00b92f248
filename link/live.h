#pragma once
// Live readings: the request codes carried in ReadWord's selector byte, and
// the self-pacing poll cycle that every dialog with live values follows.

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace vkm {

class Protocol;

enum class LiveRequest : uint8_t {
    AdcCode = 5,           // input channel 0..7 -> raw ADC code, unsigned
    ParameterValue = 6,    // ParameterCode 0..39 -> SignedWord, x100 (formulas x10)
    SetDac1 = 7,           // output code for analog output 1
    SetDac2 = 8,           // output code for analog output 2
    CalcTime = 9,          // 0 -> SignedWord
    ChannelTestValue = 10, // input channel 0..7 -> SignedWord
    DigitalInputs = 11,    // 0 -> bit i = digital input i+1 on
    SetRelays1to8 = 12,    // bit i = relay i+1 on
    SetRelays9to16 = 13,   // bit i = relay i+9 on
};

// One live request; nullopt when it got no valid reply after its attempts.
std::optional<uint16_t> readLive(Protocol& p, LiveRequest code, uint32_t parameter);

// The texts a live field shows: "error" for a failed request.
QString liveErrorText();                                  // "error"
QString liveUnsigned(std::optional<uint16_t> w);          // "%d" of the word
QString liveSigned(std::optional<uint16_t> w);            // "%d" of SignedWord
QString liveScaled(std::optional<uint16_t> w, int divisor); // "%2.2f" of SignedWord / divisor

// The poll cycle. The tick handler runs when the 500 ms timer fires; the
// timer is stopped for the tick, so ticks never overlap and the next one
// comes 500 ms after the previous one ended. A dialog that closes (stop())
// while its tick waits for a reply ends that tick: goesOn() turns false, so
// the tick sends none of its remaining requests, and the timer is not
// started again. A stop() ends the tick for good: a start() during the same
// wait (the dialog shown again, a box ticked again) begins a new period with
// its own ticks, and the old tick still sends nothing more.
//
//     void TFormX::TimerAnalogTimer()
//     {
//         if (chosen) {
//             field1->setText(liveUnsigned(readLive(p, LiveRequest::AdcCode, n)));
//             if (!poll.goesOn()) return;
//             field2->setText(...);
//         }
//     }   // PollCycle restarts the timer after the handler when still running
class PollCycle : public QObject {
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 500;

    explicit PollCycle(std::function<void()> tick, QObject* parent = nullptr);

    // Starts polling (the first tick after one period); does nothing while running.
    void start();
    // Stops polling; a tick in progress sends no further requests.
    void stop();
    bool running() const { return running_; }
    // Inside a tick: true while the dialog still wants the readings of this
    // tick (no stop() since the tick began).
    bool goesOn() const { return running_ && period_ == tickPeriod_; }
    // Runs one tick at once, as the timer would (tests and the first reading).
    void tickNow();

    QTimer TimerAnalog;

private:
    void onTimeout();

    std::function<void()> tick_;
    bool running_ = false;
    bool inTick_ = false;
    unsigned period_ = 0;     // counts stop() calls
    unsigned tickPeriod_ = 0; // period_ when the current tick began
};

} // namespace vkm
