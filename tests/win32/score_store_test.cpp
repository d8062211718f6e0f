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
    std::optional<std::size_t> Record(std::uint32_t score) {
        Win32ScoreStore store(folder.wstring());
        ScoreBook book{store, {}};
        ScoreTable table;
        return RecordScore(book, ScoreEntry{score, 2, 5, store.LocalDateTime(), store.LoginName()}, table);
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
    ASSERT_TRUE(first.Lock(reason)) << reason;
    std::atomic<bool> secondHasIt{false};
    std::thread waiter([&] {
        std::string why;
        if (second.Lock(why)) secondHasIt = true;
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

}  // namespace
}  // namespace zumbrik
