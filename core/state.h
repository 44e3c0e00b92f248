#pragma once
// The process-wide settings state. There is exactly one of each for the life
// of the process; every editor, transfer and file command works on these.

#include "settings.h"

#include <QString>

namespace vkm {

extern SettingsRecord Settings;   // all zero bytes at start-up
extern ImageBuffer DeviceImage;   // outgoing image, built by PackImage
extern ImageBuffer ReceivedImage; // incoming image, read by UnpackImage
extern LegacyBuffer LegacyRecord; // body of a file of the previous layout
extern QString CurrentFileName;   // shown in the main caption

inline constexpr const char* kNoName = "noName.bin";

} // namespace vkm
