#include "link/online.h"

namespace vkm {

bool OnlineMode = false;
QString ApplyCaption = applyCaptionOffline();

} // namespace vkm
