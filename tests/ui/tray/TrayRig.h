#pragma once

#include <memory>
#include <string>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>

#include "persist/Settings.h"
#include "tests/support/TestEnv.h"
#include "ui/UiContext.h"
#include "ui/tray/Form4.h"
#include "ui/tray/TrayIcon.h"

namespace mayorin::test {

// A resident window over fakes, its program directory a fresh temporary folder. The fake clock
// stands at Monday 7 December 2026, 09:00:00.
struct Rig {
    QTemporaryDir dir;
    TestEnv te;
    persist::Settings settings{te.settings};
    FakeSound sound;
    FakeHelp help;
    FakeProcess process;
    ui::UiContext ctx{te.env, settings, sound, help, process};
    std::unique_ptr<ui::Form4> form = std::make_unique<ui::Form4>(ctx);

    std::string appDir() const { return dir.path().toStdString(); }
    std::string marker() const {
        auto it = te.settings.values.find({"form4", appDir()});
        return it == te.settings.values.end() ? "<none>" : it->second;
    }
    QAction* item(const char* name) const { return form->trayMenu()->findChild<QAction*>(QString::fromLatin1(name)); }
};

} // namespace mayorin::test
