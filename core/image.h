#pragma once
// The controller's 2048-byte EEPROM image of the settings and its translation
// to and from the settings block. Image offset k is EEPROM address k.

#include "settings.h"

namespace vkm {

// Builds image offsets 0..1897 (all but 1537) from the record; the rest of
// the buffer is left as it is (zero, since nothing else writes there).
void PackImage(const SettingsRecord& r, ImageBuffer& image);

// Writes every field the image carries from image offsets 0..1897 back into
// the record; any byte pattern is accepted. Fields the image does not carry
// keep their values.
void UnpackImage(const ImageBuffer& image, SettingsRecord& r);

// Offsets of the image that the editors' on-line writes refer to.
namespace image {
inline constexpr int kScaleInMin = 66;
inline constexpr int kInputCorrection = 146;
inline constexpr int kCurves = 156;
inline constexpr int kFormulaUse = 956;
inline constexpr int kDisplayLoad = 1100;
inline constexpr int kPointParam = 1102;
inline constexpr int kOutputSource = 1342;
inline constexpr int kSwitchUse = 1352;
inline constexpr int kRelayUse = 1408;
inline constexpr int kCharacteristicInput = 1505;
inline constexpr int kUnused = 1537;
inline constexpr int kTexts = 1538;
inline constexpr int kEnd = 1898;
} // namespace image

} // namespace vkm
