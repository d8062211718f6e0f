#include "platform/posix/posix_score_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace zumbrik {

namespace {

// No table the game writes comes near this; a bigger file is not ours.
constexpr std::size_t kLargestTable = 64 * 1024;
// Waiting scores merged at one go; more come with the next game.
constexpr std::size_t kMostWaiting = 100;
constexpr std::string_view kWaitingPrefix = "scores.waiting-";
constexpr auto kLockRetry = std::chrono::milliseconds(50);

// The system's own words, quoted, so a reader can tell them from the game's.
std::string ErrorText(const std::string& what) {
    return what + ": сообщение системы «" + std::strerror(errno) + "»";
}

// Makes the folder and its missing parents, as `mkdir -p` does.
bool MakeFolders(const std::string& folder, std::string& reason) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            reason = ErrorText(part);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        reason = folder + ": это не папка";
        return false;
    }
    return true;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A rename is on disk only once the folder's entry is.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string FormatLocalTime(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (::localtime_r(&now, &local) == nullptr || std::strftime(text, sizeof text, format, &local) == 0) return {};
    return text;
}

// Reads a regular file whole, up to a little past kLargestTable. A named pipe
// or a device is never opened (opening some devices already does something),
// and the open itself cannot block: the check is repeated on what was opened,
// in case the name changed in between.
StoreRead ReadRegularFile(const std::string& path, bool followLink, std::string& text) {
    text.clear();
    struct stat info {};
    if ((followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return errno == ENOENT ? StoreRead::Missing : StoreRead::Unreadable;
    if (!S_ISREG(info.st_mode)) return StoreRead::NotAFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) return errno == ENOENT ? StoreRead::Missing : StoreRead::Unreadable;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return StoreRead::NotAFile;
    }
    char chunk[4096];
    StoreRead result = StoreRead::Read;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = StoreRead::Unreadable;
        if (n <= 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
        // Too big to be a table: read as damaged, without holding all of it.
        if (text.size() > kLargestTable) break;
    }
    ::close(fd);
    return result;
}

enum class NewFile { Written, NameTaken, Failed };

// Creates a file that did not exist (never through a link, never an old
// file's contents or modes), with the modes the umask gives, and fills it.
// A file it created but could not fill is removed again.
NewFile WriteNewFile(const std::string& path, std::string_view text, std::string& reason) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const bool taken = errno == EEXIST;
        reason = ErrorText(path);
        return taken ? NewFile::NameTaken : NewFile::Failed;
    }
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    if (!written) reason = ErrorText(path);
    if (::close(fd) != 0 && written) {
        written = false;
        reason = ErrorText(path);
    }
    if (written) return NewFile::Written;
    ::unlink(path.c_str());
    return NewFile::Failed;
}

}  // namespace

PosixScoreStore::PosixScoreStore(std::string folder, std::chrono::milliseconds lockWait)
    : folder_(std::move(folder)), lockWait_(lockWait) {}

PosixScoreStore::~PosixScoreStore() { Unlock(); }

std::string PosixScoreStore::JoinPath(std::string_view base, std::string_view name) {
    while (!base.empty() && base.back() == '/') base.remove_suffix(1);
    return std::string(base) + "/" + std::string(name);
}

std::string PosixScoreStore::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return JoinPath(data, "zumbrik");
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "/";
    }
    return JoinPath(home, ".local/share/zumbrik");
}

StoreLock PosixScoreStore::Lock(std::string& reason) {
    if (lockFd_ >= 0) return StoreLock::Held;
    if (!MakeFolders(folder_, reason)) return StoreLock::Failed;
    const std::string path = JoinPath(folder_, "scores.lock");
    // Not through a link, and a named pipe put there cannot hold the open.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = ErrorText(path);
        return StoreLock::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = path + ": не обычный файл";
        ::close(fd);
        return StoreLock::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + lockWait_;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            const bool busy = errno == EWOULDBLOCK;
            reason = busy ? path + ": его держит другая игра" : ErrorText(path);
            ::close(fd);
            return busy ? StoreLock::Busy : StoreLock::Failed;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    lockFd_ = fd;
    return StoreLock::Held;
}

void PosixScoreStore::Unlock() {
    if (lockFd_ < 0) return;
    ::close(lockFd_);  // closing the last descriptor releases the lock
    lockFd_ = -1;
}

// The table may be a link to a file kept elsewhere; only what it reaches
// must be a regular file.
StoreRead PosixScoreStore::Read(std::string& text) { return ReadRegularFile(Location(), true, text); }

bool PosixScoreStore::Replace(std::string_view text, std::string& reason) {
    // Whatever has the name now (a file a killed game left, a link, a named
    // pipe someone put there) goes, and the file is made afresh.
    const std::string temporary = JoinPath(folder_, "scores.new");
    ::unlink(temporary.c_str());
    if (WriteNewFile(temporary, text, reason) != NewFile::Written) return false;
    if (::rename(temporary.c_str(), Location().c_str()) != 0) {
        reason = ErrorText(Location());
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder_);
    return true;
}

std::string PosixScoreStore::KeepAside(std::string& reason) {
    const std::string base = JoinPath(folder_, "scores.damaged-" + FormatLocalTime("%Y%m%d-%H%M%S"));
    for (int n = 0; n < 100; ++n) {
        const std::string aside = n == 0 ? base : base + "-" + std::to_string(n);
        // link refuses an existing name, so nothing kept aside before is overwritten.
        if (::link(Location().c_str(), aside.c_str()) == 0) {
            if (::unlink(Location().c_str()) != 0) {
                reason = ErrorText(Location());
                ::unlink(aside.c_str());
                return {};
            }
            SyncFolder(folder_);
            return aside;
        }
        // A file system without hard links: rename, having seen the name is free.
        if ((errno == EPERM || errno == ENOTSUP) && ::access(aside.c_str(), F_OK) != 0 && errno == ENOENT &&
            ::rename(Location().c_str(), aside.c_str()) == 0) {
            SyncFolder(folder_);
            return aside;
        }
        if (errno != EEXIST) {
            reason = ErrorText(aside);
            return {};
        }
    }
    reason = base + ": слишком много отложенных таблиц";
    return {};
}

std::string PosixScoreStore::AddWaiting(std::string_view text, std::string& reason) {
    const std::string base = JoinPath(folder_, std::string(kWaitingPrefix) + FormatLocalTime("%Y%m%d-%H%M%S"));
    for (int n = 0; n < 100; ++n) {
        const std::string path = n == 0 ? base : base + "-" + std::to_string(n);
        const NewFile made = WriteNewFile(path, text, reason);
        if (made == NewFile::Written) {
            SyncFolder(folder_);
            return path;
        }
        if (made == NewFile::Failed) return {};
    }
    return {};
}

std::vector<WaitingScore> PosixScoreStore::ReadWaiting() {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(folder_.c_str())) {
        while (const dirent* entry = ::readdir(folder))
            if (std::string_view(entry->d_name).starts_with(kWaitingPrefix)) names.emplace_back(entry->d_name);
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMostWaiting) names.resize(kMostWaiting);
    std::vector<WaitingScore> waiting;
    for (std::string& name : names) {
        std::string text;
        if (ReadRegularFile(JoinPath(folder_, name), false, text) == StoreRead::Read)
            waiting.push_back(WaitingScore{std::move(name), std::move(text)});
    }
    return waiting;
}

void PosixScoreStore::RemoveWaiting(const std::string& name) {
    if (::unlink(JoinPath(folder_, name).c_str()) == 0) SyncFolder(folder_);
}

std::string PosixScoreStore::LoginName() {
    if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_name[0] != '\0') return user->pw_name;
    const char* name = std::getenv("USER");
    return name != nullptr && name[0] != '\0' ? name : "?";
}

std::string PosixScoreStore::LocalDateTime() { return FormatLocalTime("%Y-%m-%dT%H:%M:%S"); }

}  // namespace zumbrik
