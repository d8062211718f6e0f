#pragma once
#include <array>
#include <cstdint>

#include "console/console_buffer.h"
#include "console/console_setup.h"

namespace zumbrik {

inline constexpr ColourAttribute kPictureAttribute = 0x06;
inline constexpr ColourAttribute kMistAttribute = 0x08;
inline constexpr ColourAttribute kPauseTitleAttribute = 0x0E;
inline constexpr char16_t kPauseTitle[] = u"ПАУЗА";
inline constexpr Coord kPauseTitleAt{37, 0};
inline constexpr char16_t kPauseHint[] = u"Для продолжения нажмите P";
inline constexpr Coord kPauseHintAt{27, 29};

// One drawing of the blink animation: at frame `frame` the text goes at `at`.
struct BlinkEntry {
    std::uint32_t frame;
    Coord at;
    const char16_t* text;
    ColourAttribute attribute;
};

// Mist closes the patch row by row from the top, then it reopens from the
// bottom in the picture's own characters and colour.
inline constexpr std::array<BlinkEntry, 10> BlinkTable{{
    {14, {54, 13}, u"~~~~~", kMistAttribute},
    {15, {53, 14}, u"~~~~~~", kMistAttribute},
    {16, {52, 15}, u"~~~~~~~~", kMistAttribute},
    {17, {53, 16}, u"~~~~~~~", kMistAttribute},
    {18, {53, 17}, u"~~~~~", kMistAttribute},
    {20, {53, 17}, u":....", kPictureAttribute},
    {21, {53, 16}, u".......", kPictureAttribute},
    {22, {52, 15}, u"........", kPictureAttribute},
    {23, {53, 14}, u"......", kPictureAttribute},
    {24, {54, 13}, u",...:", kPictureAttribute},
}};
// At this frame nothing is drawn and the cycle starts again.
inline constexpr std::uint32_t kBlinkCycleEnd = 64;

struct PauseScreen {
    std::uint32_t blinkFrame = 0;
};

// Shows the pause buffer and draws it afresh: picture, titles, window size.
void DrawPauseScreen(ConsoleSurface& surface, const ConsoleBuffers& buffers, PauseScreen& pause);
// One frame of the animation.
void BlinkStep(ConsoleBuffer pauseBuffer, PauseScreen& pause);

}  // namespace zumbrik
