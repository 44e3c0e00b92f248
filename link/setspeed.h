#pragma once
// Telling the controller to use another exchange speed: one WriteByte with
// the speed as its address, value 0, selector 10. Only the controller
// changes; the port keeps its speed until the user changes it.

#include <QList>

namespace vkm {

class Protocol;

// The speeds the controller can be given: 4800 .. 57600.
const QList<int>& controllerSpeeds();
inline bool isControllerSpeed(int baud) { return controllerSpeeds().contains(baud); }

// Sends the request; returns the error flag (true: no valid reply after the
// attempts). The outcome is also in the information log.
bool setControllerSpeed(Protocol& p, int baud);

} // namespace vkm
