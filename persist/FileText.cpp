#include "persist/FileText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Failure.h"

namespace mayorin::persist::detail {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    core::throwFileAccess(what + " " + path + ": " + std::strerror(err));
}

// A file nobody may write to is read-only, also for a user the system would let through anyway.
bool isReadOnly(const std::string& path) {
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0) {
        return false;
    }
    return (sb.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports whether the close went well.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("write", path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

} // namespace

std::string encodeLossy(const platform::CodePage& cp, std::string_view utf8) {
    std::string out;
    while (true) {
        std::size_t bad = 0;
        if (auto bytes = cp.encode(utf8, &bad)) {
            out += *bytes;
            return out;
        }
        // Convert what comes before the character, write "?" for it, go on after it.
        if (bad > 0) {
            if (auto head = cp.encode(utf8.substr(0, bad))) {
                out += *head;
            } else {
                out.append(bad, '?');
            }
        }
        out += '?';
        const std::size_t skip = bad < utf8.size() ? utf8Length(static_cast<unsigned char>(utf8[bad])) : 1;
        if (bad + skip >= utf8.size()) {
            return out;
        }
        utf8.remove_prefix(bad + skip);
    }
}

void appendToFile(const std::string& path, std::string_view header, std::string_view bytes) {
    if (isReadOnly(path)) {
        fail("read-only", path, EACCES);
    }
    Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        fail("open", path, errno);
    }
    struct stat sb {};
    if (::fstat(fd.get(), &sb) != 0) {
        fail("stat", path, errno);
    }
    if (!S_ISREG(sb.st_mode)) {
        fail("not a file", path, EISDIR);
    }
    if (sb.st_size == 0 && !header.empty()) {
        std::string all;
        all.reserve(header.size() + bytes.size());
        all.append(header);
        all.append(bytes);
        writeAll(fd.get(), all, path);
    } else {
        writeAll(fd.get(), bytes, path);
    }
    if (!fd.close()) {
        fail("close", path, errno);
    }
}

std::string readWholeFile(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail("open", path, errno);
    }
    struct stat sb {};
    if (::fstat(fd.get(), &sb) != 0) {
        fail("stat", path, errno);
    }
    if (S_ISDIR(sb.st_mode)) {
        fail("read", path, EISDIR);
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(sb.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("read", path, errno);
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

bool existsAt(const std::string& path) {
    struct stat sb {};
    return ::lstat(path.c_str(), &sb) == 0;
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        fail("mkdir", path, errno);
    }
}

void replaceFile(const std::string& path, std::string_view bytes, void (*beforeRename)(const std::string&)) {
    if (isReadOnly(path)) {
        fail("read-only", path, EACCES);
    }
    std::string temp = path + ".tmp-XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        fail("create", temp, errno);
    }
    // Remove the temporary file on any failure; the previous file stays as it was.
    struct TempGuard {
        const std::string& name;
        bool keep = false;
        ~TempGuard() {
            if (!keep) {
                ::unlink(name.c_str());
            }
        }
    } guard{temp};
    writeAll(fd.get(), bytes, temp);
    // The new file takes the permissions an ordinary new file would get, or those of the file it replaces.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd.get(), mode) != 0) {
        fail("chmod", temp, errno);
    }
    if (::fsync(fd.get()) != 0) {
        fail("fsync", temp, errno);
    }
    if (!fd.close()) {
        fail("close", temp, errno);
    }
    if (beforeRename) {
        beforeRename(temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        fail("rename", path, errno);
    }
    guard.keep = true;
    // Make the rename itself durable.
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) {
        ::fsync(dirFd.get());
    }
}

std::string backupCopy(const std::string& path, const std::string& stamp) {
    const std::string bytes = readWholeFile(path);
    const std::string base = path + ".backup-" + stamp;
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        // O_EXCL: an older backup is never overwritten.
        Fd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            fail("create", name, errno);
        }
        writeAll(fd.get(), bytes, name);
        if (::fsync(fd.get()) != 0 || !fd.close()) {
            fail("write", name, errno);
        }
        return name;
    }
}

} // namespace mayorin::persist::detail
