#include "persist/ErrorReporter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include "persist/OperationLog.h"
#include "tests/persist/PersistFixture.h"
#include "tests/support/TestEnv.h"

namespace mayorin::persist {
namespace {

constexpr const char* kContact = "　作者　Mayorin developers　https://mayorin.example/\r\n";

TEST(ErrorMessage, ElevenSlotsByCode) {
    struct Case {
        const char* location;
        int code;
        const char* description;
        std::string message;
    };
    const std::string readOnlyData =
        "「Mayorin。保存.txt」の属性が[読み取り専用]となっている場合に発生することが確認されています。\r\n"
        "「Mayorin。保存.txt」のプロパティを開いて[読み取り専用]にチェックが入っていませんか?。\r\n";
    const std::string readOnlyLog =
        "「Mayorin。ログ.txt」の属性が[読み取り専用]となっている場合に発生することが確認されています。\r\n"
        "「Mayorin。ログ.txt」のプロパティを開いて[読み取り専用]にチェックが入っていませんか?。\r\n";
    const std::string askAuthor = "このエラーが回避出来ない場合や疑問が有る場合は作者に連絡してください。\r\n";
    const std::vector<Case> cases = {
        {"kakikomi01 M4　保存", 75, "書き込めません。",
         "【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n　エラー内容　書き込めません。\r\n\r\n\r\n\r\n" +
             readOnlyData + "\r\n" + askAuthor + "\r\n" + kContact},
        {"kiloku2 M4　ログの保存中", 75, "x",
         "【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n　エラー内容　x\r\n\r\n\r\n\r\n" + readOnlyLog +
             "\r\n" + askAuthor + "\r\n" + kContact},
        {"kiloku M4　ログのパスを指定", 75, "x",
         "【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n　エラー内容　x\r\n\r\n\r\n\r\n" + readOnlyLog +
             "\r\n" + askAuthor + "\r\n" + kContact},
        {"kilok M4", 75, "x",
         "【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n　エラー内容　x\r\n\r\n\r\n\r\n" + readOnlyData +
             "\r\n" + askAuthor + "\r\n" + kContact},
        {"Form_Unload F4", 365, "閉じられません。",
         "【エラーが発生しました。】\r\n\r\n　エラー番号　 365\r\n　エラー内容　閉じられません。\r\n\r\n\r\n\r\n"
         " 致命的なエラーが発生したため強制終了してください。\r\n\r\n\r\n\r\n" +
             std::string(kContact)},
        {"hyouji12 M2", 9, "インデックスが有効範囲にありません。",
         "【予期しないエラーが発生しました。】\r\n\r\n　エラー番号　 9\r\n"
         "　エラー内容　インデックスが有効範囲にありません。\r\n　発生場所　hyouji12 M2\r\n\r\n"
         "　ご使用の環境\r\n　Mayorin。　Ver 1.1.68\r\n\r\n\r\n\r\n"
         "　この内容を作者に知らせてください。\r\n\r\n" +
             std::string(kContact)},
        {"genByou M1", -5, "",
         "【予期しないエラーが発生しました。】\r\n\r\n　エラー番号　-5\r\n　エラー内容　\r\n　発生場所　genByou "
         "M1\r\n\r\n"
         "　ご使用の環境\r\n　Mayorin。　Ver 1.1.68\r\n\r\n\r\n\r\n　この内容を作者に知らせてください。\r\n\r\n" +
             std::string(kContact)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(composeErrorMessage(c.location, c.code, c.description), c.message) << c.location;
    }
}

// What the reporter's collaborators saw, in order.
struct Recorder final : MessageDialogHost, ResidentHost, platform::LogSink {
    explicit Recorder(core::State& s) : st(s) {}
    void showMessageDialog() override {
        events.push_back("dialog " + std::to_string(st.MessageMode) + " count " + std::to_string(st.ErrorCount));
        texts.push_back(st.MessageText);
    }
    void requestClose() override { events.push_back("close"); }
    void kiloku(std::string_view line) override {
        events.push_back("log " + std::string(line));
        if (onLog) {
            onLog();
        }
    }
    core::State& st;
    std::vector<std::string> events;
    std::vector<std::string> texts;
    std::function<void()> onLog;
};

struct ReporterEnv {
    ReporterEnv() { t.clock.set(2026, 12, 7, 4, 50, 12); }
    test::TestEnv t;
    Recorder rec{t.st};
    core::Env env{t.st, t.clock, t.codePage, reporter, t.messages, rec, t.settings};
    ErrorReporter reporter{env, rec, rec};
};

TEST(ErrorReporter, CountsShowsThenLogsThenAsksToClose) {
    ReporterEnv r;
    r.reporter.ReportError("kakikomi01 M4　保存", 75, "書き込めません。");
    EXPECT_EQ(r.rec.events,
              (std::vector<std::string>{
                  "dialog 1 count 1",
                  "log ※エラー, 2026/12/07(月),04:50:12,,,エラー75,発生場所kakikomi01 M4　保存,操作1,,,", "close"}));
    EXPECT_EQ(r.rec.texts[0], composeErrorMessage("kakikomi01 M4　保存", 75, "書き込めません。"));
    EXPECT_EQ(r.t.st.MessageMode, 1);

    r.rec.events.clear();
    r.reporter.ReportError("Form_Unload F4", 365, "閉じられません。");
    EXPECT_EQ(r.t.st.ErrorCount, 12);
    EXPECT_EQ(r.rec.events,
              (std::vector<std::string>{
                  "dialog 1 count 12",
                  "log ※エラー, 2026/12/07(月),04:50:12,,,エラー365,発生場所Form_Unload F4,操作12,,,", "close"}));
}

TEST(ErrorReporter, FailingErrorLogLineIsReportedOnceWithoutALoop) {
    ReporterEnv r;
    int logAttempts = 0;
    // A log that fails every time, as a read-only log file does.
    r.rec.onLog = [&] {
        ++logAttempts;
        r.reporter.ReportError("kiloku2 M4　ログの保存中", 75, "書き込めません。");
    };
    r.reporter.ReportError("kakikomi01 M4　保存", 75, "書き込めません。");
    EXPECT_EQ(logAttempts, 1);
    EXPECT_EQ(r.t.st.ErrorCount, 2);
    ASSERT_EQ(r.rec.texts.size(), 2u);
    EXPECT_NE(r.rec.texts[1].find("「Mayorin。ログ.txt」"), std::string::npos);
    EXPECT_EQ(r.rec.events, (std::vector<std::string>{
                                "dialog 1 count 1",
                                "log ※エラー, 2026/12/07(月),04:50:12,,,エラー75,発生場所kakikomi01 M4　保存,操作1,,,",
                                "dialog 1 count 2", "close"}));

    // A later report (for example from the shut-down) again shows at most one extra dialog.
    r.rec.events.clear();
    r.reporter.ReportError("kiloku2 M4　ログの保存中", 75, "書き込めません。");
    EXPECT_EQ(logAttempts, 2);
    EXPECT_EQ(r.t.st.ErrorCount, 4);
    EXPECT_EQ(r.rec.events,
              (std::vector<std::string>{
                  "dialog 1 count 3",
                  "log ※エラー, 2026/12/07(月),04:50:12,,,エラー75,発生場所kiloku2 M4　ログの保存中,操作3,,,",
                  "dialog 1 count 4", "close"}));
}

TEST(ErrorReporter, SeveralFailuresDuringOneReportShowOneExtraDialog) {
    ReporterEnv r;
    r.rec.onLog = [&] {
        for (int i = 0; i < 5; ++i) {
            r.reporter.ReportError("kiloku2 M4　ログの保存中", 75, "x");
        }
    };
    r.reporter.ReportError("tuika_mein M2", 6, "オーバーフローしました。");
    EXPECT_EQ(r.t.st.ErrorCount, 2);
    EXPECT_EQ(r.rec.texts.size(), 2u);
}

TEST(ErrorReporter, ReadOnlyLogFileEndToEnd) {
    // The real log writing to a read-only file; its failure comes back into the reporter.
    struct Wired {
        test::FileEnv f;
        Recorder rec{f.st};
        OperationLog log{env};
        ErrorReporter reporter{env, rec, rec};
        core::Env env{f.st, f.clock, f.codePage, reporter, f.messages, log, f.settings};
    } w;
    std::filesystem::create_directories(w.f.dir.path + "/Mayorin。ログ/2026年");
    test::writeBytes(w.f.logPath("2026", "12"), "old\r\n");
    ::chmod(w.f.logPath("2026", "12").c_str(), 0444);

    w.reporter.ReportError("kakikomi01 M4　保存", 75, "書き込めません。");
    EXPECT_EQ(w.f.st.ErrorCount, 2);
    ASSERT_EQ(w.rec.texts.size(), 2u);
    EXPECT_NE(w.rec.texts[0].find("「Mayorin。保存.txt」"), std::string::npos);
    EXPECT_NE(w.rec.texts[1].find("「Mayorin。ログ.txt」"), std::string::npos);
    EXPECT_EQ(w.rec.events, (std::vector<std::string>{"dialog 1 count 1", "dialog 1 count 2", "close"}));
    EXPECT_EQ(test::readBytes(w.f.logPath("2026", "12")), "old\r\n");
}

} // namespace
} // namespace mayorin::persist
