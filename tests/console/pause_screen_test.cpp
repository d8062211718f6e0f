#include <gtest/gtest.h>

#include <set>
#include <string>

#include "console/console_text.h"
#include "console/pause_picture.h"
#include "console/pause_screen.h"
#include "tests/console/console_fixture.h"

namespace zumbrik::testing {
namespace {

// Column and row at which code unit k of the picture is drawn.
int PictureColumn(std::uint32_t k) { return static_cast<int>((24 + k) % 80); }
int PictureRow(std::uint32_t k) { return static_cast<int>(1 + (24 + k) / 80); }

TEST(PausePictureTest, FitsItsRunWithTheAllowedMarksInsideColumns11To65) {
    ASSERT_EQ(TextLength(PausePicture), kPausePictureLength);
    EXPECT_EQ(PictureColumn(kPausePictureLength - 1), 65);
    EXPECT_EQ(PictureRow(kPausePictureLength - 1), 29);
    const std::u16string allowed = u" :~.+,I?=";
    int marks = 0;
    for (std::uint32_t k = 0; k < kPausePictureLength; ++k) {
        const char16_t ch = PausePicture[k];
        ASSERT_NE(allowed.find(ch), std::u16string::npos) << "unit " << k;
        if (ch == u' ') continue;
        ++marks;
        EXPECT_GE(PictureColumn(k), 11) << "unit " << k;
        EXPECT_LE(PictureColumn(k), 65) << "unit " << k;
    }
    EXPECT_GT(marks, 500);  // a picture, not an empty field
}

TEST(PausePictureTest, HoldsTheBlinkPatchAsAHoleInAFieldOfRipples) {
    auto at = [](int column, int row) { return PausePicture[(row - 1) * 80 + column - 24]; };
    for (const BlinkEntry& entry : BlinkTable) {
        if (entry.attribute != kPictureAttribute) continue;
        const std::u16string text(entry.text);
        for (std::size_t k = 0; k < text.size(); ++k)
            EXPECT_EQ(at(entry.at.X + static_cast<int>(k), entry.at.Y), text[k]) << entry.at.Y;
        EXPECT_EQ(at(entry.at.X - 1, entry.at.Y), u'~');
        EXPECT_EQ(at(entry.at.X + static_cast<int>(text.size()), entry.at.Y), u'~');
    }
}

using PauseScreenTest = ConsoleFixture;

TEST_F(PauseScreenTest, DrawingShowsThePauseBufferWithPictureTitlesAndWindow) {
    ConsoleBuffers buffers{console.CreateConsoleScreenBuffer(), buffer.handle, console.GetStdHandle(kStdOutputHandle)};
    PauseScreen pause{40};
    DrawPauseScreen(console, buffers, pause);
    EXPECT_EQ(&console.Active(), &Screen());
    EXPECT_EQ(pause.blinkFrame, 0u);
    EXPECT_EQ(console.WindowMoves().size(), 1u);
    for (std::uint32_t k = 0; k < kPausePictureLength; ++k) {
        const int c = PictureColumn(k);
        const int r = PictureRow(k);
        if (r == 29 && c >= 27 && c <= 51) continue;
        ASSERT_EQ(Screen().At(c, r).character, PausePicture[k]);
        ASSERT_EQ(Screen().At(c, r).attribute, 0x06);
    }
    EXPECT_EQ(TextAt(37, 0, 5), u"ПАУЗА");
    EXPECT_TRUE(AttributeRun(37, 0, 5, 0x0E));
    EXPECT_EQ(TextAt(27, 29, 25), u"Для продолжения нажмите P");
    EXPECT_TRUE(AttributeRun(27, 29, 25, 0x0E));
    // Cells the picture does not cover stay as they were.
    EXPECT_EQ(Screen().At(23, 1).attribute, ScreenBuffer::kDefaultAttribute);
    EXPECT_EQ(Screen().At(66, 29).attribute, ScreenBuffer::kDefaultAttribute);
}

TEST_F(PauseScreenTest, BlinkFramesFollowTheTableAndTheCycleRestarts) {
    ConsoleBuffers buffers{console.CreateConsoleScreenBuffer(), buffer.handle, nullptr};
    PauseScreen pause;
    DrawPauseScreen(console, buffers, pause);
    std::set<std::uint32_t> drawingFrames;
    for (std::uint32_t f = 0; f <= 64; ++f) {
        const std::uint64_t before = Screen().Revision();
        BlinkStep(buffer, pause);
        if (Screen().Revision() != before) drawingFrames.insert(f);
        if (f == 18) {
            EXPECT_EQ(TextAt(54, 13, 5), u"~~~~~");
            EXPECT_EQ(TextAt(53, 14, 6), u"~~~~~~");
            EXPECT_EQ(TextAt(52, 15, 8), u"~~~~~~~~");
            EXPECT_EQ(TextAt(53, 16, 7), u"~~~~~~~");
            EXPECT_EQ(TextAt(53, 17, 5), u"~~~~~");
            EXPECT_TRUE(AttributeRun(52, 15, 8, 0x08));
        }
        if (f == 22) {
            EXPECT_EQ(TextAt(53, 17, 5), u":....");
            EXPECT_EQ(TextAt(52, 15, 8), u"........");
            EXPECT_EQ(TextAt(53, 14, 6), u"~~~~~~");
            EXPECT_TRUE(AttributeRun(52, 15, 8, 0x06));
        }
    }
    EXPECT_EQ(drawingFrames, (std::set<std::uint32_t>{14, 15, 16, 17, 18, 20, 21, 22, 23, 24}));
    EXPECT_EQ(pause.blinkFrame, 0u);
    EXPECT_EQ(TextAt(54, 13, 5), u",...:");
    EXPECT_EQ(TextAt(53, 14, 6), u"......");
}

}  // namespace
}  // namespace zumbrik::testing
