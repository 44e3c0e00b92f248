#pragma once

namespace vkm {

// The version label of the about box; the caption and the status bar take
// the version from here.
inline constexpr const char* kVersionText = "4.2";
inline constexpr const char16_t* kApplicationTitle = u"Управление ВКМ";

} // namespace vkm
