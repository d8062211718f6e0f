#include <gtest/gtest.h>

#include <memory>

#include "game/game_loop.h"
#include "platform/virtual/memory_score_store.h"
#include "player/background/module_player.h"
#include "tests/game/game_run.h"

namespace zumbrik::testing {
namespace {

bool GameOverShown(const ScreenBuffer& s) { return TextAt(s, 52, 15, 15) == u"ИГРА ОКОНЧЕНА! "; }

// Drops pieces straight down (Down every third pass) until the stack in the
// middle reaches the top. atGameOver runs at the pass that ended the game,
// afterRestart at the first pass after it.
void StackUntilGameOver(GameRun& run, std::function<void()> atGameOver, std::function<void()> afterRestart = {}) {
    auto over = std::make_shared<bool>(false);
    run.everyPass = [&run, over, atGameOver, afterRestart](std::uint64_t pass) {
        if (*over) {
            if (afterRestart) afterRestart();
            run.everyPass = nullptr;
        } else if (GameOverShown(run.Screen())) {
            *over = true;
            atGameOver();
        } else if (pass % 3 == 1) {
            run.script.KeyDown(kVkDown);
        }
    };
}

TEST(GameOverTest, ALockInTheTopRowEndsTheGameAndEnterStartsAFreshOne) {
    GameRun run;
    ColourAttribute previewColour = 0;
    bool restarted = false;
    StackUntilGameOver(
        run,
        [&] {
            const ScreenBuffer& s = run.Screen();
            EXPECT_EQ(TextAt(s, 52, 16, 14), u"ENTER - заново");
            EXPECT_TRUE(AttributeRun(s, 52, 15, 15, 0x09));
            EXPECT_TRUE(AttributeRun(s, 52, 16, 14, 0x09));
            // The piece that ended the game is in the well and in the digits.
            EXPECT_NE(TextAt(s, 1, 1, 24).find(u'1'), std::u16string::npos);
            for (int row = 19; row <= 22; ++row)
                for (int c = 62; c <= 65; ++c)
                    if ((s.At(c, row).attribute & 0xF0) != 0) previewColour = s.At(c, row).attribute;
            // Keys other than Enter and Escape do nothing here.
            const std::uint64_t now = run.clock.NowMs();
            run.script.KeyDownAt(now + 200, kVkP);
            run.script.KeyDownAt(now + 400, kVkF);
            run.script.KeyDownAt(now + 600, kVkM);
            run.script.KeyDownAt(now + 800, kVkLeft);
            run.script.KeyDownAt(now + 1000, kVkReturn);
        },
        [&] {
            restarted = true;
            const ScreenBuffer& s = run.Screen();
            EXPECT_EQ(run.console.ActiveSwitches(), 1u) << "P showed the pause screen";
            EXPECT_FALSE(ModulePaused()) << "M acted in the game-over state";
            EXPECT_EQ(TextAt(s, 52, 15, 22), std::u16string(22, u' '));
            EXPECT_EQ(TextAt(s, 52, 16, 22), std::u16string(22, u' '));
            EXPECT_EQ(TextAt(s, 52, 6, 21), u"СЧЁТ: 0              ");
            EXPECT_EQ(TextAt(s, 52, 8, 24), u"СЛОЖНОСТЬ: 1            ");
            EXPECT_EQ(TextAt(s, 52, 10, 22), u"До следующей: 100     ");
            for (int row = 1; row <= 28; ++row) EXPECT_EQ(TextAt(s, 1, row, 24), std::u16string(24, u'0'));
            // The well area holds only the new piece (the shape the preview
            // showed, in the plain style: F was ignored) and its guide.
            int pieceCells = 0;
            for (int row = 1; row <= 28; ++row)
                for (int c = 26; c <= 49; ++c) {
                    const Cell& cell = s.At(c, row);
                    const bool piece = cell.attribute == previewColour && cell.character == u' ';
                    const bool guide = row == 28 && cell.character == u'+' && cell.attribute == 0x0E;
                    const bool blank = cell.attribute == 0 && cell.character == u' ';
                    pieceCells += piece ? 1 : 0;
                    EXPECT_TRUE(piece || guide || blank) << c << "," << row;
                }
            EXPECT_GE(pieceCells, 4);
            run.script.KeyDown(kVkEscape);
        });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_NE(previewColour, 0);
    EXPECT_TRUE(restarted);
}

TEST(GameOverTest, WaitingForEnterLetsTimePassInsteadOfSpinning) {
    GameRun run;
    std::uint64_t waitsBefore = 0;
    std::uint64_t peeksBefore = 0;
    std::uint64_t overAt = 0;
    StackUntilGameOver(run, [&] {
        waitsBefore = run.input.waits;
        peeksBefore = run.input.peeks;
        overAt = run.clock.NowMs();
        run.script.KeyDownAt(overAt + 5000, kVkEscape);
    });
    EXPECT_EQ(run.Run(), 0);
    ASSERT_GT(overAt, 0u);
    // Five seconds of waiting in steps of about 100 ms, one look per wait.
    const std::uint64_t waits = run.input.waits - waitsBefore;
    EXPECT_GE(waits, 40u);
    EXPECT_LE(waits, 60u);
    EXPECT_LE(run.input.peeks - peeksBefore, waits + 1);
    EXPECT_TRUE(run.console.StandardOutputActive());
}

// A memory table for the scored tests below.
struct TableRun {
    MemoryScoreStore store;
    ScoreBook book{store, {}};
    GameRun run;
    TableRun() { run.scores = &book; }
};

TEST(GameOverTest, AGameWithoutAPointTakesNoPlaceInTheTable) {
    TableRun t;
    StackUntilGameOver(t.run, [&] {
        const ScreenBuffer& s = t.run.Screen();
        EXPECT_EQ(TextAt(s, 52, 17, 21), std::u16string(21, u' '));
        EXPECT_EQ(TextAt(s, 52, 12, 8), std::u16string(8, u' '));
        t.run.script.KeyDownAt(t.run.clock.NowMs() + 200, kVkEscape);
    });
    EXPECT_EQ(t.run.Run(), 0);
    EXPECT_FALSE(t.store.file.has_value());
    EXPECT_EQ(t.store.locks, 0);
    EXPECT_TRUE(t.book.notes.empty());
}

// A game that scored, ended the way a stacked-up well ends it: the next
// piece locks in the top row.
struct ScoredGameOver : TableRun {
    GameIo io{run.console, run.input, run.clock, &book};
    GameState state;
    void End(std::uint32_t score) {
        StartGame(io, state);
        state.progress = ScoreState{score, 2, 19, 9};
        SpawnPiece(io, state);
        LockPiece(io, state);
    }
};

TEST(GameOverTest, AScoredGameTakesItsPlaceShownUnderTheGameOverLinesUntilTheRestart) {
    ScoredGameOver g;
    g.End(300);
    ASSERT_TRUE(g.state.gameOver);
    const ScreenBuffer& s = g.run.Screen();
    EXPECT_EQ(TextAt(s, 52, 17, 18), u"МЕСТО В ТАБЛИЦЕ: 1");
    EXPECT_TRUE(AttributeRun(s, 52, 17, 18, 0x09));
    EXPECT_EQ(TextAt(s, 52, 12, 11), u"РЕКОРД: 300");
    RestartGame(g.io, g.state);
    EXPECT_EQ(TextAt(g.run.Screen(), 52, 17, 21), std::u16string(21, u' '));
    ASSERT_TRUE(g.store.file.has_value());
    const std::optional<ScoreTable> table = ParseScoreTable(*g.store.file);
    ASSERT_TRUE(table.has_value());
    ASSERT_EQ(table->size(), 1u);
    EXPECT_EQ((*table)[0], (ScoreEntry{300, 3, 9, "2026-12-01T10:20:30", "tester"}));
    EXPECT_TRUE(g.book.notes.empty());
}

TEST(GameOverTest, AFolderThatCannotBeWrittenCostsTheScoreButNotTheGame) {
    ScoredGameOver g;
    g.store.unwritable = true;
    g.End(300);
    EXPECT_TRUE(g.state.gameOver);
    EXPECT_EQ(TextAt(g.run.Screen(), 52, 17, 21), std::u16string(21, u' '));
    EXPECT_FALSE(g.store.file.has_value());
    ASSERT_EQ(g.book.notes.size(), 1u);
    EXPECT_NE(g.book.notes[0].find("не удалось сохранить"), std::string::npos) << g.book.notes[0];
}

}  // namespace
}  // namespace zumbrik::testing
