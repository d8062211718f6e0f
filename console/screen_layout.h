#pragma once

#include "console/console_buffer.h"

namespace zumbrik {

// Attributes of the playing screen.
inline constexpr ColourAttribute kFrameAttribute = 0x60;
inline constexpr ColourAttribute kLabelAttribute = 0x0E;
inline constexpr ColourAttribute kScoreAttribute = 0x0B;
inline constexpr ColourAttribute kNoticeAttribute = 0x09;
inline constexpr ColourAttribute kDigitsAttribute = 0x07;

// Fixed texts of the right panel and where they stand.
// The title and our credit; kept within 23 cells so the header ends by column 78.
inline constexpr char16_t kHeaderText[] = u"ЗУМБРИК 1.0 - Н.Ветров";
inline constexpr Coord kHeaderAt{56, 2};
inline constexpr char16_t kPreviewLabel[] = u"Далее:";
inline constexpr Coord kPreviewLabelAt{52, 20};
inline constexpr char16_t kHelpDotStyle[] = u"F   - сменить рисование";
inline constexpr char16_t kHelpPause[] = u"P   - пауза";
inline constexpr char16_t kHelpMusic[] = u"M   - музыка вкл/выкл";
inline constexpr char16_t kHelpQuit[] = u"ESC - выход";
inline constexpr Coord kHelpDotStyleAt{52, 25};
inline constexpr Coord kHelpPauseAt{52, 26};
inline constexpr Coord kHelpMusicAt{52, 27};
inline constexpr Coord kHelpQuitAt{52, 28};

// Blanks in the frame colour down one column, rows 1 to 29.
void PaintBorderColumn(ConsoleBuffer buffer, std::int16_t column);
// The frame, the header, the preview label and the key help, in that order.
void DrawStaticLayout(ConsoleBuffer buffer);

}  // namespace zumbrik
