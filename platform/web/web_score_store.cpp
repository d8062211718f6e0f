#include "platform/web/web_score_store.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace zumbrik {

namespace {

constexpr std::string_view kTableKey = "zumbrik/scores";
constexpr std::string_view kLockKey = "zumbrik/scores.lock";
constexpr std::string_view kWaitingPrefix = "zumbrik/scores.waiting-";
constexpr std::string_view kDamagedPrefix = "zumbrik/scores.damaged-";
constexpr char kUnavailable[] = "хранилище браузера недоступно";
// Waiting scores merged at one go; more come with the next game.
constexpr std::size_t kMostWaiting = 100;

struct LockValue {
    std::string holder;
    std::int64_t deadline = 0;
};

// "<holder> <deadline>"; nothing for a value no page of ours wrote.
std::optional<LockValue> ParseLock(std::string_view value) {
    const std::size_t space = value.rfind(' ');
    if (space == std::string_view::npos || space == 0) return std::nullopt;
    LockValue lock{std::string(value.substr(0, space)), 0};
    const std::string_view digits = value.substr(space + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), lock.deadline);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return lock;
}

}  // namespace

WebScoreStore::WebScoreStore(KeyValueStore& storage, StoreTime& time, std::string holder)
    : storage_(storage), time_(time), holder_(std::move(holder)) {}

WebScoreStore::~WebScoreStore() { Unlock(); }

std::string WebScoreStore::Location() { return std::string(kTableKey) + " (хранилище браузера)"; }

StoreLock WebScoreStore::Lock(std::string& reason) {
    if (locked_) return StoreLock::Held;
    std::string value;
    const KeyRead read = storage_.Get(kLockKey, value);
    if (read == KeyRead::Unavailable) {
        reason = kUnavailable;
        return StoreLock::Failed;
    }
    const std::int64_t now = time_.EpochMs();
    const std::string busy = std::string(kLockKey) + ": его держит другая страница с игрой";
    if (read == KeyRead::Found) {
        // A deadline further off than a lock ever lives was set by a clock
        // that has since been put back: it lapses like any other.
        const std::optional<LockValue> held = ParseLock(value);
        if (held && held->holder != holder_ && held->deadline > now && held->deadline <= now + kLockLifeMs) {
            reason = busy;
            return StoreLock::Busy;
        }
    }
    if (!storage_.Set(kLockKey, holder_ + " " + std::to_string(now + kLockLifeMs), reason)) return StoreLock::Failed;
    // Two pages that found the lock free at once both wrote it: the value
    // that stayed names the one that has it.
    const std::optional<LockValue> taken =
        storage_.Get(kLockKey, value) == KeyRead::Found ? ParseLock(value) : std::nullopt;
    if (!taken || taken->holder != holder_) {
        reason = busy;
        return StoreLock::Busy;
    }
    locked_ = true;
    return StoreLock::Held;
}

void WebScoreStore::Unlock() {
    if (!locked_) return;
    locked_ = false;
    std::string value;
    if (storage_.Get(kLockKey, value) != KeyRead::Found) return;
    // Held past its deadline, the lock may have gone to another page since.
    if (const std::optional<LockValue> held = ParseLock(value); held && held->holder == holder_)
        storage_.Remove(kLockKey);
}

StoreRead WebScoreStore::Read(std::string& text) {
    text.clear();
    switch (storage_.Get(kTableKey, text)) {
        case KeyRead::Found:
            return StoreRead::Read;
        case KeyRead::Missing:
            return StoreRead::Missing;
        case KeyRead::Unavailable:
            break;
    }
    return StoreRead::Unreadable;
}

bool WebScoreStore::Replace(std::string_view text, std::string& reason) { return storage_.Set(kTableKey, text, reason); }

std::string WebScoreStore::KeepAside(std::string& reason) {
    std::string text;
    const KeyRead read = storage_.Get(kTableKey, text);
    if (read != KeyRead::Found) {
        reason = read == KeyRead::Missing ? std::string(kTableKey) + ": таблицы уже нет" : kUnavailable;
        return {};
    }
    // The copy first: whatever happens between the two calls, the text is under one of the names.
    const std::string aside = WriteNewKey(std::string(kDamagedPrefix) + Stamp(), text, reason);
    if (!aside.empty()) storage_.Remove(kTableKey);
    return aside;
}

std::string WebScoreStore::AddWaiting(std::string_view text, std::string& reason) {
    return WriteNewKey(std::string(kWaitingPrefix) + Stamp(), text, reason);
}

std::vector<WaitingScore> WebScoreStore::ReadWaiting() {
    std::vector<std::string> keys = storage_.Keys(kWaitingPrefix);
    std::sort(keys.begin(), keys.end());
    if (keys.size() > kMostWaiting) keys.resize(kMostWaiting);
    std::vector<WaitingScore> waiting;
    for (std::string& key : keys) {
        std::string text;
        if (storage_.Get(key, text) == KeyRead::Found) waiting.push_back(WaitingScore{std::move(key), std::move(text)});
    }
    return waiting;
}

void WebScoreStore::RemoveWaiting(const std::string& name) {
    // Only a waiting score's key: a name from elsewhere never removes the table.
    if (name.starts_with(kWaitingPrefix)) storage_.Remove(name);
}

std::string WebScoreStore::WriteNewKey(const std::string& base, std::string_view text, std::string& reason) {
    for (int n = 0; n < 100; ++n) {
        const std::string key = n == 0 ? base : base + "-" + std::to_string(n);
        std::string existing;
        const KeyRead read = storage_.Get(key, existing);
        if (read == KeyRead::Found) continue;
        if (read == KeyRead::Unavailable) {
            reason = kUnavailable;
            return {};
        }
        return storage_.Set(key, text, reason) ? key : std::string();
    }
    reason = base + ": слишком много ключей с этим именем";
    return {};
}

// "YYYYMMDD-HHMMSS" of the local date and time.
std::string WebScoreStore::Stamp() {
    std::string stamp;
    for (const char c : time_.LocalDateTime()) {
        if (c == 'T')
            stamp += '-';
        else if (c != '-' && c != ':')
            stamp += c;
    }
    return stamp;
}

}  // namespace zumbrik
