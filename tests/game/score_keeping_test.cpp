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

}  // namespace
}  // namespace zumbrik
