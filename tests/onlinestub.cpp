// Until the link library defines them.
#include "link/online.h"
namespace vkm {
__attribute__((weak)) bool OnlineMode = false;
__attribute__((weak)) QString ApplyCaption = QStringLiteral("Применить");
}
