#include <gtest/gtest.h>

#include <map>

#include "game/score_keeping.h"
#include "platform/web/web_score_store.h"

namespace zumbrik {
namespace {

// One site's storage as every page of it sees it, with the browser's two refusals.
class SiteStorage final : public KeyValueStore {
public:
    std::map<std::string, std::string, std::less<>> values;
    bool unavailable = false;
    bool full = false;

    KeyRead Get(std::string_view key, std::string& value) override {
        if (unavailable) return KeyRead::Unavailable;
        const auto found = values.find(key);
        if (found == values.end()) return KeyRead::Missing;
        value = found->second;
        return KeyRead::Found;
    }
    bool Set(std::string_view key, std::string_view value, std::string& reason) override {
        if (unavailable || full) {
            reason = "refused";
            return false;
        }
        values[std::string(key)] = value;
        return true;
    }
    void Remove(std::string_view key) override {
        if (const auto found = values.find(key); found != values.end()) values.erase(found);
    }
    std::vector<std::string> Keys(std::string_view prefix) override {
        std::vector<std::string> keys;
        for (const auto& [key, value] : values)
            if (key.starts_with(prefix)) keys.push_back(key);
        return keys;
    }
};

struct FixedTime final : StoreTime {
    std::int64_t now = 1'800'000'000'000;
    std::int64_t EpochMs() override { return now; }
    std::string LocalDateTime() override { return "2026-12-01T10:20:30"; }
};

// Two pages of one site, each with its own store and score book.
struct Site {
    SiteStorage storage;
    FixedTime time;
    WebScoreStore first{storage, time, "first"};
    WebScoreStore second{storage, time, "second"};
    ScoreBook firstBook{first, {}};
    ScoreBook secondBook{second, {}};
};

ScoreEntry Game(std::uint32_t score) { return ScoreEntry{score, 2, 4, "2026-12-01T10:20:30", "?"}; }

TEST(WebScoreStoreTest, AGameGoesIntoTheTableAndAnotherPageReadsIt) {
    Site site;
    ScoreTable table;
    ASSERT_EQ(RecordScore(site.firstBook, Game(300), table), std::optional<std::size_t>(1));
    EXPECT_EQ(LoadScores(site.secondBook), (ScoreTable{Game(300)}));
    EXPECT_EQ(site.storage.values.count("zumbrik/scores.lock"), 0u) << "the lock goes with the write";
    EXPECT_TRUE(site.firstBook.notes.empty());
}

TEST(WebScoreStoreTest, ADamagedTableIsKeptAsideUnderAFreeNameAndANewOneStarts) {
    Site site;
    site.storage.values["zumbrik/scores"] = "not a table";
    site.storage.values["zumbrik/scores.damaged-20261201-102030"] = "kept before";
    ScoreTable table;
    ASSERT_TRUE(RecordScore(site.firstBook, Game(300), table).has_value());
    EXPECT_EQ(site.storage.values["zumbrik/scores.damaged-20261201-102030"], "kept before");
    EXPECT_EQ(site.storage.values["zumbrik/scores.damaged-20261201-102030-1"], "not a table");
    EXPECT_EQ(ParseScoreTable(site.storage.values["zumbrik/scores"]), (ScoreTable{Game(300)}));
    ASSERT_EQ(site.firstBook.notes.size(), 1u);
    EXPECT_NE(site.firstBook.notes[0].find("zumbrik/scores.damaged-20261201-102030-1"), std::string::npos);
}

// A page cannot wait for the lock: another page's lock makes the score wait
// in a key of its own, which the next game with the lock merges and removes.
TEST(WebScoreStoreTest, AScoreThatFindsTheLockHeldWaitsAndTheNextGameMergesIt) {
    Site site;
    std::string reason;
    ASSERT_EQ(site.second.Lock(reason), StoreLock::Held);
    ScoreTable table;
    EXPECT_FALSE(RecordScore(site.firstBook, Game(300), table).has_value());
    EXPECT_EQ(site.storage.values.count("zumbrik/scores.waiting-20261201-102030"), 1u);
    site.second.Unlock();

    ASSERT_TRUE(RecordScore(site.secondBook, Game(500), table).has_value());
    EXPECT_EQ(table, (ScoreTable{Game(500), Game(300)}));
    EXPECT_EQ(site.storage.Keys("zumbrik/scores.waiting-").size(), 0u);
}

TEST(WebScoreStoreTest, ALockWhosePageWentLapsesAtItsDeadlineAndIsNotRemovedByItsOldHolder) {
    struct Case {
        const char* value;
        StoreLock expected;
    };
    const std::int64_t now = FixedTime{}.now;
    const std::string live = "second " + std::to_string(now + 5000);
    const std::string lapsed = "second " + std::to_string(now - 1);
    const std::string farOff = "second " + std::to_string(now + 10 * WebScoreStore::kLockLifeMs);
    const Case cases[] = {
        {live.c_str(), StoreLock::Busy},
        {lapsed.c_str(), StoreLock::Held},
        {farOff.c_str(), StoreLock::Held},  // a clock put back since
        {"no deadline", StoreLock::Held},
    };
    for (const Case& c : cases) {
        Site site;
        site.storage.values["zumbrik/scores.lock"] = c.value;
        std::string reason;
        EXPECT_EQ(site.first.Lock(reason), c.expected) << c.value;
    }

    // Held past its deadline, the lock went to another page: that page keeps it.
    Site site;
    std::string reason;
    ASSERT_EQ(site.first.Lock(reason), StoreLock::Held);
    site.time.now += WebScoreStore::kLockLifeMs + 1;
    ASSERT_EQ(site.second.Lock(reason), StoreLock::Held);
    site.first.Unlock();
    EXPECT_EQ(site.storage.values["zumbrik/scores.lock"].rfind("second ", 0), 0u);
}

TEST(WebScoreStoreTest, StorageTheBrowserRefusesCostsTheScoreButNeverTheTable) {
    Site site;
    site.storage.values["zumbrik/scores"] = FormatScoreTable({Game(900)});
    site.storage.full = true;
    ScoreTable table;
    EXPECT_FALSE(RecordScore(site.firstBook, Game(300), table).has_value());
    EXPECT_EQ(ParseScoreTable(site.storage.values["zumbrik/scores"]), (ScoreTable{Game(900)}));
    ASSERT_EQ(site.firstBook.notes.size(), 1u);
    EXPECT_NE(site.firstBook.notes[0].find("не удалось сохранить"), std::string::npos) << site.firstBook.notes[0];

    site.storage.unavailable = true;
    std::string text;
    EXPECT_EQ(site.second.Read(text), StoreRead::Unreadable);
    EXPECT_TRUE(LoadScores(site.secondBook).empty());
    site.storage.unavailable = false;
    site.second.RemoveWaiting("zumbrik/scores");
    EXPECT_EQ(site.storage.values.count("zumbrik/scores"), 1u) << "only a waiting score's key is ever removed as one";
}

}  // namespace
}  // namespace zumbrik
