#include "persist/FileText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
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

// Opens path with these flags; a failure to open is a file access error.
int openOrFail(const std::string& path, int flags, mode_t mode = 0) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0) {
        fail("open", path, errno);
    }
    return fd;
}

// The size of the open file fd, which is to be written to: anything but a regular file (a folder,
// a device) is refused.
off_t regularFileSize(int fd, const std::string& path) {
    struct stat sb {};
    if (::fstat(fd, &sb) != 0) {
        fail("stat", path, errno);
    }
    if (!S_ISREG(sb.st_mode)) {
        fail("not a file", path, EISDIR);
    }
    return sb.st_size;
}

// Files the program creates hold the user's private schedule: readable and writable by the
// owner only. A file that exists keeps its mode.
constexpr mode_t kPrivateFile = 0600;

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A folder that will not take a new file from this user: permissions, or a sticky folder
// that keeps another user's file from being replaced.
bool refusedByFolder(int err) {
    return err == EACCES || err == EPERM;
}

// The file a path finally names, following symbolic links (a relative link is relative to
// the link's folder). A link to nothing yet gives the path the file will be created at.
std::string followLinks(const std::string& path) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat sb {};
        if (::lstat(p.c_str(), &sb) != 0 || !S_ISLNK(sb.st_mode)) {
            return p;
        }
        std::string target(static_cast<std::size_t>(sb.st_size > 0 ? sb.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0) {
            fail("readlink", p, errno);
        }
        if (static_cast<std::size_t>(n) >= target.size()) {
            fail("readlink", p, ENAMETOOLONG);
        }
        target.resize(static_cast<std::size_t>(n));
        p = !target.empty() && target[0] == '/' ? target : folderOf(p) + "/" + target;
    }
    fail("open", path, ELOOP);
}

// Creates a folder and the folders above it that are missing, for the owner only.
void makeFolders(const std::string& path) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = at == std::string::npos ? path : path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            fail("mkdir", part, errno);
        }
        if (at == std::string::npos) {
            return;
        }
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
    Fd fd(openOrFail(path, O_WRONLY | O_APPEND | O_CREAT, kPrivateFile));
    if (regularFileSize(fd.get(), path) == 0 && !header.empty()) {
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
    Fd fd(openOrFail(path, O_RDONLY));
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

void rewriteInPlace(const std::string& path, std::string_view bytes) {
    Fd fd(openOrFail(path, O_WRONLY));
    const off_t oldSize = regularFileSize(fd.get(), path);
    const auto size = static_cast<off_t>(bytes.size());
    if (size > oldSize) {
        // A file system that cannot reserve room says so otherwise; only a lack of room stops.
        const int err = ::posix_fallocate(fd.get(), oldSize, size - oldSize);
        if (err == ENOSPC || err == EDQUOT || err == EFBIG) {
            fail("allocate", path, err);
        }
    }
    writeAll(fd.get(), bytes, path);
    if (::ftruncate(fd.get(), size) != 0) {
        fail("truncate", path, errno);
    }
    if (::fsync(fd.get()) != 0) {
        fail("fsync", path, errno);
    }
    if (!fd.close()) {
        fail("close", path, errno);
    }
}

std::string stateFolder() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        base = state;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h != nullptr && h[0] == '/') {
            home = h;
        } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            home = pw->pw_dir;
        }
        if (home.empty()) {
            fail("state folder", "$HOME", ENOENT);
        }
        base = home + "/.local/state";
    }
    return base + "/Mayorin";
}

void replaceFile(const std::string& path, std::string_view bytes, void (*beforeRename)(const std::string&)) {
    // A data file that is a symbolic link stays one: the file it leads to is the one replaced,
    // through a temporary file in that file's own folder.
    const std::string target = followLinks(path);
    if (isReadOnly(target)) {
        fail("read-only", target, EACCES);
    }
    std::string temp = target + ".tmp-XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int err = errno;
        if (refusedByFolder(err) && existsAt(target)) {
            rewriteInPlace(target, bytes);
            return;
        }
        fail("create", temp, err);
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
    // The new file keeps the mode of the file it replaces; a new data file is private.
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : kPrivateFile;
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
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        // A sticky folder lets a file be created but not put over another user's file.
        if (refusedByFolder(err) && existsAt(target)) {
            ::unlink(temp.c_str());
            guard.keep = true;
            rewriteInPlace(target, bytes);
            return;
        }
        fail("rename", target, err);
    }
    guard.keep = true;
    // Make the rename itself durable.
    Fd dirFd(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) {
        ::fsync(dirFd.get());
    }
}

namespace {

// The suffix mkostemp puts on a temporary file: ".tmp-" and six letters or digits.
bool isTemporarySuffix(std::string_view suffix) {
    constexpr std::string_view kTmp = ".tmp-";
    if (suffix.size() != kTmp.size() + 6 || suffix.substr(0, kTmp.size()) != kTmp) {
        return false;
    }
    for (const char c : suffix.substr(kTmp.size())) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

} // namespace

void removeLeftoverTemporaries(const std::string& path) {
    std::string target;
    try {
        target = followLinks(path);
    } catch (...) {
        return;
    }
    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view entry = e->d_name;
        if (entry.size() <= name.size() || entry.substr(0, name.size()) != name ||
            !isTemporarySuffix(entry.substr(name.size()))) {
            continue;
        }
        const std::string leftover = folder + "/" + std::string(entry);
        struct stat sb {};
        // Only files: a link or a folder of that name is nobody's half-done write.
        if (::lstat(leftover.c_str(), &sb) == 0 && S_ISREG(sb.st_mode)) {
            ::unlink(leftover.c_str());
        }
    }
    ::closedir(dir);
}

std::string otherFolderOfTarget(const std::string& path) {
    std::string target;
    try {
        target = followLinks(path);
    } catch (...) {
        return {};
    }
    // Compared as folders, not as names: "a/./b" and "a/b" are one folder.
    struct stat own {};
    struct stat other {};
    const std::string folder = folderOf(target);
    if (::stat(folderOf(path).c_str(), &own) != 0 || ::stat(folder.c_str(), &other) != 0 ||
        (own.st_dev == other.st_dev && own.st_ino == other.st_ino)) {
        return {};
    }
    return folder;
}

namespace {

// Writes a copy under base, or base + "-2", "-3"... when that name is taken. Returns the name,
// or nothing when the folder refuses the new file (*refused then holds why).
std::optional<std::string> copyAs(const std::string& base, std::string_view bytes, int* refused) {
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        // O_EXCL: an older backup is never overwritten.
        Fd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFile));
        if (fd.get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            if (refusedByFolder(errno) || errno == EROFS) {
                *refused = errno;
                return std::nullopt;
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

} // namespace

std::string backupCopy(const std::string& path, const std::string& stamp) {
    const std::string bytes = readWholeFile(path);
    const std::string suffix = ".backup-" + stamp;
    int refused = 0;
    if (auto name = copyAs(path + suffix, bytes, &refused)) {
        return *name;
    }
    // The data file's folder takes no new file: the copy goes to the user's state folder.
    const std::string folder = stateFolder();
    makeFolders(folder);
    const std::string base = folder + "/" + nameOf(path) + suffix;
    if (auto name = copyAs(base, bytes, &refused)) {
        return *name;
    }
    fail("create", base, refused);
}

} // namespace mayorin::persist::detail
