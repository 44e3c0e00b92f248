#include "legacy.h"

#include "image.h"

#include <cstring>

namespace vkm {

void ConvertLegacy(const LegacyBuffer& legacy, SettingsRecord& r, ImageBuffer& device,
                   ImageBuffer& received)
{
    // The legacy fields sit at the same offsets, so a record made of the body
    // and the current texts packs exactly as the body itself would.
    SettingsRecord source = r;
    std::memcpy(source.bytes(), legacy.data(), kLegacyCarriedSize);
    PackImage(source, device);
    received = device;
    UnpackImage(received, r);
}

} // namespace vkm
