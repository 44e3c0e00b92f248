#pragma once
// The remote panel's data frame (command 8): 22 parameter bytes built from
// the panel values, a 6-byte reply whose bytes 3 and 4 carry the tare.

#include <array>
#include <cstdint>

namespace vkm {

class Protocol;

struct PanelValues {
    double weight = 0;    // "Вес", sent x100
    double reach = 0;     // "Вылет", sent x100
    double sumWeight = 0; // "Сумм вес", sent x100
    int64_t minute = 0, hour = 0, day = 0, month = 0, year = 0;
    int64_t hoursRun = 0; // "Наработка Ч"
    int64_t tonsRun = 0;  // "Наработка Т"
    int64_t alarm = 0;    // "Авария"
};

inline constexpr int kPanelParameters = 22;
inline constexpr int kPanelReplyLength = 6;
inline constexpr uint8_t kPanelAddress = 2; // the panel frame goes to address 2
using PanelFrame = std::array<uint8_t, kPanelParameters>; // parameter bytes 1..22

// Every value rounded (halves to even), two's complement, least significant
// byte first: weight and reach 16 bits, the date bytes 8 bits, hours run,
// summed weight and tons run 32 bits, the alarm 8 bits.
PanelFrame panelFrameBytes(const PanelValues& v);

struct PanelOutcome {
    uint8_t result = 1;  // of the last attempt: 0 sum right, 1 no reply, 2 sum wrong
    uint16_t tare = 0;   // reply bytes 3 and 4, whatever the outcome
    bool ok() const { return result != 1; }
};

// One panel pass at the protocol's current LinkAddress: "Read data...", up
// to three exchanges (a complete reply ends them, whatever its sum; "..."
// after each missing one), then "Ok!" or "!!! Error !!!".
PanelOutcome exchangePanel(Protocol& p, const PanelFrame& frame);

} // namespace vkm
