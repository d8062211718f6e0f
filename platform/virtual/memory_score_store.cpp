#include "platform/virtual/memory_score_store.h"

#include <stdexcept>

namespace zumbrik {

namespace {
constexpr char kReadOnly[] = "read-only folder";
}  // namespace

bool MemoryScoreStore::Lock(std::string& reason) {
    if (locked_) throw std::logic_error("score store locked twice");
    if (unwritable) {
        reason = kReadOnly;
        return false;
    }
    locked_ = true;
    ++locks;
    return true;
}

StoreRead MemoryScoreStore::Read(std::string& text) {
    text = file.value_or("");
    return file ? StoreRead::Read : StoreRead::Missing;
}

bool MemoryScoreStore::Replace(std::string_view text, std::string& reason) {
    if (!locked_) throw std::logic_error("score table written without the lock");
    if (unwritable) {
        reason = kReadOnly;
        return false;
    }
    file = std::string(text);
    return true;
}

std::string MemoryScoreStore::KeepAside(std::string& reason) {
    if (unwritable || asideFails || !file) {
        reason = kReadOnly;
        return {};
    }
    const std::string name = "memory/scores.damaged-" + std::to_string(keptAside.size() + 1);
    keptAside[name] = *file;
    file.reset();
    return name;
}

}  // namespace zumbrik
