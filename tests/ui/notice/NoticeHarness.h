#pragma once

// A notification window wired to the real program state, store and resident tick, with fakes for
// the platform: the tests and the screenshot tool drive it the way the running program does.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/Resident.h"
#include "persist/Settings.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"
#include "tests/support/RecordingNotification.h"
#include "ui/UiContext.h"
#include "ui/notice/Form2.h"
#include "ui/notice/Form2Window.h"
#include "ui/notice/NoticeNotification.h"

namespace mayorin::test {

// Message boxes answered OK and recorded; a test may run something while a box is up, as the
// resident tick does while the extension box waits for the user.
class HookedMessages final : public platform::MessagePresenter {
public:
    platform::Answer show(std::string_view text, std::string_view title, platform::Buttons buttons, platform::Icon,
                          platform::Answer) override {
        shown.push_back({std::string(text), std::string(title), buttons});
        if (whileShown) {
            whileShown();
        }
        return platform::Answer::Ok;
    }
    void setWaiting(platform::Waiting) override {}
    struct Box {
        std::string text;
        std::string title;
        platform::Buttons buttons;
    };
    std::vector<Box> shown;
    std::function<void()> whileShown;
};

// Log lines recorded; can be made to fail.
class TestLog final : public platform::LogSink {
public:
    void kiloku(std::string_view line) override {
        if (fail) {
            throw core::Failure(core::kFileAccess, "log");
        }
        lines.emplace_back(line);
    }
    std::vector<std::string> lines;
    bool fail = false;
};

// The recording sound player, made to fail at one named step; the file named missing is not
// there, so its fallback plays instead.
class TestSound final : public platform::SoundPlayer {
public:
    void setFile(const std::string& path, const std::string& fallback, FellBack fellBack) override {
        step("File " + path + (fallback.empty() ? "" : " or " + fallback), "File");
        m_file = path;
        m_fellBack = fallback.empty() ? nullptr : std::move(fellBack);
    }
    void open() override {
        step("Open", "Open");
        if (m_file == missing && m_fellBack) {
            m_fellBack(m_file, platform::SoundTrouble::Missing);
        }
    }
    void play() override { step("Play", "Play"); }
    void close() override { step("Close", "Close"); }
    std::vector<std::string> steps;
    std::string failAt;
    std::string missing;

private:
    std::string m_file;
    FellBack m_fellBack;
    void step(const std::string& recorded, const std::string& name) {
        if (name == failAt) {
            throw core::Failure(core::kFileAccess, "sound");
        }
        steps.push_back(recorded);
    }
};

class NullHelp final : public platform::HelpOpener {
public:
    void open(const std::string&, std::function<void(bool)> done) override { done(false); }
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
    void handOverToRunningInstance(const std::string&) override {}
    void sayOnStandardError(const std::string&) override {}
    void setTickEnabled(bool) override {}
};

// The notification window as the resident tick reaches it.
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

struct Program {
    Program() {
        core::fillWeekdayNames(st);
        st.AppDir = appDir.path().toStdString();
        st.ProgramDir = "/opt/mayorin"; // the chime is not there
        core::hensu_kensuu(env);
    }

    test::FakeClock clock;
    platform::IconvCodePage codePage;
    test::RecordingErrors errors;
    HookedMessages messages;
    TestLog log;
    test::FakeSettings store;
    core::State st;
    core::Env env{st, clock, codePage, errors, messages, log, store};
    persist::Settings settings{store};
    TestSound sound;
    NullHelp help;
    test::FakeProcess process;
    RecordingNotification desktop;
    ui::UiContext ctx{env, settings, sound, help, process, &desktop};
    NullDialog dialog;
    NoticeHost host{ctx};
    NullShell shell;
    notify::ResidentController resident{env, settings, dialog, host, shell};
    QTemporaryDir appDir;

    // Adds a reservation row due `inSeconds` from now.
    void addRow(const std::string& kind, const std::string& mode, const std::string& name, const std::string& f4,
                const std::string& f5, const std::string& f8, double inSeconds = 0) {
        auto& r = st.ReservationTable[st.ReservationCount];
        r = {"", kind, mode, name, f4, f5, "", "", f8, core::spacedDecimalText(core::genByou(env) + inSeconds)};
        core::tuika_mein(env);
    }
    // A single countdown of 5 minutes, a repeating countdown of 2 cycles, a daily alarm.
    void addTimer(const std::string& name, double inSeconds = 0) { addRow("0", "0", name, "00", "05", "", inSeconds); }
    void addRepeating(const std::string& name) { addRow("1", " 3", name, "00", "00", " 2"); }
    void addDaily(const std::string& name, double inSeconds = 0) { addRow("2", "1", name, "09", "00", "", inSeconds); }

    // One resident tick. The window's own timer is then stopped: the tests step it by hand.
    void tick() {
        resident.tick();
        if (auto* t = child<QTimer>("Timer1")) {
            t->stop();
        }
    }

    ui::Form2* form() const { return ctx.notice; }
    template <class T> T* child(const char* name) const {
        return ctx.notice ? ctx.notice->findChild<T*>(name) : nullptr;
    }
    QListWidget* list() const { return child<QListWidget>("List1_0"); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    QPushButton* button(int i) const { return child<QPushButton>(QString("Command1_%1").arg(i).toUtf8()); }
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i) {
            out << list()->item(i)->text();
        }
        return out;
    }
    // The window's own 100 ms timer, stepped by the test.
    void step(int times = 1) {
        for (int i = 0; i < times; ++i) {
            form()->Timer1_Timer();
        }
    }
    void close(int button) {
        form()->Command1_Click(button);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList pendingLines() const {
        QStringList out;
        for (int n = st.NoticeCount - 1; n >= 0; --n) {
            const auto& t = st.NoticeTextTable[n];
            out << QString::fromStdString(t[0] + "【状態】" + t[1] + t[2]);
        }
        return out;
    }
    std::vector<std::string> reportLocations() const {
        std::vector<std::string> out;
        for (const auto& r : errors.reports) {
            out.push_back(r.location);
        }
        return out;
    }
};

} // namespace mayorin::test
