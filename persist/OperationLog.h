#pragma once

#include <string>
#include <string_view>

#include "core/Env.h"
#include "platform/LogSink.h"

namespace mayorin::persist {

// The monthly operation log: "Mayorin。ログ/<Y>年/Mayorin。ログ<Y>年<M>月.txt" in AppDir,
// code page 932, CR LF, a two-line header in a new file, every line appended and closed at once.
class OperationLog final : public platform::LogSink {
public:
    // env may still be under construction; it is used only when a line is written.
    explicit OperationLog(core::Env& env) : m_env(env) {}

    void kiloku(std::string_view line) override;       // "kiloku M4　ログのパスを指定"
    void kiloku2(const std::string& base, std::string_view line); // "kiloku2 M4　ログの保存中"

private:
    core::Env& m_env;
};

} // namespace mayorin::persist
