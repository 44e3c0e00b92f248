#include "state.h"

namespace vkm {

SettingsRecord Settings{};
ImageBuffer DeviceImage{};
ImageBuffer ReceivedImage{};
LegacyBuffer LegacyRecord{};
QString CurrentFileName = QString::fromLatin1(kNoName);

} // namespace vkm
