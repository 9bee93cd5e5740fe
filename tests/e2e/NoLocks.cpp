// Preloaded into the program by the end-to-end tests: a folder whose file system takes no locks,
// as a network mount whose lock manager is not running. Every flock on the folder named by
// MAYORIN_NO_LOCKS_DIR, or on a file directly in it, fails with ENOLCK; elsewhere (the settings
// folder) locks work as usual.

#include <dlfcn.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace {

// True when fd is the folder or a file directly in it.
bool inFolder(int fd) {
    const char* dir = std::getenv("MAYORIN_NO_LOCKS_DIR");
    if (dir == nullptr) {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[4096];
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n <= 0) {
        return false;
    }
    path[n] = '\0';
    const char* slash = std::strrchr(path, '/');
    const std::size_t parent = slash == nullptr ? 0 : static_cast<std::size_t>(slash - path);
    return std::strcmp(path, dir) == 0 || (parent == std::strlen(dir) && std::strncmp(path, dir, parent) == 0);
}

} // namespace

extern "C" int flock(int fd, int operation) {
    using Flock = int (*)(int, int);
    static const auto real = reinterpret_cast<Flock>(::dlsym(RTLD_NEXT, "flock"));
    if (inFolder(fd)) {
        errno = ENOLCK;
        return -1;
    }
    return real(fd, operation);
}
