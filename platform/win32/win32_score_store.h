#pragma once
#include <chrono>
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// The score table as a file "scores" in a folder, locked through "scores.lock"
// beside it and written through "scores.new". The header stays free of
// <windows.h>: the folder is kept as UTF-16, the lock handle as a pointer.
class Win32ScoreStore final : public ScoreStore {
public:
    // As long as on other systems: a few seconds at most at game over.
    static constexpr std::chrono::milliseconds kLockWait{3000};

    explicit Win32ScoreStore(std::wstring folder, std::chrono::milliseconds lockWait = kLockWait);
    ~Win32ScoreStore() override;
    Win32ScoreStore(const Win32ScoreStore&) = delete;
    Win32ScoreStore& operator=(const Win32ScoreStore&) = delete;

    // %APPDATA%\Zumbrik.
    static std::wstring DefaultFolder();

    std::string Location() override;
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
    std::wstring folder_;
    std::chrono::milliseconds lockWait_;
    void* lock_ = nullptr;
};

}  // namespace zumbrik
