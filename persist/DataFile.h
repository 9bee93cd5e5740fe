#pragma once

#include <string>
#include <string_view>

#include "core/Env.h"

// The data file "Mayorin。保存.txt" beside the program: the name history of both sides and every
// pending reservation, code page 932, CR LF.
namespace mayorin::persist {

std::string dataFilePath(const core::State& st);

void kakikomi01(core::Env& env); // "kakikomi01 M4　保存"
// The same write without its log line, which records what the user did: keeps the rows a tick
// has rescheduled or removed, so that a notice already given is not given again after a crash.
void kakikomiAfterNotice(core::Env& env); // "kakikomi01 M4　保存"
// Reads the data file into the empty store. True when no failure was reported on the way (a
// missing file included); false when the read or a line stopped on an error, and the tables then
// do not hold what the file holds.
bool yomikomi01(core::Env& env);                        // "yomikomi01 M4　読込"
void yomikomi02(core::Env& env, std::string_view line); // "yomikomi02 M4　読込仕分"

// Removes the temporary files that writes of the data file left when they were killed half-way.
// Only for the holder of the program folder's lock: no live instance owns them then.
void removeLeftoverTemporaries(const core::State& st);

// The folder the data file really lives in when it is a link into another folder; "" when it
// lives in the program folder. Another program folder may link its data file there too.
std::string linkedDataFolder(const core::State& st);

} // namespace mayorin::persist
