#pragma once

#include <string>
#include <string_view>

#include "platform/CodePage.h"

// Small file helpers shared by the data file and the operation log. Failures throw the file
// access failure (code 75).
namespace mayorin::persist::detail {

// Encodes UTF-8 text as code page 932; a character without a code page 932 form is written
// as "?", as the system's own conversion does.
std::string encodeLossy(const platform::CodePage& cp, std::string_view utf8);

// Appends bytes to a file in one write, creating it when missing (for the owner only). When the file is empty
// before the append, header is written first (in the same write).
void appendToFile(const std::string& path, std::string_view header, std::string_view bytes);

// The whole content of a file.
std::string readWholeFile(const std::string& path);

// True when anything (file, folder or other) exists at path.
bool existsAt(const std::string& path);

// Creates one folder; an existing folder is fine.
void makeFolder(const std::string& path);

// Writes bytes to path through a temporary file in the same folder, flushed to disk, then
// renamed over path in one step: a failure at any point leaves the previous file as it was.
// A path that is a symbolic link keeps the link: the file it leads to is replaced, through a
// temporary file in that file's folder. A folder that refuses the temporary file (or the
// rename) gets an existing file rewritten in place, whole content then flush. An existing file
// keeps its mode; a new one is readable and writable by its owner only. An existing file
// without write permission is refused. beforeRename, when set, runs after the temporary file is
// complete and before the rename (tests use it to stop a write half-way).
void replaceFile(const std::string& path, std::string_view bytes, void (*beforeRename)(const std::string&) = nullptr);

// Removes the temporary files replaceFile left beside path's file when it was stopped half-way
// (the process killed): regular files named like path's file + ".tmp-" + six letters or digits.
// Only the holder of the data folder's lock may call it: then no live writer owns them. Files
// that cannot be removed stay; nothing is reported.
void removeLeftoverTemporaries(const std::string& path);

// The folder of the file path finally names, its links followed, when that is another folder
// than path's own; "" when it is the same folder or the links cannot be read.
std::string otherFolderOfTarget(const std::string& path);

// Rewrites an existing file where it stands, for a folder that refuses a temporary file: the
// whole content, then a flush. Room for a longer content is taken before the first byte is
// overwritten, so a full disk leaves the old content as it was.
void rewriteInPlace(const std::string& path, std::string_view bytes);

// Copies a file beside itself as path + ".backup-YYYYMMDD-hhmmss" (a suffix "-2", "-3"... when
// that name is taken), readable and writable by the owner only; returns the backup's path.
// When the file's folder refuses the copy it goes, under the same name, to stateFolder().
std::string backupCopy(const std::string& path, const std::string& stamp);

// The user's state folder for this program: $XDG_STATE_HOME/Mayorin, by default
// ~/.local/state/Mayorin.
std::string stateFolder();

} // namespace mayorin::persist::detail
