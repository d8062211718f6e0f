#pragma once
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// The score table as a file "scores" in a folder, locked through a file
// "scores.lock" beside it (the table itself is replaced, so it cannot carry
// the lock) and written through "scores.new".
class PosixScoreStore final : public ScoreStore {
public:
    explicit PosixScoreStore(std::string folder);
    ~PosixScoreStore() override;
    PosixScoreStore(const PosixScoreStore&) = delete;
    PosixScoreStore& operator=(const PosixScoreStore&) = delete;

    // $XDG_DATA_HOME/zumbrik when that is an absolute path, else
    // ~/.local/share/zumbrik (the home from $HOME, else the user database).
    static std::string DefaultFolder();

    std::string Location() override { return folder_ + "/scores"; }
    bool Lock(std::string& reason) override;
    void Unlock() override;
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string LoginName() override;
    std::string LocalDateTime() override;

private:
    std::string folder_;
    int lockFd_ = -1;
};

}  // namespace zumbrik
