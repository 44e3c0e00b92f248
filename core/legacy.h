#pragma once
// Files of the previous layout: 14696 bytes, the current fields up to the
// identification strings and four bytes that nothing reads.

#include "settings.h"

namespace vkm {

// Turns a legacy body into the current record by way of the device image:
// the body is packed as the record would be (the identification strings are
// the record's own, since the body has none), the image is copied to the
// received buffer and unpacked into the record. Fields the image does not
// carry keep the record's values. Leaves `device` holding the packed image.
void ConvertLegacy(const LegacyBuffer& legacy, SettingsRecord& r, ImageBuffer& device,
                   ImageBuffer& received);

} // namespace vkm
