// The resident reminder: no main window, an icon in the tray, a notice when something falls due.

#include <QApplication>
#include <QDBusConnection>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <string>

#include "app/CommandLine.h"

#include "core/Env.h"
#include "core/State.h"
#include "persist/ErrorReporter.h"
#include "persist/Folders.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "persist/WindowHooks.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/qt/QtHelpOpener.h"
#include "platform/qt/QtMessagePresenter.h"
#include "platform/qt/QtProcessControl.h"
#include "platform/qt/QtSettingsBackend.h"
#include "platform/qt/QtSoundPlayer.h"
#include "platform/qt/SessionPlatform.h"
#include "ui/UiContext.h"
#include "ui/entry/Form1.h"
#include "ui/notice/DesktopNotification.h"
#include "ui/remote/RemoteControl.h"
#include "ui/tray/Form4.h"
#include "ui/tray/SessionEnd.h"
#include "ui/tray/SystemSignals.h"

namespace {

using namespace mayorin;

// The error reporter is made before the resident window it reports to; this passes its
// requests on once the window exists.
struct ResidentLink final : persist::MessageDialogHost, persist::ResidentHost {
    ui::Form4* form = nullptr;
    void showMessageDialog() override {
        if (form != nullptr) {
            form->showMessageDialog();
        }
    }
    void requestClose() override {
        if (form != nullptr) {
            form->requestClose();
        }
    }
};

// Everything the program is made of, in the order it has to be built. The environment refers
// to the log and the error reporter before they are built; they use it only when they write.
struct Program {
    core::State st;
    platform::SystemClock clock;
    platform::IconvCodePage codePage;
    platform::QtSettingsBackend settingsBackend; // the per-user default location
    platform::QtMessagePresenter messages;
    ResidentLink link;
    core::Env env{st, clock, codePage, reporter, messages, log, settingsBackend};
    persist::OperationLog log{env};
    persist::ErrorReporter reporter{env, link, link};
    persist::Settings settings{settingsBackend};
    platform::QtSoundPlayer sound;
    platform::QtHelpOpener help;
    platform::QtProcessControl process;
    // Outlives the windows: it withdraws what it still shows as the program ends.
    ui::DesktopNotification desktop{QDBusConnection::sessionBus()};
    ui::UiContext ctx{env, settings, sound, help, process, &desktop};
    ui::Form4 resident{ctx};

    Program() { link.form = &resident; }
};

// Tells why the program cannot start: on the terminal, and in a box where there is a screen.
void tellStartFailure(const std::string& why) {
    std::fprintf(stderr, "mayorin: %s\n", why.c_str());
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(core::kTitle), QString::fromStdString(why),
                        QMessageBox::Ok);
        box.exec();
    }
}

// The program's folder, that of the executable, without a trailing separator.
std::string executableFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) {
        dir.chop(1);
    }
    return dir.toStdString();
}

} // namespace

int main(int argc, char* argv[]) {
    // Options other than --open speak to the running instance and end here.
    const app::CommandLine command = app::CommandLine::parse(argc, argv);
    if (const auto status = command.runWithoutResident(argc, argv)) {
        return *status;
    }
    if (command.action() == app::CommandLine::Action::Autostart && !persist::startsAtLogIn()) {
        return 0;
    }
    // Before the application, so that a SIGTERM during start-up is not lost: it is handled once
    // the start-up has read the data file.
    const bool signalsInstalled = ui::SystemSignals::install();

    // Without a screen to show windows on, Qt would abort in the application's constructor.
    if (const std::string noScreen = platform::choosePlatformForSession(argc, argv); !noScreen.empty()) {
        std::fprintf(stderr, "%s\n", noScreen.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // windows come and go; the tray stays
    QCoreApplication::setApplicationName(QStringLiteral("Mayorin"));
    if (const auto status = command.openInRunningInstance()) {
        return *status;
    }

    const std::string programFolder = executableFolder();
    const persist::DataFolder data = persist::openDataFolder(programFolder);
    if (!data.error.empty()) {
        tellStartFailure(data.error);
        return 1;
    }

    Program program;
    ui::connectSessionEnd(program.resident, signalsInstalled);

    program.st.ProgramDir = programFolder;
    program.resident.start(data.path);
    if (!program.resident.hasEnded()) {
        ui::endOnLostDisplay(program.resident);
        // Reachable over the session bus once the data file is read; without a bus, or with
        // another instance holding the name, the program runs all the same.
        ui::RemoteControl remote(program.ctx);
        remote.registerOn(QDBusConnection::sessionBus());
        if (command.action() == app::CommandLine::Action::Open) {
            ui::openEntryWindow(program.ctx);
        }
        QApplication::exec();
        // The end has written everything: the folder is free before the bus name goes, so a
        // start that waited for the name to go (`--quit`, then a new start) finds it free.
        program.resident.controller().releaseFolderLock();
    }
    return program.st.ErrorCount > 0 ? 1 : 0;
}
