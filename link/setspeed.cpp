#include "link/setspeed.h"

#include "link/protocol.h"

namespace vkm {

const QList<int>& controllerSpeeds()
{
    static const QList<int> speeds = {4800, 9600, 14400, 19200, 38400, 57600};
    return speeds;
}

bool setControllerSpeed(Protocol& p, int baud)
{
    return p.WriteByte(static_cast<uint32_t>(baud), 0, SpaceSetSpeed);
}

} // namespace vkm
