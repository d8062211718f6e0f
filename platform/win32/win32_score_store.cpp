#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32/win32_score_store.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <thread>

namespace zumbrik {

namespace {

constexpr std::size_t kLargestTable = 64 * 1024;
constexpr std::size_t kMostWaiting = 100;
constexpr wchar_t kWaitingPrefix[] = L"scores.waiting-";
constexpr auto kLockRetry = std::chrono::milliseconds(50);

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

// The system's own words for the last error, quoted, so a reader can tell
// them from the game's (they come in the system's language).
std::string ErrorText(const std::wstring& path) {
    const DWORD error = ::GetLastError();
    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = length > 0 && message != nullptr ? std::wstring(message, length) : std::wstring();
    if (message != nullptr) ::LocalFree(message);
    // The message ends in a full stop and a line break; the quote marks close it here.
    while (!text.empty() && std::wstring_view(L"\r\n .").find(text.back()) != std::wstring_view::npos) text.pop_back();
    if (text.empty()) return Utf8(path) + ": код ошибки системы " + std::to_string(error);
    return Utf8(path) + ": сообщение системы «" + Utf8(text) + "»";
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
        reason = Utf8(folder) + ": это не папка";
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

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

std::wstring LocalStamp() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return stamp;
}

// A file on disk, not a folder, a device or a pipe.
bool IsPlainFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Reads a plain file whole, up to a little past kLargestTable. A link is
// followed only where `followLink` says so.
StoreRead ReadPlainFile(const std::wstring& path, bool followLink, std::string& text) {
    text.clear();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StoreRead::Missing
                                                                              : StoreRead::Unreadable;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return StoreRead::NotAFile;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StoreRead::Missing
                                                                              : StoreRead::Unreadable;
    }
    if (!IsPlainFile(file)) {
        ::CloseHandle(file);
        return StoreRead::NotAFile;
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

enum class NewFile { Written, NameTaken, Failed };

// Creates a file that did not exist (CREATE_NEW refuses any name in use, a
// link included), with the folder's default security, and fills it. A file it
// created but could not fill is removed again.
NewFile WriteNewFile(const std::wstring& path, std::string_view text, std::string& reason) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        reason = ErrorText(path);
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFile::NameTaken : NewFile::Failed;
    }
    const bool written = WriteAll(file, text) && ::FlushFileBuffers(file);
    if (!written) reason = ErrorText(path);
    ::CloseHandle(file);
    if (written) return NewFile::Written;
    ::DeleteFileW(path.c_str());
    return NewFile::Failed;
}

}  // namespace

Win32ScoreStore::Win32ScoreStore(std::wstring folder, std::chrono::milliseconds lockWait)
    : folder_(std::move(folder)), lockWait_(lockWait) {}

Win32ScoreStore::~Win32ScoreStore() { Unlock(); }

std::wstring Win32ScoreStore::DefaultFolder() {
    wchar_t data[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", data, MAX_PATH);
    std::wstring base = length > 0 && length < MAX_PATH ? std::wstring(data, length) : std::wstring(L".");
    while (base.size() > 3 && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    return Join(base, L"Zumbrik");
}

std::string Win32ScoreStore::Location() { return Utf8(Join(folder_, L"scores")); }

StoreLock Win32ScoreStore::Lock(std::string& reason) {
    if (lock_ != nullptr) return StoreLock::Held;
    if (!MakeFolders(folder_, reason)) return StoreLock::Failed;
    const std::wstring path = Join(folder_, L"scores.lock");
    // The link itself if one was put there, which the check below refuses.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = ErrorText(path);
        return StoreLock::Failed;
    }
    if (!IsPlainFile(file)) {
        reason = Utf8(path) + ": не обычный файл";
        ::CloseHandle(file);
        return StoreLock::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + lockWait_;
    for (;;) {
        OVERLAPPED at{};
        if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) break;
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
            const bool busy = error == ERROR_LOCK_VIOLATION;
            ::SetLastError(error);
            reason = busy ? Utf8(path) + ": его держит другая игра" : ErrorText(path);
            ::CloseHandle(file);
            return busy ? StoreLock::Busy : StoreLock::Failed;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    lock_ = file;
    return StoreLock::Held;
}

void Win32ScoreStore::Unlock() {
    if (lock_ == nullptr) return;
    OVERLAPPED at{};
    ::UnlockFileEx(static_cast<HANDLE>(lock_), 0, 1, 0, &at);
    ::CloseHandle(static_cast<HANDLE>(lock_));
    lock_ = nullptr;
}

StoreRead Win32ScoreStore::Read(std::string& text) { return ReadPlainFile(Join(folder_, L"scores"), true, text); }

bool Win32ScoreStore::Replace(std::string_view text, std::string& reason) {
    // Whatever has the name now (a file a killed game left, a link) goes, and
    // the file is made afresh.
    const std::wstring temporary = Join(folder_, L"scores.new");
    ::DeleteFileW(temporary.c_str());
    if (WriteNewFile(temporary, text, reason) != NewFile::Written) return false;
    if (!::MoveFileExW(temporary.c_str(), Join(folder_, L"scores").c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = ErrorText(Join(folder_, L"scores"));
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

std::string Win32ScoreStore::KeepAside(std::string& reason) {
    const std::wstring base = Join(folder_, L"scores.damaged-" + LocalStamp());
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
    reason = Utf8(base) + ": слишком много отложенных таблиц";
    return {};
}

std::string Win32ScoreStore::AddWaiting(std::string_view text, std::string& reason) {
    const std::wstring base = Join(folder_, kWaitingPrefix + LocalStamp());
    for (int n = 0; n < 100; ++n) {
        const std::wstring path = n == 0 ? base : base + L"-" + std::to_wstring(n);
        const NewFile made = WriteNewFile(path, text, reason);
        if (made == NewFile::Written) return Utf8(path);
        if (made == NewFile::Failed) return {};
    }
    return {};
}

std::vector<WaitingScore> Win32ScoreStore::ReadWaiting() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(Join(folder_, std::wstring(kWaitingPrefix) + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
                names.emplace_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMostWaiting) names.resize(kMostWaiting);
    std::vector<WaitingScore> waiting;
    for (const std::wstring& name : names) {
        std::string text;
        if (ReadPlainFile(Join(folder_, name), false, text) == StoreRead::Read)
            waiting.push_back(WaitingScore{Utf8(name), std::move(text)});
    }
    return waiting;
}

void Win32ScoreStore::RemoveWaiting(const std::string& name) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
    if (!wide.empty()) ::DeleteFileW(Join(folder_, wide).c_str());
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
