#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32/win32_score_store.h"

#include <cstdio>

namespace zumbrik {

namespace {

constexpr std::size_t kLargestTable = 64 * 1024;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                              nullptr);
    return out;
}

std::string ErrorText(const std::wstring& path) {
    return Utf8(path) + ": error " + std::to_string(::GetLastError());
}

// Makes the folder and its missing parents.
bool MakeFolders(const std::wstring& folder, std::string& reason) {
    for (std::size_t sep = folder.find_first_of(L"\\/", 3);; sep = folder.find_first_of(L"\\/", sep + 1)) {
        const std::wstring part = folder.substr(0, sep);
        if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = ErrorText(part);
            return false;
        }
        if (sep == std::wstring::npos) break;
    }
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = Utf8(folder) + ": not a folder";
        return false;
    }
    return true;
}

bool WriteAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(text.size() > 1u << 20 ? 1u << 20 : text.size());
        if (!::WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

std::wstring Join(const std::wstring& folder, const wchar_t* name) { return folder + L"\\" + name; }

}  // namespace

Win32ScoreStore::Win32ScoreStore(std::wstring folder) : folder_(std::move(folder)) {}

Win32ScoreStore::~Win32ScoreStore() { Unlock(); }

std::wstring Win32ScoreStore::DefaultFolder() {
    wchar_t data[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", data, MAX_PATH);
    const std::wstring base = length > 0 && length < MAX_PATH ? std::wstring(data, length) : std::wstring(L".");
    return base + L"\\Zumbrik";
}

std::string Win32ScoreStore::Location() { return Utf8(Join(folder_, L"scores")); }

bool Win32ScoreStore::Lock(std::string& reason) {
    if (lock_ != nullptr) return true;
    if (!MakeFolders(folder_, reason)) return false;
    const std::wstring path = Join(folder_, L"scores.lock");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = ErrorText(path);
        return false;
    }
    OVERLAPPED at{};
    // Waits while another game holds the lock; the handle's close releases it.
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
        reason = ErrorText(path);
        ::CloseHandle(file);
        return false;
    }
    lock_ = file;
    return true;
}

void Win32ScoreStore::Unlock() {
    if (lock_ == nullptr) return;
    OVERLAPPED at{};
    ::UnlockFileEx(static_cast<HANDLE>(lock_), 0, 1, 0, &at);
    ::CloseHandle(static_cast<HANDLE>(lock_));
    lock_ = nullptr;
}

StoreRead Win32ScoreStore::Read(std::string& text) {
    text.clear();
    HANDLE file = ::CreateFileW(Join(folder_, L"scores").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StoreRead::Missing
                                                                              : StoreRead::Unreadable;
    }
    StoreRead result = StoreRead::Read;
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) result = StoreRead::Unreadable;
        if (result != StoreRead::Read || got == 0) break;
        text.append(chunk, got);
        if (text.size() > kLargestTable) break;
    }
    ::CloseHandle(file);
    return result;
}

bool Win32ScoreStore::Replace(std::string_view text, std::string& reason) {
    const std::wstring temporary = Join(folder_, L"scores.new");
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = ErrorText(temporary);
        return false;
    }
    bool written = WriteAll(file, text) && ::FlushFileBuffers(file);
    if (!written) reason = ErrorText(temporary);
    ::CloseHandle(file);
    if (written && !::MoveFileExW(temporary.c_str(), Join(folder_, L"scores").c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        written = false;
        reason = ErrorText(Join(folder_, L"scores"));
    }
    if (!written) ::DeleteFileW(temporary.c_str());
    return written;
}

std::string Win32ScoreStore::KeepAside(std::string& reason) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    const std::wstring base = Join(folder_, L"scores.damaged-") + stamp;
    for (int n = 0; n < 100; ++n) {
        const std::wstring aside = n == 0 ? base : base + L"-" + std::to_wstring(n);
        // Without MOVEFILE_REPLACE_EXISTING a name already taken is refused.
        if (::MoveFileExW(Join(folder_, L"scores").c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
            return Utf8(aside);
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            reason = ErrorText(aside);
            return {};
        }
    }
    reason = Utf8(base) + ": too many tables kept aside";
    return {};
}

std::string Win32ScoreStore::LoginName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!::GetUserNameW(name, &size) || name[0] == L'\0') return "?";
    return Utf8(name);
}

std::string Win32ScoreStore::LocalDateTime() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

}  // namespace zumbrik
