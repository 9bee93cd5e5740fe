// Preloaded into the program by the end-to-end tests: once the file ".disk-full" exists in the
// folder named by MAYORIN_FULL_DISK_DIR, every write to a file in that folder fails as on a full
// disk (ENOSPC). Files elsewhere (the settings) are written as usual.

#include <dlfcn.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

bool diskFull(int fd) {
    const char* dir = std::getenv("MAYORIN_FULL_DISK_DIR");
    if (dir == nullptr) {
        return false;
    }
    char path[4096];
    std::snprintf(path, sizeof path, "%s/.disk-full", dir);
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
    if (count > 0 && diskFull(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd, buf, count);
}
