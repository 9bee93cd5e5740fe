#include "persist/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "persist/FileText.h"

namespace mayorin::persist {

namespace {

constexpr const char* kLockFileName = "Mayorin。保存.txt.lock";

// Anyone who may run the program from the folder must be able to open the lock file to see it
// held; it says no more than which process holds it.
constexpr mode_t kLockFileMode = 0644;

// Opens the lock file, creating it when missing; writable tells whether the holder's id can be
// written into it. A lock file of another account is opened for reading only, which is enough to
// take an flock. Returns -1 with errno set when it cannot be opened.
int openLockFile(const std::string& path, bool& writable) {
    writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kLockFileMode);
    if (fd >= 0) {
        // Whatever the umask: a start under another account must see the lock.
        ::fchmod(fd, kLockFileMode);
        return fd;
    }
    if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            return fd;
        }
    }
    writable = false;
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

// Takes an exclusive flock without waiting: 0, or -1 with errno set (EWOULDBLOCK: another
// holds it; anything else: this file system cannot tell).
int lockNow(int fd) {
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

void closeIfOpen(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace

std::string lockFilePath(const std::string& folder) {
    return folder + "/" + kLockFileName;
}

InstanceLock::~InstanceLock() {
    release();
}

void InstanceLock::release() {
    closeIfOpen(m_fd);
    closeIfOpen(m_folderFd);
    m_fd = -1;
    m_folderFd = -1;
}

InstanceLock::Outcome InstanceLock::take(const std::string& folder) {
    if (m_fd >= 0) {
        return Outcome::Taken;
    }
    const std::string path = lockFilePath(folder);
    bool writable = false;
    const int fileFd = openLockFile(path, writable);
    if (fileFd < 0 && errno != ENOENT) {
        // The lock file is there but not for this user: someone else's instance may hold it, and
        // two writers of one data file are worse than a start that ends.
        return Outcome::HeldElsewhere;
    }
    // The folder itself carries the lock as well, for a start the folder takes no lock file from
    // (read-only, or owned by another account): such a start and one holding the lock file see
    // each other there.
    const int folderFd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fileFd < 0 && folderFd < 0) {
        // Neither can be opened: nothing tells a live instance from none.
        return Outcome::HeldElsewhere;
    }
    if (fileFd >= 0 && lockNow(fileFd) != 0) {
        closeIfOpen(fileFd);
        closeIfOpen(folderFd);
        return Outcome::HeldElsewhere;
    }
    // Without the lock file the folder's lock decides; beside it, only a folder lock held by a
    // live instance counts (some file systems lock no folder).
    const int folderRc = folderFd >= 0 ? lockNow(folderFd) : -1;
    const bool folderHeld = folderFd >= 0 && folderRc != 0 && errno == EWOULDBLOCK;
    if (folderHeld || (fileFd < 0 && folderRc != 0)) {
        closeIfOpen(fileFd);
        closeIfOpen(folderFd);
        return Outcome::HeldElsewhere;
    }
    if (writable) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fileFd, 0) == 0) {
            [[maybe_unused]] const ssize_t n = ::pwrite(fileFd, pid.data(), pid.size(), 0);
        }
    }
    m_fd = fileFd >= 0 ? fileFd : folderFd;
    m_folderFd = fileFd >= 0 && folderRc == 0 ? folderFd : -1;
    if (fileFd >= 0 && folderRc != 0) {
        closeIfOpen(folderFd);
    }
    return Outcome::Taken;
}

std::optional<long> InstanceLock::holderPid(const std::string& folder) {
    std::string text;
    try {
        text = detail::readWholeFile(lockFilePath(folder));
    } catch (...) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long pid = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || pid <= 0 || (*end != '\n' && *end != '\0')) {
        return std::nullopt;
    }
    return pid;
}

} // namespace mayorin::persist
