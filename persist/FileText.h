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

// Appends bytes to a file in one write, creating it when missing. When the file is empty
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
// An existing file without write permission is refused. beforeRename, when set, runs after the
// temporary file is complete and before the rename (tests use it to stop a write half-way).
void replaceFile(const std::string& path, std::string_view bytes, void (*beforeRename)(const std::string&) = nullptr);

// Copies a file beside itself as path + ".backup-YYYYMMDD-hhmmss" (a suffix "-2", "-3"... when
// that name is taken); returns the backup's path.
std::string backupCopy(const std::string& path, const std::string& stamp);

} // namespace mayorin::persist::detail
