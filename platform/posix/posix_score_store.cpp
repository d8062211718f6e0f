#include "platform/posix/posix_score_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zumbrik {

namespace {

// No table the game writes comes near this; a bigger file is not ours.
constexpr std::size_t kLargestTable = 64 * 1024;

std::string ErrorText(const std::string& what) { return what + ": " + std::strerror(errno); }

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
        reason = folder + ": not a folder";
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

}  // namespace

PosixScoreStore::PosixScoreStore(std::string folder) : folder_(std::move(folder)) {}

PosixScoreStore::~PosixScoreStore() { Unlock(); }

std::string PosixScoreStore::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/zumbrik";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.local/share/zumbrik";
}

bool PosixScoreStore::Lock(std::string& reason) {
    if (lockFd_ >= 0) return true;
    if (!MakeFolders(folder_, reason)) return false;
    const std::string path = folder_ + "/scores.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = ErrorText(path);
        return false;
    }
    int result = 0;
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        reason = ErrorText(path);
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

void PosixScoreStore::Unlock() {
    if (lockFd_ < 0) return;
    ::close(lockFd_);  // closing the last descriptor releases the lock
    lockFd_ = -1;
}

StoreRead PosixScoreStore::Read(std::string& text) {
    text.clear();
    const int fd = ::open(Location().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? StoreRead::Missing : StoreRead::Unreadable;
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

bool PosixScoreStore::Replace(std::string_view text, std::string& reason) {
    const std::string temporary = folder_ + "/scores.new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = ErrorText(temporary);
        return false;
    }
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    if (!written) reason = ErrorText(temporary);
    if (::close(fd) != 0 && written) {
        written = false;
        reason = ErrorText(temporary);
    }
    if (written && ::rename(temporary.c_str(), Location().c_str()) != 0) {
        written = false;
        reason = ErrorText(Location());
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder_);
    return true;
}

std::string PosixScoreStore::KeepAside(std::string& reason) {
    const std::string base = folder_ + "/scores.damaged-" + FormatLocalTime("%Y%m%d-%H%M%S");
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
    reason = base + ": too many tables kept aside";
    return {};
}

std::string PosixScoreStore::LoginName() {
    if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_name[0] != '\0') return user->pw_name;
    const char* name = std::getenv("USER");
    return name != nullptr && name[0] != '\0' ? name : "?";
}

std::string PosixScoreStore::LocalDateTime() { return FormatLocalTime("%Y-%m-%dT%H:%M:%S"); }

}  // namespace zumbrik
