#pragma once
#include <chrono>
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// The score table as a file "scores" in a folder, locked through a file
// "scores.lock" beside it (the table itself is replaced, so it cannot carry
// the lock) and written through "scores.new".
class PosixScoreStore final : public ScoreStore {
public:
    // Long enough for another game to write its table many times over, short
    // enough that a player at game over hardly notices.
    static constexpr std::chrono::milliseconds kLockWait{3000};

    explicit PosixScoreStore(std::string folder, std::chrono::milliseconds lockWait = kLockWait);
    ~PosixScoreStore() override;
    PosixScoreStore(const PosixScoreStore&) = delete;
    PosixScoreStore& operator=(const PosixScoreStore&) = delete;

    // $XDG_DATA_HOME/zumbrik when that is an absolute path, else
    // ~/.local/share/zumbrik (the home from $HOME, else the user database).
    static std::string DefaultFolder();
    // base/name with one slash between them, whatever base ends in ("/" too).
    static std::string JoinPath(std::string_view base, std::string_view name);

    std::string Location() override { return JoinPath(folder_, "scores"); }
    StoreLock Lock(std::string& reason) override;
    void Unlock() override;
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string AddWaiting(std::string_view text, std::string& reason) override;
    std::vector<WaitingScore> ReadWaiting() override;
    void RemoveWaiting(const std::string& name) override;
    std::string LoginName() override;
    std::string LocalDateTime() override;

private:
    std::string folder_;
    std::chrono::milliseconds lockWait_;
    int lockFd_ = -1;
};

}  // namespace zumbrik
