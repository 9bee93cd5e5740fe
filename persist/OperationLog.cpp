#include "persist/OperationLog.h"

#include "core/Guard.h"
#include "persist/FileText.h"
#include "persist/Settings.h"

namespace mayorin::persist {

namespace {

constexpr const char* kKilokuLocation = "kiloku M4　ログのパスを指定";
constexpr const char* kKiloku2Location = "kiloku2 M4　ログの保存中";

constexpr const char* kLogFolder = "Mayorin。ログ";
constexpr const char* kCrLf = "\r\n";

// The two lines a new month file opens with.
std::string headerLines() {
    return std::string("'このファイルは「") + core::kTitle + "」 Ver" + std::to_string(core::kMajor) + "." +
           std::to_string(core::kMinor) + "." + std::to_string(core::kRevision) + "から記録されたログファイルです。" +
           kCrLf + "'" + kCrLf;
}

} // namespace

void OperationLog::kiloku(std::string_view line) {
    core::guarded(m_env.errors, kKilokuLocation, [&] {
        // Logging is on unless the option reads exactly "False"; off means no folder either.
        if (!optionOn(m_env.settings, Option::Log)) {
            return;
        }
        const platform::LocalTime now = core::presentTime(m_env);
        const std::string y = std::to_string(now.year);
        const std::string m = std::to_string(now.month);

        const std::string folder1 = m_env.st.AppDir + "/" + kLogFolder;
        if (!detail::existsAt(folder1)) {
            detail::makeFolder(folder1);
        }
        const std::string folder2 = folder1 + "/" + y + "年";
        if (!detail::existsAt(folder2)) {
            detail::makeFolder(folder2);
        }
        kiloku2(folder2 + "/" + kLogFolder + y + "年" + m + "月", line);
    });
}

void OperationLog::kiloku2(const std::string& base, std::string_view line) {
    core::guarded(m_env.errors, kKiloku2Location, [&] {
        std::string text(line);
        text += kCrLf;
        detail::appendToFile(base + ".txt", detail::encodeLossy(m_env.codePage, headerLines()),
                             detail::encodeLossy(m_env.codePage, text));
    });
}

} // namespace mayorin::persist
