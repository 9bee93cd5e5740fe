#pragma once

#include <string>

// Where the program's data lies, and where its chime and help lie.
namespace mayorin::notify {

// Where a build keeps the data file, the log folder and the lock.
enum class DataPlace {
    BesideProgram, // in the directory of the executable (a build from source, run where it is)
    AccountHome,   // in each account's $XDG_DATA_HOME/mayorin (the Debian package)
};

// The folder AppDir is set to, or why there is none.
struct DataFolder {
    std::string path;  // without a trailing separator; empty when error is set
    std::string error; // a text for the user, empty when the folder is there to use
};

// The data folder of this place: the directory of the executable, or $XDG_DATA_HOME/mayorin, by
// default ~/.local/share/mayorin. An XDG_DATA_HOME that is empty or not absolute does not count;
// without an absolute HOME either the result is empty. Nothing is looked at on disk.
std::string dataFolderOf(const std::string& exeDir, DataPlace place, const char* xdgDataHome, const char* home);

// The data folder, made at the first start. An account's folder that is missing is made with mode
// 0700, and so is each missing folder above it; a folder that is there keeps its mode. Nothing is
// ever made beside the program.
DataFolder openDataFolder(const std::string& exeDir, DataPlace place, const char* xdgDataHome, const char* home);

// The file of the program's own (the chime, the help) named name: beside the executable when it is
// there, else in share/mayorin beside the executable's bin folder when it is there, else the path
// beside the executable, which then names the missing file.
std::string programFile(const std::string& programDir, const std::string& name);

} // namespace mayorin::notify
