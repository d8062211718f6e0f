#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// A score file in memory, for tests: the table's text (none: no file), the
// files kept aside and waiting, and switches for a folder that cannot be
// written, a lock another game holds and a table that is not a file.
class MemoryScoreStore final : public ScoreStore {
public:
    std::optional<std::string> file;
    std::map<std::string, std::string> keptAside;
    std::map<std::string, std::string> waiting;
    bool unwritable = false;
    // Renames fail, as where the table's folder forbids them but the lock works.
    bool asideFails = false;
    bool lockBusy = false;
    // Something other than a regular file has the table's name.
    bool notAFile = false;
    std::string login = "tester";
    std::string now = "2026-12-01T10:20:30";
    int locks = 0;

    std::string Location() override { return "memory/scores"; }
    StoreLock Lock(std::string& reason) override;
    void Unlock() override { locked_ = false; }
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string AddWaiting(std::string_view text, std::string& reason) override;
    std::vector<WaitingScore> ReadWaiting() override;
    void RemoveWaiting(const std::string& name) override;
    std::string LoginName() override { return login; }
    std::string LocalDateTime() override { return now; }

private:
    void RequireLock(const char* what) const;

    bool locked_ = false;
};

}  // namespace zumbrik
