#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "game/score_keeping.h"
#include "platform/win32/win32_score_store.h"

namespace zumbrik {
namespace {

namespace fs = std::filesystem;

class Win32ScoreStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zumbrik-scores-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        folder = root / "AppData" / "Zumbrik";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::optional<std::size_t> Record(std::uint32_t score, std::vector<std::string>* notes = nullptr,
                                      std::chrono::milliseconds lockWait = Win32ScoreStore::kLockWait) {
        Win32ScoreStore store(folder.wstring(), lockWait);
        ScoreBook book{store, {}};
        ScoreTable table;
        const auto place = RecordScore(book, ScoreEntry{score, 2, 5, store.LocalDateTime(), store.LoginName()}, table);
        if (notes != nullptr) *notes = book.notes;
        return place;
    }
    int Count(const std::string& prefix) {
        int found = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            found += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
        return found;
    }

    fs::path root;
    fs::path folder;
};

TEST_F(Win32ScoreStoreTest, EachGameReplacesTheTableWithOneThatHoldsItToo) {
    EXPECT_EQ(Record(100), 1u);
    EXPECT_EQ(Record(300), 1u);  // MoveFileExW over an existing table
    EXPECT_EQ(Record(200), 2u);
    Win32ScoreStore store(folder.wstring());
    ScoreBook book{store, {}};
    const ScoreTable table = LoadScores(book);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].score, 300u);
    EXPECT_EQ(table[2].score, 100u);
    EXPECT_FALSE(table[0].login.empty());
    EXPECT_FALSE(fs::exists(folder / "scores.new"));
    EXPECT_TRUE(book.notes.empty());
}

TEST_F(Win32ScoreStoreTest, TheLockMakesASecondGameWaitUntilTheFirstLetsGo) {
    Win32ScoreStore first(folder.wstring());
    Win32ScoreStore second(folder.wstring());
    std::string reason;
    ASSERT_EQ(first.Lock(reason), StoreLock::Held) << reason;
    std::atomic<bool> secondHasIt{false};
    std::thread waiter([&] {
        std::string why;
        if (second.Lock(why) == StoreLock::Held) secondHasIt = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondHasIt.load());
    first.Unlock();
    waiter.join();
    EXPECT_TRUE(secondHasIt.load());
    second.Unlock();
}

TEST_F(Win32ScoreStoreTest, ADamagedTableIsKeptAsideAndANewOneStarts) {
    fs::create_directories(folder);
    for (const char* text : {"garbage\n", "more garbage\n"}) {
        std::ofstream(folder / "scores", std::ios::binary) << text;
        EXPECT_EQ(Record(50), 1u);
    }
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        kept += entry.path().filename().string().rfind("scores.damaged-", 0) == 0 ? 1 : 0;
    EXPECT_EQ(kept, 2);
}

TEST_F(Win32ScoreStoreTest, AScoreThatCannotWaitForTheLockIsMergedByTheNextGame) {
    ASSERT_EQ(Record(100), 1u);
    Win32ScoreStore holder(folder.wstring());
    std::string reason;
    ASSERT_EQ(holder.Lock(reason), StoreLock::Held) << reason;
    std::vector<std::string> notes;
    EXPECT_FALSE(Record(300, &notes, std::chrono::milliseconds(200)).has_value());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("scores.waiting-"), std::string::npos) << notes[0];
    EXPECT_EQ(Count("scores.waiting-"), 1);
    holder.Unlock();
    EXPECT_EQ(Record(200), 2u);  // 300 merged first
    EXPECT_EQ(Count("scores.waiting-"), 0);
}

TEST_F(Win32ScoreStoreTest, ALeftoverTemporaryFileIsReplacedAndAFolderNamedScoresIsLeftAlone) {
    fs::create_directories(folder);
    std::ofstream(folder / "scores.new", std::ios::binary) << "zumbrik-scores 1\n999\t1\t1\t2026-01-01T00:00:00\tx\n";
    EXPECT_EQ(Record(100), 1u);
    EXPECT_FALSE(fs::exists(folder / "scores.new"));
    fs::remove(folder / "scores");
    fs::create_directory(folder / "scores");
    std::vector<std::string> notes;
    EXPECT_FALSE(Record(100, &notes).has_value());
    EXPECT_TRUE(fs::is_directory(folder / "scores"));
    EXPECT_EQ(Count("scores.damaged-"), 0);
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes[0].find("не обычный файл"), std::string::npos) << notes[0];
}

}  // namespace
}  // namespace zumbrik
