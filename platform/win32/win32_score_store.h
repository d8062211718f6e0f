#pragma once
#include <string>

#include "platform/score_store.h"

namespace zumbrik {

// The score table as a file "scores" in a folder, locked through "scores.lock"
// beside it and written through "scores.new". The header stays free of
// <windows.h>: the folder is kept as UTF-16, the lock handle as a pointer.
class Win32ScoreStore final : public ScoreStore {
public:
    explicit Win32ScoreStore(std::wstring folder);
    ~Win32ScoreStore() override;
    Win32ScoreStore(const Win32ScoreStore&) = delete;
    Win32ScoreStore& operator=(const Win32ScoreStore&) = delete;

    // %APPDATA%\Zumbrik.
    static std::wstring DefaultFolder();

    std::string Location() override;
    bool Lock(std::string& reason) override;
    void Unlock() override;
    StoreRead Read(std::string& text) override;
    bool Replace(std::string_view text, std::string& reason) override;
    std::string KeepAside(std::string& reason) override;
    std::string LoginName() override;
    std::string LocalDateTime() override;

private:
    std::wstring folder_;
    void* lock_ = nullptr;
};

}  // namespace zumbrik
