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
    std::optional<std::size_t> Record(std::uint32_t score, std::vector<std::string>* notes = nullptr,
                                      std::chrono::milliseconds lockWait = PosixScoreStore::kLockWait) {
        PosixScoreStore store(folder.string(), lockWait);
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

// What someone else may have put in the folder: nothing is written through
// it, nothing waits on it, and a thing that is not a file is left as it was.
TEST_F(ScoreFileTest, NothingPlacedInTheFolderIsWrittenThroughOrWaitedOn) {
    const fs::path outside = root / "outside";
    struct Case {
        const char* name;
        bool fifo;          // else a link to `outside`
        bool scoreKept;
        std::size_t notes;  // the score lost, and for the table what it is
    };
    const Case cases[] = {
        {"scores.new", false, true, 0}, {"scores.new", true, true, 0},  // the temporary file is made afresh
        {"scores.lock", false, false, 1}, {"scores.lock", true, false, 1},
        {"scores", true, false, 2},  // not a table: not read, not moved, not replaced
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(outside, std::ios::binary) << "someone's file\n";
        const fs::path placed = folder / c.name;
        if (c.fifo)
            ASSERT_EQ(::mkfifo(placed.c_str(), 0600), 0);
        else
            fs::create_symlink(outside, placed);
        std::vector<std::string> notes;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(Record(100, &notes).has_value(), c.scoreKept) << c.name;
        PosixScoreStore store(folder.string());
        ScoreBook book{store, {}};
        EXPECT_EQ(LoadScores(book).size(), c.scoreKept ? 1u : 0u) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << c.name;
        EXPECT_EQ(FileText(outside), "someone's file\n") << c.name;
        EXPECT_EQ(notes.size(), c.notes) << c.name;
        if (c.scoreKept) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / "scores"))) << c.name;
        } else if (std::string(c.name) == "scores") {
            EXPECT_TRUE(fs::is_fifo(fs::symlink_status(placed)));
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);  // and the lock
            ASSERT_EQ(book.notes.size(), 1u);
            EXPECT_NE(book.notes[0].find("не обычный файл"), std::string::npos) << book.notes[0];
        }
    }
}

TEST_F(ScoreFileTest, ANewTableTakesItsModesFromTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        fs::remove_all(folder);
        const mode_t before = ::umask(mask);
        ASSERT_EQ(Record(100), 1u);
        ::umask(before);
        struct stat info {};
        ASSERT_EQ(::stat((folder / "scores").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    }
}

// Another game keeps the lock: this one waits a moment, keeps its score in a
// file of its own and says so; the next game to get the lock merges it.
TEST_F(ScoreFileTest, AScoreThatCannotWaitForTheLockIsMergedByTheNextGame) {
    ASSERT_EQ(Record(200), 1u);
    PosixScoreStore holder(folder.string());
    std::string reason;
    ASSERT_EQ(holder.Lock(reason), StoreLock::Held) << reason;
    std::vector<std::string> notes;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Record(300, &notes, std::chrono::milliseconds(200)).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("следующая игра"), std::string::npos) << notes[0];
    std::vector<fs::path> waiting;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("scores.waiting-")) waiting.push_back(entry.path());
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_NE(notes[0].find(waiting[0].string()), std::string::npos) << notes[0];
    EXPECT_EQ(Table()->size(), 1u);
    holder.Unlock();

    // The next game's start merges it, and a game after that finds it in its place.
    PosixScoreStore store(folder.string());
    ScoreBook book{store, {}};
    const ScoreTable table = LoadScores(book);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].score, 300u);
    EXPECT_TRUE(book.notes.empty());
    EXPECT_FALSE(fs::exists(waiting[0]));
    EXPECT_EQ(Record(250), 2u);
    EXPECT_EQ(Table()->size(), 3u);
}

TEST_F(ScoreFileTest, TheDefaultFolderHasOneSlashBetweenItsParts) {
    struct Case {
        const char* data;
        const char* home;
        const char* folder;
    };
    const Case cases[] = {
        {nullptr, "/", "/.local/share/zumbrik"},
        {nullptr, "/home/anna/", "/home/anna/.local/share/zumbrik"},
        {"/", "/home/anna", "/zumbrik"},
        {"/data//", "/home/anna", "/data/zumbrik"},
        {"relative", "/home/anna", "/home/anna/.local/share/zumbrik"},
    };
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedData = data != nullptr ? data : "";
    const std::string savedHome = home != nullptr ? home : "";
    for (const Case& c : cases) {
        if (c.data != nullptr)
            ::setenv("XDG_DATA_HOME", c.data, 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        ::setenv("HOME", c.home, 1);
        EXPECT_EQ(PosixScoreStore::DefaultFolder(), c.folder) << (c.data ? c.data : "-") << " " << c.home;
    }
    if (data != nullptr) ::setenv("XDG_DATA_HOME", savedData.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
    if (home != nullptr) ::setenv("HOME", savedHome.c_str(), 1); else ::unsetenv("HOME");
}

}  // namespace
}  // namespace zumbrik
