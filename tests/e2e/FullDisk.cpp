// Preloaded into the program by the end-to-end tests: a disk that fails under the program. Once
// the file ".disk-full" exists in the folder named by MAYORIN_FULL_DISK_DIR, every write to a file
// in that folder fails as on a full disk (ENOSPC); once ".disk-hung" exists there, a sync of a file
// in that folder never returns, as on a network share that went away. Files elsewhere (the
// settings) are written as usual.

#include <dlfcn.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// True when marker exists in the folder and fd is a file in that folder.
bool failing(int fd, const char* marker) {
    const char* dir = std::getenv("MAYORIN_FULL_DISK_DIR");
    if (dir == nullptr) {
        return false;
    }
    char path[4096];
    std::snprintf(path, sizeof path, "%s/%s", dir, marker);
    if (::access(path, F_OK) != 0) {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n <= 0) {
        return false;
    }
    path[n] = '\0';
    const std::size_t len = std::strlen(dir);
    return std::strncmp(path, dir, len) == 0 && path[len] == '/';
}

} // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t count) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto real = reinterpret_cast<Write>(::dlsym(RTLD_NEXT, "write"));
    if (count > 0 && failing(fd, ".disk-full")) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd, buf, count);
}

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    while (failing(fd, ".disk-hung")) {
        ::pause();
    }
    return real(fd);
}
