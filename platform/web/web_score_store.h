#pragma once
#include <cstdint>
#include <string>

#include "platform/score_store.h"
#include "platform/web/key_value_store.h"

namespace zumbrik {

// The store's view of time: milliseconds since the epoch, which every page of
// the site counts alike (the lock's deadline is read by other pages), and the
// local date and time, "YYYY-MM-DDTHH:MM:SS".
class StoreTime {
public:
    virtual ~StoreTime() = default;
    virtual std::int64_t EpochMs() = 0;
    virtual std::string LocalDateTime() = 0;
};

// The score table in the browser's storage, under "zumbrik/scores", with the
// file store's rules: a table kept aside under "zumbrik/scores.damaged-<date>-
// <time>" instead of being lost, and scores that found the table locked each
// under "zumbrik/scores.waiting-<date>-<time>" until a game merges them.
//
// Two pages of the site may end games at once. The lock is a key naming its
// holder and a deadline: a page cannot wait (the browser would freeze), so a
// lock held by another page is Busy at once and the score waits in its own
// key; one whose page closed mid-write lapses at its deadline.
class WebScoreStore final : public ScoreStore {
public:
    static constexpr std::int64_t kLockLifeMs = 10000;

    // `holder` names this page among the site's pages open at once.
    WebScoreStore(KeyValueStore& storage, StoreTime& time, std::string holder);
    ~WebScoreStore() override;
    WebScoreStore(const WebScoreStore&) = delete;
    WebScoreStore& operator=(const WebScoreStore&) = delete;

    std::string Location() override;
    StoreLock Lock(std::string& reason) override;
    void Unlock() override;
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string AddWaiting(std::string_view text, std::string& reason) override;
    std::vector<WaitingScore> ReadWaiting() override;
    void RemoveWaiting(const std::string& name) override;
    // A page has no login: the table's word for an unknown player.
    std::string LoginName() override { return "?"; }
    std::string LocalDateTime() override { return time_.LocalDateTime(); }

private:
    // The first free key of "base", "base-1", "base-2", ... written with the
    // text; "" with the reason when none could be.
    std::string WriteNewKey(const std::string& base, std::string_view text, std::string& reason);
    std::string Stamp();

    KeyValueStore& storage_;
    StoreTime& time_;
    std::string holder_;
    bool locked_ = false;
};

}  // namespace zumbrik
