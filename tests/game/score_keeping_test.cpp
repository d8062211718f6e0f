#include <gtest/gtest.h>

#include "game/score_keeping.h"
#include "platform/virtual/memory_score_store.h"

namespace zumbrik {
namespace {

TEST(ScoreKeepingTest, ADamagedTableThatCannotBeMovedAsideIsNeverWrittenOver) {
    MemoryScoreStore store;
    store.file = "zumbrik-scores 1\nsomebody's edit\n";
    store.asideFails = true;
    ScoreBook book{store, {}};
    ScoreTable table;
    EXPECT_TRUE(LoadScores(book).empty());
    EXPECT_FALSE(RecordScore(book, ScoreEntry{700, 2, 4, store.now, "t"}, table).has_value());
    EXPECT_FALSE(RecordScore(book, ScoreEntry{900, 2, 4, store.now, "t"}, table).has_value());
    EXPECT_EQ(store.file, "zumbrik-scores 1\nsomebody's edit\n");
    // The table's state once, each lost score once.
    ASSERT_EQ(book.notes.size(), 3u);
    EXPECT_NE(book.notes[0].find("оставлена как есть"), std::string::npos) << book.notes[0];
    EXPECT_NE(book.notes[1].find("700"), std::string::npos) << book.notes[1];
    EXPECT_NE(book.notes[2].find("900"), std::string::npos) << book.notes[2];
}

// A later version's table and something that is not a file: no table shown,
// nothing written or moved, the reason said once and each lost score once.
TEST(ScoreKeepingTest, ATableThatIsNotOursIsNeitherMovedNorWritten) {
    struct Case {
        const char* text;
        bool notAFile;
        const char* said;
    };
    const Case cases[] = {
        {"zumbrik-scores 2\nwhatever comes next\n", false, "эта версия не может её обновить"},
        {"", true, "не обычный файл"},
    };
    for (const Case& c : cases) {
        MemoryScoreStore store;
        store.file = c.text;
        store.notAFile = c.notAFile;
        ScoreBook book{store, {}};
        ScoreTable table;
        EXPECT_TRUE(LoadScores(book).empty());
        EXPECT_TRUE(book.tableLeftAlone);
        EXPECT_FALSE(RecordScore(book, ScoreEntry{700, 2, 4, store.now, "t"}, table).has_value());
        EXPECT_FALSE(RecordScore(book, ScoreEntry{900, 2, 4, store.now, "t"}, table).has_value());
        EXPECT_EQ(store.file, c.text);
        EXPECT_TRUE(store.keptAside.empty());
        ASSERT_EQ(book.notes.size(), 3u) << c.said;
        EXPECT_NE(book.notes[0].find(c.said), std::string::npos) << book.notes[0];
        EXPECT_NE(book.notes[2].find("900"), std::string::npos) << book.notes[2];
    }
}

TEST(ScoreKeepingTest, WaitingScoresGoInOnceAndOnlyWithTheTableThatHoldsThem) {
    const ScoreEntry kept{500, 3, 9, "2026-11-30T20:00:00", "anna"};
    const ScoreEntry waited{300, 2, 5, "2026-11-30T21:00:00", "bo"};
    MemoryScoreStore store;
    store.file = FormatScoreTable({kept});
    ScoreBook book{store, {}};
    // A lock held past the wait: the score waits in a file of its own.
    store.lockBusy = true;
    ScoreTable table;
    EXPECT_FALSE(RecordScore(book, waited, table).has_value());
    ASSERT_EQ(store.waiting.size(), 1u);
    EXPECT_EQ(ParseScoreTable(store.waiting.begin()->second), ScoreTable{waited});
    ASSERT_EQ(book.notes.size(), 1u);
    EXPECT_NE(book.notes[0].find("memory/scores.waiting-"), std::string::npos) << book.notes[0];
    // One more whose merge was cut short after the table was written, and one not ours.
    store.waiting["scores.waiting-200"] = FormatScoreTable({kept});
    store.waiting["scores.waiting-300"] = "not a table\n";
    store.lockBusy = false;
    // A table that cannot be written keeps them all waiting.
    store.unwritable = true;
    EXPECT_FALSE(RecordScore(book, ScoreEntry{400, 2, 4, store.now, "t"}, table).has_value());
    EXPECT_EQ(store.waiting.size(), 3u);
    store.unwritable = false;
    EXPECT_EQ(RecordScore(book, ScoreEntry{400, 2, 4, store.now, "t"}, table), 2u);
    const std::vector<std::uint32_t> scores = {500, 400, 300};
    ASSERT_EQ(table.size(), scores.size());
    for (std::size_t k = 0; k < scores.size(); ++k) EXPECT_EQ(table[k].score, scores[k]);
    EXPECT_EQ(ParseScoreTable(*store.file), table);
    ASSERT_EQ(store.waiting.size(), 1u);
    EXPECT_EQ(store.waiting.begin()->first, "scores.waiting-300");
}

}  // namespace
}  // namespace zumbrik
