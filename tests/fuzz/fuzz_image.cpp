// Unpacking any image and packing the result again: no crash, and packing
// after unpacking is a fixed point (a second round gives the same image).

#include "core/image.h"

#include <cstring>

using namespace vkm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    ImageBuffer received{};
    std::memcpy(received.data(), data + 1, std::min(size - 1, kImageSize));
    SettingsRecord r;
    std::memset(r.bytes(), data[0], kSettingsSize); // whatever was held before
    UnpackImage(received, r);

    ImageBuffer once{};
    PackImage(r, once);
    SettingsRecord again = r;
    UnpackImage(once, again);
    ImageBuffer twice{};
    PackImage(again, twice);
    if (std::memcmp(once.data(), twice.data(), once.size()) != 0)
        __builtin_trap();
    if (std::memcmp(r.bytes(), again.bytes(), kSettingsSize) != 0)
        __builtin_trap();
    return 0;
}
