// Shows the notification window with three notices at its default size and leaves it up for a
// few seconds, so that a screenshot can be taken of it (tests/ui/notice/shot.sh).
#include <QApplication>
#include <QTimer>

#include "core/Calendar.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/Resident.h"
#include "persist/Settings.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"
#include "ui/UiContext.h"
#include "ui/notice/Form2.h"

using namespace mayorin;

namespace {

class NullHelp final : public platform::HelpOpener {
public:
    bool open(const std::string&) override { return false; }
};

class NullDialog final : public persist::MessageDialogHost {
public:
    void showMessageDialog() override {}
};

class NullShell final : public notify::ResidentShell {
public:
    void addTrayIcon() override {}
    void removeTrayIcon() override {}
    void setMessageItemVisible(bool) override {}
    void messeiji(int) override {}
    void closeMessageDialog() override {}
    void closeOtherWindows() override {}
    void endProcess() override {}
    void setTickEnabled(bool) override {}
};

class NoticeHost final : public notify::NoticeWindowHost {
public:
    explicit NoticeHost(ui::UiContext& ctx) : m_ctx(ctx) {}
    void openNoticeWindow() override { ui::openNoticeWindow(m_ctx); }
    void insertNoticeLine(const std::string& line) override { ui::insertNoticeLine(m_ctx, line); }
    void appendNoticeLine(const std::string& line) override { ui::appendNoticeLine(m_ctx, line); }
    void selectTopNotice() override { ui::selectTopNotice(m_ctx); }

private:
    ui::UiContext& m_ctx;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int showMs = argc > 1 ? std::atoi(argv[1]) : 4000;

    test::FakeClock clock;
    clock.set(2026, 12, 7, 15, 0, 0);
    platform::IconvCodePage codePage;
    test::RecordingErrors errors;
    test::ScriptedMessages messages;
    test::RecordingLog log;
    test::FakeSettings store;
    core::State st;
    core::Env env{st, clock, codePage, errors, messages, log, store};
    persist::Settings settings{store};
    test::FakeSound sound;
    NullHelp help;
    test::FakeProcess process;
    ui::UiContext ctx{env, settings, sound, help, process};
    NullDialog dialog;
    NoticeHost host{ctx};
    NullShell shell;
    notify::ResidentController resident{env, settings, dialog, host, shell};

    core::fillWeekdayNames(st);
    st.AppDir = QCoreApplication::applicationDirPath().toStdString();
    core::hensu_kensuu(env);
    const auto add = [&](core::Fields row, double late) {
        row[core::kNextSecond] = core::spacedDecimalText(core::genByou(env) - late);
        st.ReservationTable[st.ReservationCount] = row;
        core::tuika_mein(env);
        resident.tick();
    };
    add({"", "2", "1", "週次ミーティング", "15", "00", "", "", "", ""}, 0);
    clock.advance(65);
    add({"", "1", " 5", "ストレッチ", "00", "25", "00", "05", " 3", ""}, 0);
    clock.advance(300);
    add({"", "0", "0", "お茶の時間", "00", "05:30", "", "", "", ""}, 12);

    QTimer::singleShot(showMs, &app, [&] {
        ui::closeNoticeWindow(ctx);
        app.quit();
    });
    return app.exec();
}
