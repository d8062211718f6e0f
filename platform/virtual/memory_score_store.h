#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// A score file in memory, for tests: the table's text (none: no file), the
// files kept aside, and switches for a folder that cannot be written.
class MemoryScoreStore final : public ScoreStore {
public:
    std::optional<std::string> file;
    std::map<std::string, std::string> keptAside;
    bool unwritable = false;
    // Renames fail, as where the table's folder forbids them but the lock works.
    bool asideFails = false;
    std::string login = "tester";
    std::string now = "2026-12-01T10:20:30";
    int locks = 0;

    std::string Location() override { return "memory/scores"; }
    bool Lock(std::string& reason) override;
    void Unlock() override { locked_ = false; }
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string LoginName() override { return login; }
    std::string LocalDateTime() override { return now; }

private:
    bool locked_ = false;
};

}  // namespace zumbrik
