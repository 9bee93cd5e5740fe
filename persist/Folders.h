#pragma once

#include <string>

// Where the program's files lie: the data folder (the data file, the log folder and the lock) and
// the program's folder (the executable, with its chime and help beside it or in share/mayorin).
// The data folder is decided here only: by the build, the account's environment and the program's
// folder.
namespace mayorin::persist {

// Where a build keeps the data file, the log folder and the lock.
enum class DataPlace {
    BesideProgram, // in the program's folder (a build from source, run where it is)
    AccountHome,   // in each account's $XDG_DATA_HOME/mayorin (the Debian package)
};

// This build's place: AccountHome when it was built with MAYORIN_DATA_IN_HOME (the Debian package,
// build option MAYORIN_PACKAGE), else BesideProgram.
DataPlace builtDataPlace();

// The data folder AppDir is set to, or why there is none.
struct DataFolder {
    std::string path;  // without a trailing separator; empty when error is set
    std::string error; // a text for the user, empty when the folder is there to use
};

// The data folder of this place: the program's folder without a trailing separator, or
// $XDG_DATA_HOME/mayorin, by default ~/.local/share/mayorin. An XDG_DATA_HOME that is empty or not
// absolute does not count; without an absolute HOME either the result is empty. Nothing is looked
// at on disk.
std::string dataFolderOf(const std::string& programFolder, DataPlace place, const char* xdgDataHome, const char* home);

// The data folder, made at the first start. An account's folder that is missing is made with mode
// 0700, and so is each missing folder above it; a folder that is there keeps its mode. Nothing is
// ever made beside the program.
DataFolder openDataFolder(const std::string& programFolder, DataPlace place, const char* xdgDataHome, const char* home);

// The same two for this build, in this process's environment ($XDG_DATA_HOME, $HOME).
std::string dataFolderOf(const std::string& programFolder);
DataFolder openDataFolder(const std::string& programFolder);

// Whether a start from the log-in entry goes on. The package's entry runs for every account: it
// starts the program only for an account that has used it, whose data folder is there. Beside the
// program it always does.
bool startsAtLogIn();

// The file of the program's own (the chime, the help) named name: beside the executable in
// programFolder when it is there, else in share/mayorin beside the executable's bin folder when it
// is there, else the path beside the executable, which then names the missing file.
std::string programFile(const std::string& programFolder, const std::string& name);

} // namespace mayorin::persist
