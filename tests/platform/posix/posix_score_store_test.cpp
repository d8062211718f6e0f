#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "game/score_keeping.h"
#include "platform/posix/posix_score_store.h"

namespace zumbrik {
namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ScoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zumbrik-scores-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
        folder = root / "data" / "zumbrik";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }
    // Records one score in a store of its own, as a separate game would.
    std::optional<std::size_t> Record(std::uint32_t score, std::vector<std::string>* notes = nullptr) {
        PosixScoreStore store(folder.string());
        ScoreBook book{store, {}};
        ScoreTable table;
        const auto place = RecordScore(book, ScoreEntry{score, 1, 0, store.LocalDateTime(), "t"}, table);
        if (notes != nullptr) *notes = book.notes;
        return place;
    }
    std::optional<ScoreTable> Table() { return ParseScoreTable(FileText(folder / "scores")); }
    // Runs body in a child process; gives its pid.
    template <typename Body>
    pid_t Spawn(Body body) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            body();
            ::_exit(0);
        }
        return pid;
    }

    fs::path root;
    fs::path folder;
};

TEST_F(ScoreFileTest, TwoGamesWritingAtOnceKeepTheTenBestOfAllTheirEntries) {
    // Scores 0..199, interleaved between the two writers.
    pid_t writers[2];
    for (int w = 0; w < 2; ++w)
        writers[w] = Spawn([this, w] {
            for (std::uint32_t k = 0; k < 100; ++k) Record(k * 2 + static_cast<std::uint32_t>(w));
        });
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::optional<ScoreTable> table = Table();
    ASSERT_TRUE(table.has_value());
    ASSERT_EQ(table->size(), kScoreTableSize);
    for (std::size_t k = 0; k < kScoreTableSize; ++k) EXPECT_EQ((*table)[k].score, 199u - k);
    EXPECT_FALSE(fs::exists(folder / "scores.new"));
}

TEST_F(ScoreFileTest, AWriterKilledAtAnyMomentLeavesAWholeTable) {
    ASSERT_TRUE(Record(1).has_value());
    std::mt19937 random(12345);
    int caughtMidWrite = 0;
    std::uint32_t best = 1;
    for (int round = 0; round < 30; ++round) {
        // Every write adds a better score than the last, so a lost one shows.
        const std::uint32_t from = best + 1;
        const pid_t writer = Spawn([this, from] {
            for (std::uint32_t s = from;; ++s) Record(s);
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ASSERT_EQ(::kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        // A temporary file that differs from the table: the kill came between
        // opening it and the rename.
        if (fs::exists(folder / "scores.new") && FileText(folder / "scores.new") != FileText(folder / "scores"))
            ++caughtMidWrite;
        const std::optional<ScoreTable> table = Table();
        ASSERT_TRUE(table.has_value()) << "round " << round << ":\n" << FileText(folder / "scores");
        ASSERT_FALSE(table->empty());
        EXPECT_GE(table->front().score, best);
        best = table->front().score;
    }
    // The table stays writable after all those kills.
    EXPECT_EQ(Record(best + 1), 1u);
    std::cout << "kills that caught a write between its temporary file and the rename: " << caughtMidWrite
              << " of 30\n";
}

TEST_F(ScoreFileTest, ADamagedTableIsKeptAsideUnderANewNameEachTimeAndANewOneStarts) {
    fs::create_directories(folder);
    const std::string damaged[] = {"zumbrik-scores 1\nnot a game\n", "\x7f" "ELF something else\n"};
    std::vector<std::string> notes;
    for (const std::string& text : damaged) {
        std::ofstream(folder / "scores", std::ios::binary) << text;
        PosixScoreStore store(folder.string());
        ScoreBook book{store, {}};
        EXPECT_TRUE(LoadScores(book).empty());
        ASSERT_EQ(book.notes.size(), 1u);
        notes.push_back(book.notes[0]);
        EXPECT_FALSE(fs::exists(folder / "scores"));
    }
    // Both are kept, each under its own name (the second within the same second, likely).
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("scores.damaged-")) kept.push_back(FileText(entry.path()));
    std::vector<std::string> expected(std::begin(damaged), std::end(damaged));
    std::sort(kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
    EXPECT_NE(notes[0].find("scores.damaged-"), std::string::npos) << notes[0];
    EXPECT_EQ(Record(300), 1u);
    ASSERT_TRUE(Table().has_value());
    EXPECT_EQ(Table()->size(), 1u);
}

TEST_F(ScoreFileTest, AFolderThatCannotBeWrittenLosesTheScoreWithOneNoteAndNothingElse) {
    // A folder below a plain file cannot be made, even by root.
    fs::create_directories(root / "data");
    std::ofstream(root / "data" / "plain") << "x";
    folder = root / "data" / "plain" / "zumbrik";
    std::vector<std::string> notes;
    EXPECT_FALSE(Record(100, &notes).has_value());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("100"), std::string::npos) << notes[0];

    // A read-only folder holding a table: the table stays as it was. Root
    // writes there anyway, so this half runs for other users only.
    folder = root / "data" / "zumbrik";
    ASSERT_EQ(Record(50), 1u);
    const std::string before = FileText(folder / "scores");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() != 0) {
        EXPECT_FALSE(Record(100, &notes).has_value());
        EXPECT_EQ(notes.size(), 1u);
        EXPECT_EQ(FileText(folder / "scores"), before);
    }
    // Reading still works without the lock.
    PosixScoreStore store(folder.string());
    ScoreBook book{store, {}};
    ASSERT_EQ(LoadScores(book).size(), 1u);
}

}  // namespace
}  // namespace zumbrik
