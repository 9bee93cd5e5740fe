#include "persist/ErrorReporter.h"

#include <array>

#include "core/Calendar.h"
#include "core/Failure.h"

namespace mayorin::persist {

namespace {

constexpr const char* kCrLf = "\r\n";

// ErrorCount grows by n but stays a 16-bit count.
void addErrors(core::State& st, int n) {
    const int sum = st.ErrorCount + n;
    st.ErrorCount = static_cast<std::int16_t>(sum > 32767 ? 32767 : sum);
}

} // namespace

std::string composeErrorMessage(std::string_view location, int code, std::string_view description) {
    std::array<std::string, 11> slot;
    slot[0] = std::string("【エラーが発生しました。】") + kCrLf;
    slot[1] = "　エラー番号　" + std::string(code >= 0 ? " " : "") + std::to_string(code);
    slot[2] = "　エラー内容　" + std::string(description);
    slot[8] = "このエラーが回避出来ない場合や疑問が有る場合は作者に連絡してください。";
    slot[10] = std::string("　作者　") + core::kAuthorName + "　" + core::kAuthorAddress;

    if (code == core::kFileAccess) {
        const std::string name = location.substr(0, 6) == "kiloku" ? "「Mayorin。ログ.txt」" : "「Mayorin。保存.txt」";
        slot[6] = name + "の属性が[読み取り専用]となっている場合に発生することが確認されています。" + kCrLf + name +
                  "のプロパティを開いて[読み取り専用]にチェックが入っていませんか?。";
    } else if (code == core::kCannotUnload) {
        slot[6] = " 致命的なエラーが発生したため強制終了してください。";
        slot[8].clear();
    } else {
        slot[0] = std::string("【予期しないエラーが発生しました。】") + kCrLf;
        slot[3] = "　発生場所　" + std::string(location);
        slot[5] = std::string("　ご使用の環境") + kCrLf + "　" + core::kTitle + "　Ver " +
                  std::to_string(core::kMajor) + "." + std::to_string(core::kMinor) + "." +
                  std::to_string(core::kRevision);
        slot[8].clear();
        slot[9] = std::string("　この内容を作者に知らせてください。") + kCrLf;
    }

    std::string message;
    for (const auto& s : slot) {
        message += s;
        message += kCrLf;
    }
    return message;
}

void ErrorReporter::ReportError(std::string_view location, int code, std::string_view description) {
    core::State& st = m_env.st;
    if (m_reporting) {
        // A failure while a report is under way: in practice the report's own log line could not
        // be written. Reporting it the usual way would log again and fail again, without end.
        // It is counted and shown once, without a log line; the report under way then finishes
        // and closes the program as usual.
        if (m_extraShown) {
            return;
        }
        m_extraShown = true;
        addErrors(st, code == core::kCannotUnload ? 11 : 1);
        st.MessageMode = 1;
        st.MessageText = composeErrorMessage(location, code, description);
        m_dialog.showMessageDialog();
        return;
    }

    struct Reporting {
        ErrorReporter& r;
        explicit Reporting(ErrorReporter& rep) : r(rep) {
            r.m_reporting = true;
            r.m_extraShown = false;
        }
        ~Reporting() { r.m_reporting = false; }
    } reporting(*this);

    const std::string message = composeErrorMessage(location, code, description);
    addErrors(st, code == core::kCannotUnload ? 11 : 1);

    st.MessageMode = 1;
    st.MessageText = message;
    m_dialog.showMessageDialog();

    m_env.log.kiloku("※エラー," + core::dateTimeText(m_env) + ",,,エラー" + std::to_string(code) + ",発生場所" +
                     std::string(location) + ",操作" + std::to_string(st.ErrorCount) + ",,,");

    m_resident.requestClose();
}

} // namespace mayorin::persist
