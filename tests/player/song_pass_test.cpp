#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/play/song_pass.h"
#include "tests/player/song_stepper.h"

namespace zumbrik {
namespace {

TEST(SongPassBound, APassLongerThanTheLimitStopsThere) {
    XmModule module = test::ToneModule(1, 1);
    module.patterns = {test::PatternOf(4, 1, {{3, {test::Effect(0xB, 0)}}})};  // 4 rows, then back to the start
    auto song = test::LoadSong(module);
    ASSERT_NE(song, nullptr);
    SongPass pass(song->state, true, 1000);
    std::vector<std::int16_t> out(2048);
    while (pass.Render(out.data(), 1024) != 0) {
    }
    EXPECT_TRUE(pass.HitLimit());
    EXPECT_EQ(pass.FramesRendered(), 1000u);

    XmModule three = test::ToneModule(1, 1);
    three.patterns = {test::PatternOf(3, 1, {})};
    auto ending = test::LoadSong(three);
    ASSERT_NE(ending, nullptr);
    SongPass whole(ending->state, true, 10000);
    while (whole.Render(out.data(), 1024) != 0) {
    }
    EXPECT_FALSE(whole.HitLimit());
    EXPECT_EQ(whole.FramesRendered(), 3u * 480);  // the last row is played to its end
}

}  // namespace
}  // namespace zumbrik
