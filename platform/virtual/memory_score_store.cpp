#include "platform/virtual/memory_score_store.h"

#include <stdexcept>

namespace zumbrik {

namespace {
constexpr char kReadOnly[] = "read-only folder";
}  // namespace

void MemoryScoreStore::RequireLock(const char* what) const {
    if (!locked_) throw std::logic_error(std::string(what) + " without the lock");
}

StoreLock MemoryScoreStore::Lock(std::string& reason) {
    if (locked_) throw std::logic_error("score store locked twice");
    if (unwritable || lockBusy) {
        reason = unwritable ? kReadOnly : "held by another game";
        return unwritable ? StoreLock::Failed : StoreLock::Busy;
    }
    locked_ = true;
    ++locks;
    return StoreLock::Held;
}

StoreRead MemoryScoreStore::Read(std::string& text) {
    text = notAFile ? "" : file.value_or("");
    if (notAFile) return StoreRead::NotAFile;
    return file ? StoreRead::Read : StoreRead::Missing;
}

bool MemoryScoreStore::Replace(std::string_view text, std::string& reason) {
    RequireLock("score table written");
    if (unwritable || notAFile) {
        reason = kReadOnly;
        return false;
    }
    file = std::string(text);
    return true;
}

std::string MemoryScoreStore::KeepAside(std::string& reason) {
    if (unwritable || asideFails || !file || notAFile) {
        reason = kReadOnly;
        return {};
    }
    const std::string name = "memory/scores.damaged-" + std::to_string(keptAside.size() + 1);
    keptAside[name] = *file;
    file.reset();
    return name;
}

std::string MemoryScoreStore::AddWaiting(std::string_view text, std::string& reason) {
    if (unwritable) {
        reason = kReadOnly;
        return {};
    }
    // Numbered so that the map's order is the order they were written in.
    const std::string name = "scores.waiting-" + std::to_string(100 + waiting.size());
    waiting[name] = std::string(text);
    return "memory/" + name;
}

std::vector<WaitingScore> MemoryScoreStore::ReadWaiting() {
    std::vector<WaitingScore> all;
    for (const auto& [name, text] : waiting) all.push_back(WaitingScore{name, text});
    return all;
}

void MemoryScoreStore::RemoveWaiting(const std::string& name) {
    RequireLock("waiting score removed");
    waiting.erase(name);
}

}  // namespace zumbrik
