#include <gtest/gtest.h>

#include <set>
#include <string>

#include "console/console_text.h"
#include "console/pause_picture.h"
#include "console/pause_screen.h"
#include "platform/memory_console/memory_console.h"

namespace zumbrik {
namespace {

// Where code unit k of the picture lands when drawn from (24, 1) with the wrap.
int PictureColumn(std::uint32_t k) { return static_cast<int>((24 + k) % 80); }
int PictureRow(std::uint32_t k) { return static_cast<int>(1 + (24 + k) / 80); }

TEST(PausePictureTest, FitsItsRunWithTheAllowedMarksBetweenColumns11And65) {
    ASSERT_EQ(TextLength(PausePicture), kPausePictureLength);
    EXPECT_EQ(PictureColumn(kPausePictureLength - 1), 65);
    EXPECT_EQ(PictureRow(kPausePictureLength - 1), 29);
    const std::u16string allowed = u" :~.+,I?=";
    int marks = 0;
    for (std::uint32_t k = 0; k < kPausePictureLength; ++k) {
        ASSERT_NE(allowed.find(PausePicture[k]), std::u16string::npos) << "unit " << k;
        if (PausePicture[k] == u' ') continue;
        ++marks;
        EXPECT_GE(PictureColumn(k), 11) << "unit " << k;
        EXPECT_LE(PictureColumn(k), 65) << "unit " << k;
    }
    EXPECT_GT(marks, 500);  // a picture, not an empty field
}

TEST(PausePictureTest, HoldsTheBlinkStripsAsAHoleInAFieldOfRipples) {
    auto at = [](int column, int row) { return PausePicture[(row - 1) * 80 + column - 24]; };
    int restores = 0;
    for (const BlinkEntry& entry : BlinkTable) {
        if (entry.attribute != kPictureAttribute) continue;
        ++restores;
        const std::u16string text(entry.text);
        for (std::size_t k = 0; k < text.size(); ++k)
            EXPECT_EQ(at(entry.at.X + static_cast<int>(k), entry.at.Y), text[k]) << entry.at.Y;
        EXPECT_EQ(at(entry.at.X - 1, entry.at.Y), u'~');
        EXPECT_EQ(at(entry.at.X + static_cast<int>(text.size()), entry.at.Y), u'~');
    }
    EXPECT_EQ(restores, 5);
}

TEST(PauseScreenTest, BlinkFramesFollowTheTableAndTheCycleRestartsAt64) {
    MemoryConsole console;
    const ConsoleBuffer buffer{console, console.CreateConsoleScreenBuffer()};
    const ScreenBuffer& screen = *console.Buffer(buffer.handle);
    PauseScreen pause{40};
    DrawPauseScreen(console, ConsoleBuffers{nullptr, buffer.handle, nullptr}, pause);
    EXPECT_EQ(pause.blinkFrame, 0u);
    std::set<std::uint32_t> drawingFrames;
    for (std::uint32_t f = 0; f <= 64; ++f) {
        const std::uint64_t before = screen.Revision();
        BlinkStep(buffer, pause);
        if (screen.Revision() != before) drawingFrames.insert(f);
    }
    EXPECT_EQ(drawingFrames, (std::set<std::uint32_t>{14, 15, 16, 17, 18, 20, 21, 22, 23, 24}));
    EXPECT_EQ(pause.blinkFrame, 0u);
}

}  // namespace
}  // namespace zumbrik
