#pragma once
#include <cstdint>

#include "platform/console_surface.h"

namespace zumbrik {

// The pause screen's picture: one run from (24, 1) that wraps at every
// 80-column row and ends at (65, 29).
inline constexpr std::uint32_t kPausePictureLength = 2282;
inline constexpr Coord kPausePictureAt{24, 1};

extern const char16_t PausePicture[kPausePictureLength + 1];

}  // namespace zumbrik
