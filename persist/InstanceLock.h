#pragma once

#include <optional>
#include <string>

// The lock a running instance holds on its program folder, whose data file it reads and writes.
// It is an flock on the lock file "Mayorin。保存.txt.lock" in that folder: the kernel releases it
// when the process ends in any way (a crash, kill -9, a power cut included), so a live instance
// is told from a leftover running marker. Whoever makes the start, under whatever account, HOME or
// settings folder, meets the same lock.
namespace mayorin::persist {

class InstanceLock {
public:
    enum class Outcome {
        Taken,         // this process holds the lock now (or already held it)
        HeldElsewhere, // a live instance holds it, or its lock file cannot be opened at all
        CannotTell,    // the folder takes no lock (a network mount without its lock manager, say):
                       // nothing tells a live instance from none
    };

    // The call that locks a descriptor, flock's: 0, or -1 with errno set.
    using LockCall = int (*)(int fd, int operation);

    explicit InstanceLock(LockCall lock = nullptr);
    // Releases the lock.
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries to take the lock of folder without waiting; once taken, it is kept until release() or
    // the end of this object. The lock file is created readable by everyone (it holds only the
    // holder's process id), so a start under another account can see that it is held. A lock file
    // that exists but cannot be opened belongs to someone else and counts as held. The folder is
    // locked too, so a start that the folder takes no lock file from locks the folder alone and
    // still meets the others. Only a lock that another holds counts as held; where the lock cannot
    // be taken for any other reason, the answer is CannotTell and nothing is kept. The descriptors
    // are not inherited by child processes.
    Outcome take(const std::string& folder);
    // Lets the lock go: the end, once nothing more is written.
    void release();
    // The errno of the failure behind the last CannotTell (ENOLCK, EBADF, ...).
    int cannotTellError() const { return m_cannotTellError; }

    // The process id the holder of folder's lock wrote into the lock file, when there is one.
    static std::optional<long> holderPid(const std::string& folder);

private:
    LockCall m_lockCall;
    int m_fd = -1;       // the lock file, or the folder when it takes no lock file
    int m_folderFd = -1; // the folder as well, beside the lock file
    int m_cannotTellError = 0;
};

// Where the lock file of a folder is.
std::string lockFilePath(const std::string& folder);

} // namespace mayorin::persist
