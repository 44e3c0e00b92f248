#include "link/panel.h"

#include "core/rules.h"
#include "link/infolog.h"
#include "link/protocol.h"

namespace vkm {

namespace {
void put(PanelFrame& f, int at, int64_t v, int bytes)
{
    const auto u = static_cast<uint64_t>(v);
    for (int i = 0; i < bytes; ++i)
        f[at + i] = static_cast<uint8_t>(u >> (8 * i));
}
// Halves go to the even neighbour as the decimal number typed: 2.135 is 214.
int64_t scaled(double v) { return scaleDecimal(v, 100); }
} // namespace

PanelFrame panelFrameBytes(const PanelValues& v)
{
    PanelFrame f{};
    // Offsets are parameter byte numbers minus one.
    put(f, 0, scaled(v.weight), 2);
    put(f, 2, scaled(v.reach), 2);
    put(f, 4, v.minute, 1);
    put(f, 5, v.hour, 1);
    put(f, 6, v.day, 1);
    put(f, 7, v.month, 1);
    put(f, 8, v.year, 1);
    put(f, 9, v.hoursRun, 4);
    put(f, 13, scaled(v.sumWeight), 4);
    put(f, 17, v.tonsRun, 4);
    put(f, 21, v.alarm, 1);
    return f;
}

PanelOutcome exchangePanel(Protocol& p, const PanelFrame& frame)
{
    PanelOutcome out;
    p.log().add(QStringLiteral("Read data..."));
    for (uint16_t attempt = 0; attempt < Protocol::RetryCount; ++attempt) {
        for (int i = 0; i < kPanelParameters; ++i)
            p.FrameBuffer[1 + i] = frame[i];
        out.result = p.ExchangeFrame(8, kPanelParameters, kPanelReplyLength);
        if (out.result != ExchangeNoReply)
            break;
        p.log().add(QStringLiteral("..."));
    }
    p.log().add(out.ok() ? QStringLiteral("Ok!") : QStringLiteral("!!! Error !!!"));
    out.tare = static_cast<uint16_t>(p.ReplyBuffer[3] | (p.ReplyBuffer[4] << 8));
    return out;
}

} // namespace vkm
