#include "console/pause_screen.h"

#include "console/console_text.h"
#include "console/pause_picture.h"

namespace zumbrik {

void DrawPauseScreen(ConsoleSurface& surface, const ConsoleBuffers& buffers, PauseScreen& pause) {
    const ConsoleBuffer buffer{surface, buffers.pauseBuffer};
    surface.SetConsoleActiveScreenBuffer(buffers.pauseBuffer);
    pause.blinkFrame = 0;
    surface.WriteConsoleOutputCharacterW(buffers.pauseBuffer, PausePicture, kPausePictureLength, kPausePictureAt);
    surface.FillConsoleOutputAttribute(buffers.pauseBuffer, kPictureAttribute, kPausePictureLength, kPausePictureAt);
    WriteText(buffer, kPauseTitleAt, kPauseTitle, kPauseTitleAttribute);
    WriteText(buffer, kPauseHintAt, kPauseHint, kPauseTitleAttribute);
    ResizeConsoleWindow(surface);
}

void BlinkStep(ConsoleBuffer pauseBuffer, PauseScreen& pause) {
    const std::uint32_t frame = pause.blinkFrame;
    pause.blinkFrame = frame + 1;
    if (frame == kBlinkCycleEnd) {
        pause.blinkFrame = 0;
        return;
    }
    for (const BlinkEntry& entry : BlinkTable)
        if (entry.frame == frame) WriteText(pauseBuffer, entry.at, entry.text, entry.attribute);
}

}  // namespace zumbrik
