#include "resources/theme/compose_theme.h"

#include "player/formats/xm_writer.h"
#include "resources/theme/theme_score.h"

namespace zumbrik::theme {

std::vector<std::uint8_t> ComposeTheme() { return WriteXm(ThemeModule()); }

}  // namespace zumbrik::theme
