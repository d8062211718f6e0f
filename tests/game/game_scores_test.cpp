#include <gtest/gtest.h>

#include "game/game_loop.h"
#include "game/game_scores.h"
#include "platform/virtual/memory_score_store.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

constexpr char kOneGame[] = "zumbrik-scores 1\n4200\t5\t30\t2026-11-30T20:00:00\tanna\n";

struct Shot {
    std::vector<std::u16string> text;
    std::vector<ColourAttribute> attributes;
};

// The screen after a few passes of a run that then quits.
Shot ScreenAfterPasses(ScoreBook* book) {
    GameRun run;
    run.scores = book;
    Shot shot;
    run.AfterPass(5, [&] {
        shot = {run.ScreenText(), run.ScreenAttributes()};
        run.script.KeyDown(kVkEscape);
    });
    EXPECT_EQ(run.Run(), 0);
    return shot;
}

TEST(ScorePanelTest, TheBestScoreTakesRow12AndLeavesEveryOtherCellAsTheLayoutHasIt) {
    const Shot plain = ScreenAfterPasses(nullptr);
    MemoryScoreStore store;
    store.file = kOneGame;
    ScoreBook book{store, {}};
    const Shot best = ScreenAfterPasses(&book);
    ASSERT_EQ(best.text.size(), 30u);
    for (std::size_t row = 0; row < 30; ++row)
        if (row != 12) {
            EXPECT_EQ(best.text[row], plain.text[row]) << row;
        }
    EXPECT_EQ(best.text[12].substr(52, 12), u"РЕКОРД: 4200");
    EXPECT_EQ(best.text[12].substr(64), plain.text[12].substr(64));
    for (std::size_t cell = 0; cell < best.attributes.size(); ++cell) {
        const bool bestRow = cell / 80 == 12 && cell % 80 >= 52 && cell % 80 < 64;
        EXPECT_EQ(best.attributes[cell], bestRow ? 0x0B : plain.attributes[cell]) << cell;
    }
    // Escape with no score records nothing.
    EXPECT_EQ(store.file, kOneGame);

    // With an empty table the screen is the plain one, to the last cell.
    MemoryScoreStore empty;
    ScoreBook emptyBook{empty, {}};
    const Shot none = ScreenAfterPasses(&emptyBook);
    EXPECT_EQ(none.text, plain.text);
    EXPECT_EQ(none.attributes, plain.attributes);
    EXPECT_FALSE(empty.file.has_value());
}

TEST(ScorePanelTest, EscapeKeepsAGameThatScoredWithItsLevelAndLines) {
    MemoryScoreStore store;
    store.file = kOneGame;
    ScoreBook book{store, {}};
    GameRun run;
    GameIo io{run.console, run.input, run.clock, &book};
    GameState state;
    StartGame(io, state);
    state.progress = ScoreState{5000, 7, 14, 23};
    RecordGameLeft(io, state);
    EXPECT_EQ(*store.file, "zumbrik-scores 1\n# score\tlevel\tlines\tdate-time\tlogin; best first, at most ten\n"
                           "5000\t8\t23\t2026-12-01T10:20:30\ttester\n4200\t5\t30\t2026-11-30T20:00:00\tanna\n");
    EXPECT_EQ(TextAt(run.Screen(), 52, 12, 12), u"РЕКОРД: 5000");
    EXPECT_TRUE(book.notes.empty());
}

}  // namespace
}  // namespace zumbrik::testing
