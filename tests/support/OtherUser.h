#pragma once

#include <functional>
#include <optional>
#include <string>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mayorin::test {

// Root ignores file permissions, so a test about a folder or file the user may not write runs
// its body as another user: as root, in a child process under uid and gid 65534; as anyone
// else, in this process as that user.
struct OtherUser {
    static constexpr uid_t kNobody = 65534;

    // The user the body runs as: the owner to give the files it may write.
    static uid_t uid() { return ::geteuid() == 0 ? kNobody : ::geteuid(); }
    static gid_t gid() { return ::geteuid() == 0 ? kNobody : ::getegid(); }

    // Runs body as that user and returns its text, or nothing when the switch of user failed
    // (the test then skips). The child ends with _exit, so no destructor of the test's objects
    // (temporary folders among them) runs twice.
    static std::optional<std::string> run(const std::function<std::string()>& body) {
        if (::geteuid() != 0) {
            return body();
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            return std::nullopt;
        }
        const pid_t pid = ::fork();
        if (pid < 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            return std::nullopt;
        }
        if (pid == 0) {
            ::close(fds[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(3);
            }
            const std::string out = body();
            std::size_t done = 0;
            while (done < out.size()) {
                const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
                if (n <= 0) {
                    ::_exit(4);
                }
                done += static_cast<std::size_t>(n);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string out;
        char buf[4096];
        ssize_t n = 0;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) {
            out.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return std::nullopt;
        }
        return out;
    }
};

} // namespace mayorin::test
