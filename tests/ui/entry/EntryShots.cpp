// Takes the entry window's pictures for the documentation: empty, with ten reservations of every
// kind, and with each of its menus 表示, 編集 and 設定 open. Run under an X server (Xvfb) with the
// output folder as argument.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

#include "core/Store.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "tests/support/Fakes.h"
#include "tests/ui/entry/EntryProgram.h"
#include "ui/entry/Form1.h"
#include "ui/entry/Form1Window.h"

using namespace mayorin;

namespace {

using Program = test::EntryProgram;

void settle() {
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

bool shoot(QWidget* w, const QString& path, int extraHeight = 0) {
    settle();
    const QRect r = w->frameGeometry().adjusted(0, 0, 0, extraHeight);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const bool ok = shot.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

void set(ui::Form1* w, const char* name, const QString& text) {
    w->findChild<QComboBox*>(name)->setEditText(text);
}

void timer(ui::Form1* w, const QString& name, const QString& h, const QString& m, const QString& rh, const QString& rm,
           const QString& n) {
    set(w, "Combo1_3", name);
    set(w, "Combo1_4", h);
    set(w, "Combo1_5", m);
    set(w, "Combo1_6", rh);
    set(w, "Combo1_7", rm);
    set(w, "Combo1_8", n);
    w->Command1_Click(0);
}

void schedule(ui::Form1* w, const QString& name, const QString& h, const QString& m, const QString& month,
              const QString& day, const QString& weekday, bool everyTime) {
    set(w, "Combo2_3", name);
    set(w, "Combo2_4", h);
    set(w, "Combo2_5", m);
    set(w, "Combo2_8", weekday);
    set(w, "Combo2_6", month);
    set(w, "Combo2_7", day);
    w->findChild<QRadioButton*>(everyTime ? "Option1_0" : "Option1_1")->setChecked(true);
    w->Command1_Click(1);
}

bool shootMenu(ui::Form1* w, const char* name, const QString& path) {
    auto* menu = w->findChild<QMenu*>(name);
    const QRect item = w->menuBar()->actionGeometry(menu->menuAction());
    menu->popup(w->menuBar()->mapToGlobal(item.bottomLeft()));
    const bool ok = shoot(w, path, 120);
    menu->close();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: entry_shots <folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    Program p;
    ui::openEntryWindow(p.ctx);
    ui::Form1* w = p.ctx.entry;
    bool ok = shoot(w, out + "/entry-empty.png");

    timer(w, QString::fromUtf8("カップ麺"), "0", "3", "0", "0", "0");
    timer(w, QString::fromUtf8("会議の準備"), "1", "30", "0", "0", "0");
    timer(w, QString::fromUtf8("ポモドーロ"), "0", "25", "0", "5", "4");
    schedule(w, QString::fromUtf8("昼休み"), "12", "0", "", "", "", true);
    schedule(w, QString::fromUtf8("給料日"), "9", "30", "", "25", "", true);
    schedule(w, QString::fromUtf8("誕生日"), "8", "0", "3", "15", "", true);
    schedule(w, QString::fromUtf8("朝礼"), "8", "45", "", "", QString::fromUtf8("月～金"), true);
    schedule(w, QString::fromUtf8("ゴミ出し"), "7", "30", "", "", QString::fromUtf8("火・木・土"), false);
    schedule(w, QString::fromUtf8("Weekly report"), "17", "0", "", "", QString::fromUtf8("金曜"), false);
    // An extended notice, as the notification window adds it.
    p.st.EntryRow = {};
    p.st.EntryRow[3] = "電話をかける";
    p.st.EntryRow[5] = "10";
    p.st.EntryRow[8] = " 63932317200";
    p.st.EntryRow[9] = " 63932317800";
    core::tuika03(p.env, 10);
    core::tuika_mein(p.env);
    w->findChild<QListWidget*>("List1")->setCurrentRow(2);
    w->hyouji02();
    w->hyouji_jikan();
    ok = shootMenu(w, "fairu", out + "/entry-menu-hyouji.png") && ok;
    ok = shootMenu(w, "hensyu", out + "/entry-menu-hensyu.png") && ok;
    ok = shootMenu(w, "settei", out + "/entry-menu-settei.png") && ok;
    ok = shoot(w, out + "/entry-ten.png") && ok;
    ui::closeEntryWindow(p.ctx);
    for (const auto& r : p.errors.reports) {
        std::fprintf(stderr, "error %s %d %s\n", r.location.c_str(), r.code, r.description.c_str());
    }
    return ok && p.errors.reports.empty() ? 0 : 1;
}
