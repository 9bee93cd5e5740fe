#include "persist/InstanceLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <fcntl.h>
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
    EXPECT_TRUE(std::filesystem::exists(lockFilePath(dir.path))) << "the file stays; only the lock goes";
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
    };
    const Case cases[] = {
        {"held: read-only view", true, false, 0644, "held"},
        {"free: read-only view", false, false, 0644, "taken"},
        {"held: no lock file, folder lock", true, true, 0644, "held"},
        {"free: no lock file, folder lock", false, true, 0644, "taken"},
        {"free: private lock file", false, false, 0600, "held"},
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
            InstanceLock there;
            return std::string(there.take(dir.path) == Outcome::Taken ? "taken" : "held");
        });
        ASSERT_TRUE(got.has_value()) << "could not switch to another account";
        EXPECT_EQ(*got, c.expected);
    }
}

} // namespace
} // namespace mayorin::persist
