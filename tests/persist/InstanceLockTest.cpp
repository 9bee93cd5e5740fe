#include "persist/InstanceLock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/OtherUser.h"
#include "tests/support/TempDir.h"

namespace mayorin::persist {
namespace {

using Outcome = InstanceLock::Outcome;
using test::OtherUser;

// The lock's descriptors of this process that stay open across an exec.
int inheritedLockDescriptors(const std::string& folder) {
    int inherited = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(e.path(), ec);
        if (!ec && (target == lockFilePath(folder) || target == folder)) {
            const int fd = std::stoi(e.path().filename().string());
            inherited += (::fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0;
        }
    }
    return inherited;
}

// How the lock call of the next take fails, on the lock file and on the folder (0: it does not).
struct Failing {
    int onFile = 0;
    int onFolder = 0;
};
Failing g_failing;

int failingFlock(int fd, int operation) {
    struct stat sb {};
    const int error = ::fstat(fd, &sb) == 0 && S_ISDIR(sb.st_mode) ? g_failing.onFolder : g_failing.onFile;
    if (error != 0) {
        errno = error;
        return -1;
    }
    return ::flock(fd, operation);
}

const char* said(Outcome outcome) {
    switch (outcome) {
    case Outcome::Taken:
        return "taken";
    case Outcome::HeldElsewhere:
        return "held";
    case Outcome::CannotTell:
        return "cannot tell";
    }
    return "?";
}

// The kernel keeps one holder: a second take fails until the first lets go, and the lock file
// names the holder, is readable by all and is not handed to child processes.
TEST(InstanceLock, OneHolderAtATime) {
    test::TempDir dir;
    InstanceLock first;
    const mode_t umask = ::umask(077); // a private umask must not hide the lock from other accounts
    ASSERT_EQ(first.take(dir.path), Outcome::Taken);
    ::umask(umask);
    EXPECT_EQ(first.take(dir.path), Outcome::Taken) << "taking again keeps it";
    InstanceLock second;
    EXPECT_EQ(second.take(dir.path), Outcome::HeldElsewhere);
    EXPECT_EQ(InstanceLock::holderPid(dir.path), ::getpid());
    struct stat sb {};
    ASSERT_EQ(::stat(lockFilePath(dir.path).c_str(), &sb), 0);
    EXPECT_EQ(sb.st_mode & 07777, 0644u);
    EXPECT_EQ(inheritedLockDescriptors(dir.path), 0);

    first.release();
    EXPECT_EQ(second.take(dir.path), Outcome::Taken);
    EXPECT_EQ(inheritedLockDescriptors(dir.path), 0) << "the lock file opened again";
    EXPECT_TRUE(std::filesystem::exists(lockFilePath(dir.path))) << "the file stays; only the lock goes";
}

// Only another holder makes the lock held. Any other failure of the lock file's lock cannot tell,
// and keeps nothing; beside a lock file that locks, a folder that takes no lock changes nothing.
TEST(InstanceLock, OnlyAnotherHolderMeansHeld) {
    struct Case {
        const char* name;
        Failing failing;
        Outcome expected;
        int error; // behind a CannotTell
    };
    const Case cases[] = {
        {"the folder takes no lock", {0, ENOLCK}, Outcome::Taken, 0},
        {"the folder's lock is a write lock on a read-only descriptor", {0, EBADF}, Outcome::Taken, 0},
        {"another holds the folder", {0, EWOULDBLOCK}, Outcome::HeldElsewhere, 0},
        {"no lock manager", {ENOLCK, ENOLCK}, Outcome::CannotTell, ENOLCK},
        {"the lock file's lock is a write lock on a read-only descriptor", {EBADF, 0}, Outcome::CannotTell, EBADF},
        {"another holds the lock file", {EWOULDBLOCK, 0}, Outcome::HeldElsewhere, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        g_failing = c.failing;
        InstanceLock lock(failingFlock);
        EXPECT_STREQ(said(lock.take(dir.path)), said(c.expected));
        if (c.expected == Outcome::CannotTell) {
            EXPECT_EQ(lock.cannotTellError(), c.error);
        }
        g_failing = {};
        InstanceLock next;
        EXPECT_STREQ(said(next.take(dir.path)), c.expected == Outcome::Taken ? "held" : "taken") << "what it kept";
    }
}

// Another account meets the same lock: through a read-only view of the lock file, through the
// folder when the folder takes no lock file from it, and never through a lock file it cannot open.
TEST(InstanceLock, AnotherAccountMeetsTheSameLock) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to start a body as another account";
    }
    struct Case {
        const char* name;
        bool holdHere;        // this process holds the lock meanwhile
        bool withoutLockFile; // the lock file is removed (the folder alone then carries the lock)
        mode_t lockFileMode;  // of the lock file, when there is one
        const char* expected; // what the other account gets
        int folderFails = 0;  // the errno of the other account's lock on the folder, 0: none
    };
    const Case cases[] = {
        {"held: read-only view", true, false, 0644, "held"},
        {"free: read-only view", false, false, 0644, "taken"},
        {"held: no lock file, folder lock", true, true, 0644, "held"},
        {"free: no lock file, folder lock", false, true, 0644, "taken"},
        {"free: private lock file", false, false, 0600, "held"},
        {"free: no lock file, the folder takes no lock", false, true, 0644, "cannot tell", ENOLCK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0); // the other account may not create files here
        InstanceLock here;
        ASSERT_EQ(here.take(dir.path), Outcome::Taken);
        ASSERT_EQ(::chmod(lockFilePath(dir.path).c_str(), c.lockFileMode), 0);
        if (c.withoutLockFile) {
            ASSERT_EQ(::unlink(lockFilePath(dir.path).c_str()), 0);
        }
        if (!c.holdHere) {
            here.release();
        }
        const auto got = OtherUser::run([&] {
            g_failing = {0, c.folderFails};
            InstanceLock there(failingFlock);
            return std::string(said(there.take(dir.path)));
        });
        g_failing = {};
        ASSERT_TRUE(got.has_value()) << "could not switch to another account";
        EXPECT_EQ(*got, c.expected);
    }
}

} // namespace
} // namespace mayorin::persist
