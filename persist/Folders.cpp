#include "persist/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace mayorin::persist {

namespace {

constexpr const char* kFolderName = "mayorin";

// The program's folder as AppDir holds it: without one trailing separator.
std::string withoutTrailingSeparator(std::string folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    return folder;
}

bool absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Makes path and every missing folder above it with mode 0700. Returns errno of the first
// failure, 0 when it is there.
int makeFolders(const std::string& path) {
    if (isFolder(path)) {
        return 0;
    }
    if (const auto slash = path.rfind('/'); slash != std::string::npos && slash > 0) {
        if (const int parent = makeFolders(path.substr(0, slash)); parent != 0) {
            return parent;
        }
    }
    if (::mkdir(path.c_str(), 0700) != 0) {
        const int error = errno;
        if (error == EEXIST) {
            return isFolder(path) ? 0 : ENOTDIR;
        }
        return error;
    }
    // The umask takes bits away only; a mode of 0700 is kept whatever it is.
    ::chmod(path.c_str(), 0700);
    return 0;
}

} // namespace

DataPlace builtDataPlace() {
#ifdef MAYORIN_DATA_IN_HOME
    return DataPlace::AccountHome;
#else
    return DataPlace::BesideProgram;
#endif
}

std::string dataFolderOf(const std::string& programFolder, DataPlace place, const char* xdgDataHome, const char* home) {
    if (place == DataPlace::BesideProgram) {
        return withoutTrailingSeparator(programFolder);
    }
    if (absolute(xdgDataHome)) {
        return withoutTrailingSlashes(xdgDataHome) + "/" + kFolderName;
    }
    if (absolute(home)) {
        return withoutTrailingSlashes(home) + "/.local/share/" + kFolderName;
    }
    return "";
}

DataFolder openDataFolder(const std::string& programFolder, DataPlace place, const char* xdgDataHome,
                          const char* home) {
    const std::string path = dataFolderOf(programFolder, place, xdgDataHome, home);
    if (place == DataPlace::BesideProgram) {
        return {path, ""};
    }
    if (path.empty()) {
        return {"", "データの保存場所が決まりません。環境変数 HOME が設定されていません。"};
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        return {"", "データの保存場所がフォルダではありません: " + path};
    }
    if (const int error = makeFolders(path); error != 0) {
        return {"", "データの保存場所のフォルダを作れませんでした: " + path + "（" + std::strerror(error) + "）"};
    }
    return {path, ""};
}

std::string dataFolderOf(const std::string& programFolder) {
    return dataFolderOf(programFolder, builtDataPlace(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

DataFolder openDataFolder(const std::string& programFolder) {
    return openDataFolder(programFolder, builtDataPlace(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool startsAtLogIn() {
    return builtDataPlace() == DataPlace::BesideProgram || isFolder(dataFolderOf(""));
}

std::string programFile(const std::string& programFolder, const std::string& name) {
    const std::string beside = programFolder + "/" + name;
    if (isFile(beside)) {
        return beside;
    }
    if (const auto slash = programFolder.rfind('/'); slash != std::string::npos) {
        const std::string shared = programFolder.substr(0, slash) + "/share/" + kFolderName + "/" + name;
        if (isFile(shared)) {
            return shared;
        }
    }
    return beside;
}

} // namespace mayorin::persist
