#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/Env.h"
#include "core/State.h"
#include "persist/OperationLog.h"
#include "persist/WindowHooks.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace mayorin::test {

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string golden(const std::string& name) {
    return readBytes(std::string(MAYORIN_TEST_DATA) + "/persist/" + name);
}

// Program state in a temporary AppDir with the real operation log and code page 932; the other
// platform interfaces are fakes. The clock reads 7 December 2026 04:50:12 (a Monday).
struct FileEnv {
    FileEnv() {
        core::fillWeekdayNames(st);
        st.AppDir = dir.path;
        clock.set(2026, 12, 7, 4, 50, 12);
    }

    std::string cp932(const std::string& utf8) const { return *codePage.encode(utf8); }
    std::string logPath(const std::string& year, const std::string& month) const {
        return dir.path + "/Mayorin。ログ/" + year + "年/Mayorin。ログ" + year + "年" + month + "月.txt";
    }

    TempDir dir;
    core::State st;
    FakeClock clock;
    platform::IconvCodePage codePage;
    RecordingErrors errors;
    ScriptedMessages messages;
    FakeSettings settings;
    persist::OperationLog oplog{env};
    core::Env env{st, clock, codePage, errors, messages, oplog, settings};
};

} // namespace mayorin::test
