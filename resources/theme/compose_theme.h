#pragma once
#include <cstdint>
#include <vector>

namespace zumbrik::theme {

// The bytes of resources/theme.xm.
std::vector<std::uint8_t> ComposeTheme();

}  // namespace zumbrik::theme
