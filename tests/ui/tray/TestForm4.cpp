#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>


#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "core/Calendar.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/DataFile.h"
#include "persist/ErrorReporter.h"
#include "persist/InstanceLock.h"
#include "persist/Settings.h"
#include "platform/HelpOpener.h"
#include "tests/support/TestEnv.h"
#include "ui/UiContext.h"
#include "ui/message/Form5.h"
#include "ui/entry/Form1Window.h"
#include "ui/names/Form3Window.h"
#include "ui/tray/Form4.h"
#include "ui/tray/Help.h"
#include "tests/ui/tray/TrayRig.h"
#include "ui/tray/SystemSignals.h"

using namespace mayorin;
using test::Rig;

namespace {

std::string cp932(const test::TestEnv& te, const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += *te.codePage.encode(l) + "\r\n";
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A data file holding one history entry and one reservation that is never due.
std::vector<std::string> dataLines(bool withRow) {
    std::vector<std::string> l = {
        "「Mayorin。.exe」用データ",
        "'　このテキストファイルは「Mayorin。.exe」であなたが入力した内容が記憶され、自動で読み書きされます。",
        "'■■　タイマーの履歴　■■",
        "'■■　　予定の履歴　　■■",
    };
    if (withRow) {
        l.push_back("03,2,1,朝,07,30,,,,,");
    }
    l.push_back("'■■　予約中の内容　　■■");
    if (withRow) {
        l.push_back("01,2,1,朝,07,30,,,, 99999999999,");
    }
    l.push_back("'");
    l.push_back("'　このテキストファイルは「Mayorin。.exe」 Ver 1.1.68　が作りました。");
    return l;
}

const char* const kStartLine = "▼起動　, 2026/12/07(月),09:00:00,,,起動,Revision=68,,,,";
const char* const kEndLine = "▲終了　, 2026/12/07(月),09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=0,,";

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// Runs body once a modal dialog is showing, polling every 10 ms.
void whenModal(std::function<void(QWidget*)> body) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            body(w);
        }
    });
    timer->start();
}

} // namespace

class TestForm4 : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void trayIconAndMenu();
    void trayTipNamesTheNextNotice();
    void iconFilesShowTheTrayIcon();
    void messageItemShownOnlyWithReleaseMessage();
    void menuItemsOpenTheirWindows();
    void exitQuestion_data();
    void exitQuestion();
    void noThenPlainExitKeepsSettings();
    void repeatedCloseRequestsEndOnce();
    void systemSignalEndsWithoutQuestion();
    void systemCloseRejectsOpenDialog();
    void systemCloseDuringDuplicateStartWarningEndsAtOnce();
    void userCloseAfterSystemCloseAsksNothing();
    void endClosesTheNamesEditorWithItsOwnSteps();
    void lostDisplayEndsOnceWithoutTheWindows();
    void closeRequestDuringStartUpWaitsForIt();
    void duplicateStartIgnoredHandsOverAndEnds();
    void unwritableDataFileIsReportedAndTheEndGoesOn_data();
    void oldStyleTrayPressShowsMenuDoubleClickOpensEntryWindow();
    void unwritableDataFileIsReportedAndTheEndGoesOn();
    void help_data();
    void help();
};

// A shut-down leaves the event loops with exit(); run a loop once so the next test's dialogs
// can run theirs.
void TestForm4::cleanup() {
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void TestForm4::trayIconAndMenu() {
    Rig r;
    r.form->start(r.appDir());
    QCOMPARE(r.form->windowTitle(), QStringLiteral("Mayorin。"));
    QVERIFY(!r.form->isVisible());
    QCOMPARE(r.form->trayIcon()->embeddedIcon()->toolTip(), QStringLiteral("Mayorin。"));
    QVERIFY(r.form->trayIcon()->isVisible());
    QVERIFY(!r.form->trayIcon()->embeddedIcon()->icon().isNull());
    QCOMPARE(r.form->trayIcon()->embeddedIcon()->contextMenu(), r.form->trayMenu());
    QCOMPARE(r.form->trayMenu()->objectName(), QStringLiteral("tasuku_aikon"));
    QVERIFY(r.form->tickTimer()->isActive());
    QCOMPARE(r.form->tickTimer()->interval(), 200);

    const std::vector<std::pair<QString, QString>> expected = {
        {"tasuku_aikon_hyouji", "予約する。"},
        {"help1", "ヘルプ"},
        {"ver_f4", "バージョン情報"},
        {"renraku", "メッセージ"},
        {"kugiri_t", ""},
        {"tasuku_aikon_syuryou_0", "終了"},
        {"tasuku_aikon_syuryou_1", "レジストリを削除して終了。"},
    };
    const QList<QAction*> actions = r.form->trayMenu()->actions();
    QCOMPARE(actions.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), expected[i].first);
        QCOMPARE(actions[i]->text(), expected[i].second);
        QCOMPARE(actions[i]->isSeparator(), expected[i].first == "kugiri_t");
    }
    QCOMPARE(r.marker(), std::string("運転中"));
    QCOMPARE(r.te.log.lines.at(0), std::string(kStartLine));
}

// The tray tip names the soonest reservation under the title, and follows it within a tick
// whatever made another one the soonest: a pause, an add, a clock set back, a notice, a delete, a
// restore, an add at the same moment.
void TestForm4::trayTipNamesTheNextNotice() {
    Rig r;
    core::Env& env = r.te.env;
    core::State& st = r.te.st;
    const auto at = [&](int day, int hour, int minute, int second) {
        return core::spacedDecimalText(core::byouni(env, 2026, 12, day, hour, minute, second));
    };
    const auto add = [&](const core::Fields& row) {
        core::hensu_kensuu(env);
        st.ReservationTable[st.ReservationCount] = row;
        core::tuika_mein(env);
    };
    const auto tip = [&] { return r.form->trayIcon()->embeddedIcon()->toolTip(); };
    r.form->start(r.appDir());
    QCOMPARE(tip(), QStringLiteral("Mayorin。"));

    // A paused countdown is left out, also when it is the only one.
    add({"", "0", "0", "麺", "00", "03", "00", "00", " 0", at(7, 9, 3, 0)});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/07(月) 09:03:00　麺"));
    const auto noodles = [](const core::Fields& f) { return f[core::kName] == "麺"; };
    QCOMPARE(core::itijiteisi(env, noodles).size(), std::size_t{1});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。"));
    QCOMPARE(core::saikai(env, noodles).size(), std::size_t{1});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/07(月) 09:03:00　麺"));
    st.ReservationCount = core::hSakujo(env, 0);

    add({"", "2", "1", "起床", "07", "30", "", "", "", at(8, 7, 30, 0)});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/08(火) 07:30:00　起床"));
    add({"", "0", "0", "卵", "00", "00:03", "00", "00", " 0", at(7, 9, 0, 3)});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/07(月) 09:00:03　卵"));
    r.te.clock.setWallClockBy(-3600); // the countdown keeps its length
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/07(月) 08:00:03　卵"));
    r.te.clock.advance(3);
    QTRY_VERIFY(r.ctx.notice != nullptr);
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/08(火) 07:30:00　起床"));

    st.DeleteBatchCount = 1;
    QCOMPARE(core::sakujo01(env, 0, 0), std::int16_t{0});
    st.ReservationCount = 0;
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。"));
    core::sakujyo_modosu(env);
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/08(火) 07:30:00　起床"));
    // Another one at the same moment, listed above it.
    add({"", "2", "1", "洗顔", "07", "30", "", "", "", at(8, 7, 30, 0)});
    QTRY_COMPARE(tip(), QStringLiteral("Mayorin。\n次のお知らせ 2026/12/08(火) 07:30:00　洗顔"));
    QVERIFY(r.te.errors.reports.empty());
    r.form->closeFromSystem();
    QTRY_VERIFY(r.form->hasEnded());
}

// The icon files of the menu entry (rendered from the scalable one) show the alarm clock the tray
// draws: at every size the tray has, no pixel is far off and the whole differs only at the edges.
void TestForm4::iconFilesShowTheTrayIcon() {
    Rig r;
    const QIcon tray = r.form->trayIcon()->embeddedIcon()->icon();
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        const QString path = QStringLiteral(MAYORIN_ICON_DIR "/hicolor/%1x%1/apps/mayorin.png").arg(size);
        const QImage file = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY2(!file.isNull(), qPrintable(path));
        QCOMPARE(file.size(), QSize(size, size));
        const QImage drawn =
            tray.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), QSize(size, size));
        long long total = 0;
        int worst = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = file.pixel(x, y);
                const QRgb b = drawn.pixel(x, y);
                for (const int shift : {0, 8, 16, 24}) {
                    const int d = std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff));
                    total += d;
                    worst = std::max(worst, d);
                }
            }
        }
        // Anti-aliased edges differ between the two renderers by up to about a third.
        const double mean = double(total) / (size * size * 4);
        QVERIFY2(worst < 128 && mean < 2.5,
                 qPrintable(QStringLiteral("%1: mean difference %2, worst %3").arg(path).arg(mean).arg(worst)));
    }
}

void TestForm4::messageItemShownOnlyWithReleaseMessage() {
    for (const bool withMessage : {false, true}) {
        Rig r;
        if (withMessage) {
            r.te.settings.save("ver", "68", "お知らせです。");
            r.te.settings.save("ver", "msse_h", "1"); // not shown at start, but the item is there
        }
        r.form->start(r.appDir());
        QCOMPARE(r.item("renraku")->isVisible(), withMessage);
    }
}

// "バージョン情報" and "メッセージ" show the message dialog modally in their own contents; the
// release message shows from the menu even when it is hidden at start. "予約する。" opens the
// entry window.
void TestForm4::menuItemsOpenTheirWindows() {
    Rig r;
    r.te.settings.save("ver", "68", "お知らせです。");
    r.te.settings.save("ver", "msse_h", "1");
    r.form->start(r.appDir());
    QVERIFY(r.te.st.MessageMode != 5); // not shown at start

    struct Case {
        const char* item;
        int mode;
        QString bodyStart;
    };
    for (const Case& c :
         {Case{"ver_f4", 0, QStringLiteral("　【　バージョン情報　】\n\nMayorin。\nバージョン　1.1.68")},
          Case{"renraku", 5, QStringLiteral("お知らせです。")}}) {
        int mode = -1;
        QString body;
        bool modal = false;
        whenModal([&](QWidget* w) {
            mode = r.te.st.MessageMode;
            modal = w->isModal();
            if (auto* text = w->findChild<QPlainTextEdit*>(QStringLiteral("Text1_0"))) {
                body = text->toPlainText();
            }
            ui::closeMessageDialog(r.ctx);
        });
        r.item(c.item)->trigger();
        QVERIFY2(modal, c.item);
        QCOMPARE(mode, c.mode);
        QVERIFY2(body.startsWith(c.bodyStart), qPrintable(body));
    }

    QVERIFY(!r.te.st.EntryWindowOpen);
    r.item("tasuku_aikon_hyouji")->trigger();
    QVERIFY(r.te.st.EntryWindowOpen);
    QVERIFY(r.ctx.entry != nullptr);
    QVERIFY(r.te.errors.reports.empty());
    r.form->closeFromSystem();
    QTRY_VERIFY(r.form->hasEnded());
}

void TestForm4::exitQuestion_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("viaCloseCommand");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("yes");
    QTest::newRow("終了, No") << 0 << false << "終了しますか？" << false;
    QTest::newRow("終了, Yes") << 0 << false << "終了しますか？" << true;
    QTest::newRow("delete, No") << 1 << false << "レジストリを削除して終了しますか？" << false;
    QTest::newRow("delete, Yes") << 1 << false << "レジストリを削除して終了しますか？" << true;
    QTest::newRow("close command, Yes") << 0 << true << "終了しますか？" << true;
}

void TestForm4::exitQuestion() {
    QFETCH(int, index);
    QFETCH(bool, viaCloseCommand);
    QFETCH(QString, question);
    QFETCH(bool, yes);

    Rig r;
    r.te.settings.save("form2", "Top   ", "300");
    r.form->start(r.appDir());
    const auto before = r.te.settings.values;
    r.te.messages.answerNext(yes ? platform::Answer::Yes : platform::Answer::No);
    if (viaCloseCommand) {
        r.form->close();
    } else {
        r.item(index == 0 ? "tasuku_aikon_syuryou_0" : "tasuku_aikon_syuryou_1")->trigger();
    }
    QTRY_COMPARE(r.te.messages.shown.size(), std::size_t(1));
    QTest::qWait(50);
    const auto& box = r.te.messages.shown[0];
    QCOMPARE(QString::fromStdString(box.text), question);
    QCOMPARE(box.title, std::string("Mayorin。"));
    QVERIFY(box.buttons == platform::Buttons::YesNo);

    QCOMPARE(r.form->hasEnded(), yes);
    QCOMPARE(r.form->tickTimer()->isActive(), !yes);
    if (!yes) {
        QCOMPARE(r.te.settings.values, before);
        QCOMPARE(r.te.st.DeleteSettingsOnExit, 0);
        QCOMPARE(r.te.log.lines.size(), std::size_t(1));
        return;
    }
    QCOMPARE(r.te.log.lines.back(), std::string(index == 1 ? "▲終了　, 2026/12/07(月),09:00:00,,,終了,Revision=68,"
                                                             "レジストリ=1,エラー回数=0,,"
                                                           : kEndLine));
    QCOMPARE(r.marker(), std::string(""));
    QCOMPARE(r.te.settings.values.size(), std::size_t(index == 1 ? 1 : 2)); // only the marker is left
    QVERIFY(!r.form->trayIcon()->isVisible());
}

void TestForm4::noThenPlainExitKeepsSettings() {
    Rig r;
    r.te.settings.save("settei", "0", "False");
    r.form->start(r.appDir());
    r.te.messages.answerNext(platform::Answer::No);
    r.item("tasuku_aikon_syuryou_1")->trigger();
    QTRY_COMPARE(r.te.messages.shown.size(), std::size_t(1));
    QTest::qWait(20);
    QVERIFY(!r.form->hasEnded());

    r.te.messages.answerNext(platform::Answer::Yes);
    r.item("tasuku_aikon_syuryou_0")->trigger();
    QTRY_VERIFY(r.form->hasEnded());
    QCOMPARE(r.te.messages.shown.at(1).text, std::string("終了しますか？"));
    QCOMPARE(r.te.settings.get("settei", "0", "?"), std::string("False"));
    QCOMPARE(r.te.log.lines.back(), std::string(kEndLine));
}

void TestForm4::repeatedCloseRequestsEndOnce() {
    Rig r;
    r.form->start(r.appDir());
    r.te.messages.answerNext(platform::Answer::Yes);
    r.form->requestClose();
    r.form->requestClose();
    r.item("tasuku_aikon_syuryou_0")->trigger();
    QTRY_VERIFY(r.form->hasEnded());
    QTest::qWait(50);
    r.form->requestClose();
    r.form->closeFromSystem();
    QTest::qWait(50);
    QCOMPARE(r.te.messages.shown.size(), std::size_t(1));
    QCOMPARE(count(r.te.log.lines, kEndLine), 1);
}

void TestForm4::systemSignalEndsWithoutQuestion() {
    QVERIFY(ui::SystemSignals::install());
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
        Rig r;
        ui::SystemSignals systemSignals;
        connect(&systemSignals, &ui::SystemSignals::closeRequested, r.form.get(), &ui::Form4::closeFromSystem);
        r.form->start(r.appDir());
        QCOMPARE(r.marker(), std::string("運転中"));
        std::raise(sig);
        QTRY_VERIFY(r.form->hasEnded());
        QVERIFY(r.te.messages.shown.empty());
        QCOMPARE(r.te.log.lines.back(), std::string(kEndLine));
        QCOMPARE(readFile(persist::dataFilePath(r.te.st)), cp932(r.te, dataLines(false)));
        QCOMPARE(r.marker(), std::string(""));
        QVERIFY(r.te.errors.reports.empty());
    }
}

void TestForm4::systemCloseRejectsOpenDialog() {
    Rig r;
    r.form->start(r.appDir());
    QDialog dialog;
    whenModal([&](QWidget*) { r.form->closeFromSystem(); });
    const int result = dialog.exec();
    QCOMPARE(result, int(QDialog::Rejected));
    QTRY_VERIFY(r.form->hasEnded());
    QVERIFY(r.te.messages.shown.empty());
    QCOMPARE(r.te.log.lines.back(), std::string(kEndLine));
}

// A log-off (closing the terminal) that arrives while a second start shows its duplicate-start
// warning ends that start at once, as the warning's close box does: the first instance's running
// marker, the data file and the log stay as they were.
void TestForm4::systemCloseDuringDuplicateStartWarningEndsAtOnce() {
    Rig r;
    r.te.settings.save("form4", r.appDir(), "運転中");
    persist::InstanceLock firstInstance;
    QVERIFY(firstInstance.take(r.appDir()) == persist::InstanceLock::Outcome::Taken);
    const std::string file = r.appDir() + "/Mayorin。保存.txt";
    const std::string bytes = cp932(r.te, dataLines(true));
    writeFile(file, bytes);
    const auto settings = r.te.settings.values;
    bool untouched = false;
    // The process ends at the first termination, while the warning is still up; this stand-in goes
    // on to the start's own hand-over, which ends it again.
    r.process.onTerminate = [&] {
        if (r.process.terminations == 1) {
            untouched = r.ctx.message != nullptr && r.te.settings.values == settings && readFile(file) == bytes &&
                        r.te.log.lines.empty() && r.te.st.ReservationCount == 0;
        }
    };
    whenModal([&](QWidget*) { r.form->closeFromSystem(); });
    r.form->start(r.appDir());
    QVERIFY(r.process.terminations >= 1);
    QVERIFY(untouched);
}

// A close from the system, then one from the user before the first is handled: the end goes on
// as the system asked, without the exit question.
void TestForm4::userCloseAfterSystemCloseAsksNothing() {
    Rig r;
    r.form->start(r.appDir());
    r.te.messages.answerNext(platform::Answer::No);
    r.form->closeFromSystem();
    r.item("tasuku_aikon_syuryou_0")->trigger();
    r.form->close();
    QTRY_VERIFY(r.form->hasEnded());
    QTest::qWait(50);
    QVERIFY(r.te.messages.shown.empty());
    QCOMPARE(count(r.te.log.lines, kEndLine), 1);
}

// The display-name editor open at the end closes with its own steps: its position is stored and
// its closing is logged before the end.
void TestForm4::endClosesTheNamesEditorWithItsOwnSteps() {
    Rig r;
    r.form->start(r.appDir());
    r.item("tasuku_aikon_hyouji")->trigger();
    r.ctx.entry->findChild<QAction*>(QStringLiteral("meisyouRireki_0"))->trigger();
    QVERIFY(r.ctx.names != nullptr);
    r.ctx.names->move(200, 100);
    r.form->closeFromSystem();
    QTRY_VERIFY(r.form->hasEnded());
    QVERIFY(r.ctx.names == nullptr);
    QCOMPARE(r.te.settings.get("form3", "Left  ", "?"), std::string("3000"));
    QCOMPARE(r.te.settings.get("form3", "Top   ", "?"), std::string("1500"));
    QCOMPARE(r.te.st.HistoryEditorState, std::string("休業中"));
    const auto closed = std::find(r.te.log.lines.begin(), r.te.log.lines.end(),
                                  "△編集　, 2026/12/07(月),09:00:00,,,履歴編集画面を閉じる,0 変更無し,"
                                  "タイマー履歴数=0,予定履歴数=0,,");
    QVERIFY(closed != r.te.log.lines.end());
    QVERIFY(std::find(closed, r.te.log.lines.end(), kEndLine) != r.te.log.lines.end());
}

// The display connection lost: the end saves, logs and clears the marker once, and leaves the
// tray and the windows alone; close requests after it change nothing.
void TestForm4::lostDisplayEndsOnceWithoutTheWindows() {
    Rig r;
    r.form->start(r.appDir());
    r.form->endWithoutDisplay();
    QVERIFY(r.form->hasEnded());
    QCOMPARE(r.te.log.lines.back(), std::string(kEndLine));
    QCOMPARE(readFile(persist::dataFilePath(r.te.st)), cp932(r.te, dataLines(false)));
    QCOMPARE(r.marker(), std::string(""));
    QVERIFY(r.form->trayIcon()->isVisible());
    r.form->requestClose();
    r.form->closeFromSystem();
    r.form->endWithoutDisplay();
    QTest::qWait(50);
    QCOMPARE(count(r.te.log.lines, kEndLine), 1);
    QVERIFY(r.te.messages.shown.empty());
}

// A close asked for (by an error report, say) while the start-up waits in a dialog (the release's
// start-up message) that stays open a while longer: the close waits until the data file has been
// read.
void TestForm4::closeRequestDuringStartUpWaitsForIt() {
    Rig r;
    r.te.settings.save("ver", "68", "お知らせです。");
    const std::string file = r.appDir() + "/Mayorin。保存.txt";
    writeFile(file, cp932(r.te, dataLines(true)));
    r.te.messages.answerNext(platform::Answer::Yes);
    whenModal([&](QWidget* w) {
        r.form->requestClose();
        QTimer::singleShot(100, w, [w] { w->findChild<QAbstractButton*>(QStringLiteral("Command1_0"))->click(); });
    });
    r.form->start(r.appDir());
    QCOMPARE(r.te.st.ReservationCount, std::int16_t(1));
    QTRY_VERIFY(r.form->hasEnded());
    QCOMPARE(r.te.messages.shown.size(), std::size_t(1));
    QCOMPARE(readFile(file), cp932(r.te, dataLines(true)));
}

// 無視 on a second start beside a live instance: no second writer comes up. This start ends
// (asking the live one to show its entry window) with the folder, the marker and the log as
// they were.
void TestForm4::duplicateStartIgnoredHandsOverAndEnds() {
    Rig r;
    persist::InstanceLock firstInstance;
    QVERIFY(firstInstance.take(r.appDir()) == persist::InstanceLock::Outcome::Taken);
    const std::string file = r.appDir() + "/Mayorin。保存.txt";
    writeFile(file, cp932(r.te, dataLines(true)));
    whenModal([](QWidget* w) {
        auto* ignore = w->findChild<QAbstractButton*>(QStringLiteral("Command1_1"));
        QVERIFY(ignore != nullptr);
        QCOMPARE(ignore->text(), QStringLiteral("無視"));
        ignore->click();
    });
    r.form->start(r.appDir());
    QCOMPARE(r.te.st.MessageMode, 6);
    QCOMPARE(r.process.terminations, 1);
    QCOMPARE(r.te.st.ReservationCount, std::int16_t(0));
    QVERIFY(!r.form->trayIcon()->isVisible());
    QCOMPARE(r.marker(), std::string("<none>"));
    QVERIFY(r.te.log.lines.empty());
    // Whatever follows in this stand-in process writes nothing over the live instance's file.
    r.form->closeFromSystem();
    QTRY_VERIFY(r.form->hasEnded());
    QCOMPARE(readFile(file), cp932(r.te, dataLines(true)));
}

// Without a status-notifier watcher the icon sits in an old-style tray: a left press shows the
// menu, and a double click (which comes after that press) opens the entry window and closes the
// menu.
void TestForm4::oldStyleTrayPressShowsMenuDoubleClickOpensEntryWindow() {
    Rig r;
    r.form->start(r.appDir());
    QVERIFY(!r.form->trayIcon()->onStatusNotifierTray());
    emit r.form->trayIcon()->embeddedIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(r.form->trayMenu()->isVisible());
    QVERIFY(r.ctx.entry == nullptr);
    r.form->trayMenu()->hide();
    emit r.form->trayIcon()->embeddedIcon()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(r.te.st.EntryWindowOpen);
    QVERIFY(r.ctx.entry != nullptr);
    const auto* first = r.ctx.entry;
    emit r.form->trayIcon()->embeddedIcon()->activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(r.ctx.entry, first);
    // A press right after a double click belongs to it: no menu.
    emit r.form->trayIcon()->embeddedIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!r.form->trayMenu()->isVisible());
    // A middle press does nothing, and the exit closes the entry window.
    emit r.form->trayIcon()->embeddedIcon()->activated(QSystemTrayIcon::MiddleClick);
    r.form->closeFromSystem();
    QTRY_VERIFY(r.form->hasEnded());
    QVERIFY(!r.te.st.EntryWindowOpen);
    QVERIFY(r.ctx.entry == nullptr);
}

void TestForm4::unwritableDataFileIsReportedAndTheEndGoesOn_data() {
    QTest::addColumn<int>("errorsBefore");
    QTest::addColumn<QString>("endLine");
    QTest::newRow("first error") << 0
                                 << "▲終了　, 2026/12/07(月),09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=1,,";
    QTest::newRow("third error") << 2 << "▲終了Ｅ, 2026/12/07(月),09:00:00,,,異常終了,Revision=68,,エラー回数=3,,";
}

// The real error reporter, wired to the resident window as the program wires it: a data file that
// cannot be written at a log-off is reported once and logged, its dialog and the abnormal-end box
// do not wait for an answer nobody may give, and the end goes on by the error count.
void TestForm4::unwritableDataFileIsReportedAndTheEndGoesOn() {
    QFETCH(int, errorsBefore);
    QFETCH(QString, endLine);
    struct Link final : persist::MessageDialogHost, persist::ResidentHost {
        ui::Form4* form = nullptr;
        int closeRequests = 0;
        void showMessageDialog() override { form->showMessageDialog(); }
        void requestClose() override {
            ++closeRequests;
            form->requestClose();
        }
    };
    // Built in the program's order: the environment names the reporter before it exists.
    struct ReporterRig {
        test::TestEnv te;
        Link link;
        core::Env env{te.st, te.clock, te.codePage, reporter, te.messages, te.log, te.settings};
        persist::ErrorReporter reporter{env, link, link};
        persist::Settings settings{te.settings};
        test::FakeSound sound;
        test::FakeHelp help;
        test::FakeProcess process;
        ui::UiContext ctx{env, settings, sound, help, process};
        ui::Form4 form{ctx};
        ReporterRig() { link.form = &form; }
    } r;
    QTemporaryDir dir;
    const std::string appDir = dir.path().toStdString();
    r.form.start(appDir);
    // A folder where the data file should be: opening it for writing fails.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Mayorin。保存.txt")));
    r.te.st.ErrorCount = static_cast<std::int16_t>(errorsBefore);

    r.form.closeFromSystem();
    QTRY_VERIFY(r.form.hasEnded());
    QCOMPARE(r.te.st.ErrorCount, std::int16_t(errorsBefore + 1));
    QCOMPARE(r.link.closeRequests, 1);
    const std::vector<std::string> tail(r.te.log.lines.end() - 2, r.te.log.lines.end());
    QCOMPARE(tail, (std::vector<std::string>{
                       "※エラー, 2026/12/07(月),09:00:00,,,エラー75,発生場所kakikomi01 M4　保存,操作" +
                           std::to_string(errorsBefore + 1) + ",,,",
                       endLine.toStdString(),
                   }));
    QCOMPARE(r.te.settings.get("form4", appDir, "<none>"), std::string(""));

    // The error dialog is on screen, not waited for.
    QString errorText;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("Form5") && w->isVisible()) {
            QVERIFY(!w->isModal());
            errorText = w->findChild<QPlainTextEdit*>(QStringLiteral("Text1_0"))->toPlainText();
        }
    }
    QVERIFY2(errorText.contains(QStringLiteral("「Mayorin。保存.txt」の属性が[読み取り専用]")), qPrintable(errorText));
    if (errorsBefore == 0) {
        QVERIFY(r.te.messages.shown.empty()); // no exit question, no abnormal-end box
    } else {
        QCOMPARE(r.te.messages.shown.size(), std::size_t(1));
        QCOMPARE(r.te.messages.shown[0].text, std::string(" 異常終了するため、変更になった内容は保存されません。"));
        QVERIFY(!r.te.messages.shown[0].waited);
    }
}

void TestForm4::help_data() {
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("message"); // "%1" stands for the help file's full path
    QTest::newRow("opened") << true << true << "";
    QTest::newRow("no file") << false << false << "ヘルプを開けませんでした。\n\nヘルプファイルが見つかりません。\n%1";
    QTest::newRow("no viewer") << true << false
                               << "ヘルプを開けませんでした。\n\n「Mayorin。ヘルプ.chm」を開くアプリケーションが"
                                  "ありません。\nCHM ビューア（xchm など）をインストールしてください。";
}

void TestForm4::help() {
    QFETCH(bool, fileThere);
    QFETCH(bool, opens);
    QFETCH(QString, message);
    Rig r;
    r.te.st.ProgramDir = r.appDir();
    const std::string path = r.appDir() + "/Mayorin。ヘルプ.chm";
    if (fileThere) {
        writeFile(path, "ITSF");
    }
    r.help.result = opens;
    r.item("help1")->trigger();
    QCOMPARE(r.help.opened, std::vector<std::string>{path});
    if (message.isEmpty()) {
        QVERIFY(r.te.messages.shown.empty());
        return;
    }
    QCOMPARE(r.te.messages.shown.size(), std::size_t(1));
    message.replace(QStringLiteral("%1"), QString::fromStdString(path));
    QCOMPARE(QString::fromStdString(r.te.messages.shown[0].text), message);
    QCOMPARE(r.te.messages.shown[0].title, std::string("Mayorin。"));
    QVERIFY(r.te.messages.shown[0].buttons == platform::Buttons::Ok);
}

QTEST_MAIN(TestForm4)
#include "TestForm4.moc"
