#include "persist/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <utility>
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

// What one try at a lock says.
enum class Lock {
    Taken,
    Held,       // another holds it
    CannotTell, // the lock cannot be taken here, or its descriptor cannot be opened
};

// A descriptor closed at the end of its scope unless kept.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;

    int get() const { return m_fd; }
    int keep() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The lock file, as this account can open it.
struct LockFile {
    enum class Access {
        Open,      // fd is the lock file; writable tells whether the holder's id can be written
        Absent,    // it neither exists nor can be made here (a folder this account may not write)
        Forbidden, // it exists, but this account may not open it
        Failed,    // it cannot be opened for another reason (error)
    };
    Access access;
    Descriptor fd{};
    bool writable = false;
    int error = 0;
};

// Opens the lock file, creating it when missing. A lock file of another account is opened for
// reading only, which is enough to take an flock.
LockFile openLockFile(const std::string& path) {
    using Access = LockFile::Access;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kLockFileMode);
    if (fd >= 0) {
        // Whatever the umask: a start under another account must see the lock.
        ::fchmod(fd, kLockFileMode);
        return {Access::Open, Descriptor(fd), true};
    }
    if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            return {Access::Open, Descriptor(fd), true};
        }
    }
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        return {Access::Open, Descriptor(fd), false};
    }
    switch (errno) {
    case ENOENT:
        return {Access::Absent};
    case EACCES:
        return {Access::Forbidden};
    default:
        return {Access::Failed, Descriptor(), false, errno};
    }
}

// The folder itself, which carries the lock as well; error keeps the first failure.
Descriptor openFolder(const std::string& folder, int& error) {
    Descriptor fd(::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0 && error == 0) {
        error = errno;
    }
    return fd;
}

// Takes an exclusive lock without waiting. Only EWOULDBLOCK says that another holds it; any other
// failure says nothing about other instances: ENOLCK from a network mount whose lock manager is
// not running, EBADF where the mount emulates the lock with a write lock on a read-only
// descriptor. error keeps the first failure that cannot tell.
Lock lockNow(InstanceLock::LockCall lock, int fd, int& error) {
    if (fd < 0) {
        return Lock::CannotTell;
    }
    int rc = 0;
    do {
        rc = lock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        return Lock::Taken;
    }
    if (errno == EWOULDBLOCK) {
        return Lock::Held;
    }
    if (error == 0) {
        error = errno;
    }
    return Lock::CannotTell;
}

// The answer from the two locks. Beside a lock file, its lock decides and the folder's counts only
// when a live instance holds it (some file systems lock no folder); without one, the folder's
// lock decides alone.
InstanceLock::Outcome decide(bool withLockFile, Lock onFile, Lock onFolder) {
    using Outcome = InstanceLock::Outcome;
    if (onFile == Lock::Held || onFolder == Lock::Held) {
        return Outcome::HeldElsewhere;
    }
    if (withLockFile ? onFile == Lock::Taken : onFolder == Lock::Taken) {
        return Outcome::Taken;
    }
    return Outcome::CannotTell;
}

// The holder's process id, for a second start to find it by.
void writeHolderPid(int fd) {
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
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

InstanceLock::InstanceLock(LockCall lock) : m_lockCall(lock != nullptr ? lock : ::flock) {}

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
    LockFile file = openLockFile(lockFilePath(folder));
    if (file.access == LockFile::Access::Forbidden) {
        // The lock file is there but not for this user: someone else's instance may hold it, and
        // two writers of one data file are worse than a start that ends.
        return Outcome::HeldElsewhere;
    }
    int error = file.error;
    const Lock onFile = lockNow(m_lockCall, file.fd.get(), error);
    if (onFile == Lock::Held) {
        return Outcome::HeldElsewhere;
    }
    // The folder itself carries the lock as well, for a start the folder takes no lock file from
    // (read-only, or owned by another account): such a start and one holding the lock file see
    // each other there.
    Descriptor folderFd = openFolder(folder, error);
    const Lock onFolder = lockNow(m_lockCall, folderFd.get(), error);
    const bool withLockFile = file.access != LockFile::Access::Absent;
    const Outcome outcome = decide(withLockFile, onFile, onFolder);
    if (outcome == Outcome::CannotTell) {
        m_cannotTellError = error;
    }
    if (outcome != Outcome::Taken) {
        return outcome;
    }
    if (withLockFile) {
        if (file.writable) {
            writeHolderPid(file.fd.get());
        }
        m_fd = file.fd.keep();
        m_folderFd = onFolder == Lock::Taken ? folderFd.keep() : -1;
    } else {
        m_fd = folderFd.keep();
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
