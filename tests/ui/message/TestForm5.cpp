#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/Failure.h"
#include "persist/Settings.h"
#include "tests/support/TestEnv.h"
#include "ui/message/Form5.h"
#include "ui/message/Form5Window.h"
#include "ui/message/MessageTexts.h"

using namespace mayorin;

namespace {

// A settings store whose writes fail, as a store on a read-only disk would.
class FailingSettings final : public platform::SettingsBackend {
public:
    std::string get(std::string_view, std::string_view, std::string_view fallback) const override {
        return std::string(fallback);
    }
    void save(std::string_view, std::string_view, std::string_view) override {
        throw core::Failure(core::kFileAccess, "書き込めません。");
    }
    void removeAll() override {}
};

struct Harness {
    test::TestEnv t;
    persist::Settings settings{t.settings};
    test::FakeSound sound;
    test::FakeHelp help;
    test::FakeProcess process;
    ui::UiContext ctx{t.env, settings, sound, help, process};
};

// What the dialog shows at one moment.
struct View {
    QString title;
    QString body;
    QString line;
    bool firstVisible = false;
    QString first;
    bool secondVisible = false;
    QString second;
    bool checkVisible = false;
    QString check;
    bool checked = false;
    int shownMode = -1;
    bool onTop = false;
};

View viewOf(ui::Form5* w) {
    View v;
    v.title = w->windowTitle();
    v.body = w->findChild<QPlainTextEdit*>("Text1_0")->toPlainText();
    v.line = w->findChild<QLineEdit*>("Text1_1")->text();
    auto* first = w->findChild<QPushButton*>("Command1_0");
    auto* second = w->findChild<QPushButton*>("Command1_1");
    auto* check = w->findChild<QCheckBox*>("Check1");
    v.firstVisible = first->isVisible();
    v.first = first->text();
    v.secondVisible = second->isVisible();
    v.second = second->text();
    v.checkVisible = check->isVisible();
    v.check = check->text();
    v.checked = check->isChecked();
    v.shownMode = w->shownMode();
    v.onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    return v;
}

QString lf(const char* crlf) {
    return QString::fromUtf8(crlf).replace("\r\n", "\n");
}

// Runs act on the dialog once it is on screen; a dialog still open after five seconds is closed
// and counted as stuck.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(ui::Form5*)> act) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, act] {
            auto* w = qobject_cast<ui::Form5*>(QApplication::activeModalWidget());
            if (w == nullptr || !w->isVisible()) {
                return;
            }
            m_timer.stop();
            ++shown;
            act(w);
        });
        m_timer.start();
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            if (auto* w = qobject_cast<ui::Form5*>(QApplication::activeModalWidget())) {
                stuck = true;
                w->closeByProgram();
            }
        });
        m_watchdog.start(5000);
    }
    int shown = 0;
    bool stuck = false;

private:
    QTimer m_timer;
    QTimer m_watchdog;
};

QPushButton* button(ui::Form5* w, int i) {
    return w->findChild<QPushButton*>(QString("Command1_%1").arg(i));
}

} // namespace

class TestForm5 : public QObject {
    Q_OBJECT

private slots:
    void init() {
        h = std::make_unique<Harness>();
        h->t.st.AppDir = "/home/user/予定";
        h->t.st.ProgramDir = "/home/user/予定";
    }
    void cleanup() { h.reset(); }

    void versionTextIsExact() {
        QCOMPARE(QString::fromStdString(ui::versionText("/opt/m")),
                 QString::fromUtf8("　【　バージョン情報　】\r\n\r\nMayorin。\r\nバージョン　1.1.68\r\n\r\n"
                                   "Mayorin developers\r\nhttps://mayorin.example/\r\n\r\n\r\n場所　/opt/m\r\n\r\n"));
    }

    void duplicateStartTextIsExact() {
        QCOMPARE(QString::fromStdString(ui::duplicateStartText()),
                 QString::fromUtf8("　【　既に「Mayorin。」は起動しています。】\r\n\r\n"
                                   "　タスクバーのシステムトレイの中に小さいアイコンがありませんか？。\r\n\r\n"
                                   "　「Mayorin。」の重複起動は出来ません。\r\n\r\n\r\n\r\n"
                                   "　システムトレイに小さいアイコンが無いか、あっても予約画面が表示できない場合は、"
                                   "前回異常終了したことが考えられます。\r\n\r\n"
                                   "　この場合は[無視]をクリックするとソフトが起動します。\r\n\r\n"
                                   "※　詳しくはヘルプをご覧下さい。"));
    }

    void versionContentClosesWithItsButton() {
        h->t.st.MessageMode = 0;
        View v;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            button(w, 1)->click();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(d.shown, 1);
        QCOMPARE(v.title, QStringLiteral("Mayorin。"));
        QVERIFY(v.onTop);
        QCOMPARE(v.body, lf("　【　バージョン情報　】\r\n\r\nMayorin。\r\nバージョン　1.1.68\r\n\r\n"
                            "Mayorin developers\r\nhttps://mayorin.example/\r\n\r\n\r\n場所　/home/user/予定\r\n\r\n"));
        QCOMPARE(v.line, QStringLiteral("　"));
        QVERIFY(!v.firstVisible);
        QCOMPARE(v.first, QString());
        QVERIFY(v.secondVisible);
        QCOMPARE(v.second, QStringLiteral("閉じる"));
        QVERIFY(!v.checkVisible);
        QCOMPARE(v.check, QString());
        QCOMPARE(v.shownMode, 0);
        QVERIFY(h->ctx.message == nullptr);
    }

    void versionCloseBoxJustCloses() {
        h->t.st.MessageMode = 0;
        bool openBefore = false;
        DialogDriver d([&](ui::Form5* w) {
            openBefore = w->isVisible();
            w->close();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QVERIFY(openBefore);
        QCOMPARE(h->process.terminations, 0);
        QVERIFY(h->t.settings.values.empty());
    }

    void errorContentAndItsEnd_data() {
        QTest::addColumn<int>("errorCount");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("terminations");
        QTest::newRow("first error, OK") << 1 << false << "終了します。" << 0;
        QTest::newRow("third error, close box") << 3 << true << "終了します。" << 0;
        QTest::newRow("fourth error, OK") << 4 << false << "強制終了します。" << 1;
        QTest::newRow("fourth error, close box") << 4 << true << "強制終了します。" << 1;
        QTest::newRow("code 365 at once, OK") << 11 << false << "強制終了します。" << 1;
    }

    void errorContentAndItsEnd() {
        QFETCH(int, errorCount);
        QFETCH(bool, closeBox);
        QFETCH(QString, line);
        QFETCH(int, terminations);
        h->t.st.MessageMode = 1;
        h->t.st.ErrorCount = static_cast<std::int16_t>(errorCount);
        h->t.st.MessageText = "【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n";
        View v;
        int terminationsWhileOpen = -1;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            terminationsWhileOpen = h->process.terminations;
            if (closeBox) {
                w->close();
            } else {
                button(w, 0)->click();
            }
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(v.body, lf("【エラーが発生しました。】\r\n\r\n　エラー番号　 75\r\n"));
        QCOMPARE(v.line, line);
        QVERIFY(v.firstVisible);
        QCOMPARE(v.first, QStringLiteral("OK"));
        QVERIFY(!v.secondVisible);
        QCOMPARE(v.second, QString());
        QVERIFY(!v.checkVisible);
        QCOMPARE(terminationsWhileOpen, 0);
        QCOMPARE(h->process.terminations, terminations);
        QCOMPARE(h->t.st.MessageMode, 1);
    }

    void startUpMessageStoresTheCheckBox_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("checkedAtOpen");
        QTest::addColumn<bool>("check");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<QString>("expected");
        QTest::newRow("check, close box") << "0" << false << true << true << "1";
        QTest::newRow("check, button") << "0" << false << true << false << "1";
        QTest::newRow("uncheck, button") << "1" << true << false << false << "0";
        QTest::newRow("leave, close box") << "1" << true << true << true << "1";
    }

    void startUpMessageStoresTheCheckBox() {
        QFETCH(QString, stored);
        QFETCH(bool, checkedAtOpen);
        QFETCH(bool, check);
        QFETCH(bool, closeBox);
        QFETCH(QString, expected);
        h->t.settings.values[{"ver", "msse_h"}] = stored.toStdString();
        h->t.st.MessageMode = 5;
        h->t.st.MessageText = "今回の変更点です。\r\n二行目";
        View v;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            w->findChild<QCheckBox*>("Check1")->setChecked(check);
            if (closeBox) {
                w->close();
            } else {
                button(w, 0)->click();
            }
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(v.body, QStringLiteral("今回の変更点です。\n二行目"));
        QCOMPARE(v.line, QStringLiteral("　"));
        QVERIFY(v.firstVisible);
        QCOMPARE(v.first, QStringLiteral("閉じる"));
        QVERIFY(!v.secondVisible);
        QVERIFY(v.checkVisible);
        QCOMPARE(v.check, QStringLiteral("起動時に表示しない。"));
        QCOMPARE(v.checked, checkedAtOpen);
        QCOMPARE(v.shownMode, 5);
        QCOMPARE(QString::fromStdString(h->t.settings.values[{"ver", "msse_h"}]), expected);
        QCOMPARE(h->process.terminations, 0);
    }

    void emptyStartUpMessageSaysThereIsNone() {
        h->t.st.MessageMode = 5;
        h->t.st.MessageText.clear();
        View v;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            button(w, 0)->click();
        });
        ui::showMessageDialog(h->ctx);
        QCOMPARE(v.body, QStringLiteral("　メッセージはありません。"));
    }

    // The version content opened from the start-up message returns to it with "閉じる"; the check
    // box shows the stored choice again, and the mode the window was opened for is kept.
    void versionAndBackToTheStartUpMessage() {
        h->t.settings.values[{"ver", "msse_h"}] = "0";
        h->t.st.MessageMode = 5;
        h->t.st.MessageText = "お知らせ";
        View version;
        View back;
        DialogDriver d([&](ui::Form5* w) {
            w->findChild<QCheckBox*>("Check1")->setChecked(true);
            w->findChild<QAction*>("ver_f5")->trigger();
            version = viewOf(w);
            button(w, 1)->click();
            back = viewOf(w);
            w->close();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(version.shownMode, 0);
        QVERIFY(version.body.startsWith(QStringLiteral("　【　バージョン情報　】\n")));
        QVERIFY(!version.firstVisible);
        QVERIFY(version.secondVisible);
        QCOMPARE(version.second, QStringLiteral("閉じる"));
        QVERIFY(!version.checkVisible);
        QCOMPARE(back.shownMode, 5);
        QCOMPARE(back.body, QStringLiteral("お知らせ"));
        QVERIFY(back.checkVisible);
        QVERIFY(!back.checked);
        QCOMPARE(h->t.st.MessageMode, 5);
        QCOMPARE(QString::fromStdString(h->t.settings.values[{"ver", "msse_h"}]), QStringLiteral("0"));
    }

    // The version content over an error report returns to the report; the close box there still
    // acts for the error, which ends the program from the fourth error on.
    void versionOverAnErrorKeepsTheErrorsCloseBox() {
        h->t.st.MessageMode = 1;
        h->t.st.ErrorCount = 4;
        h->t.st.MessageText = "エラー";
        View back;
        DialogDriver d([&](ui::Form5* w) {
            w->findChild<QAction*>("ver_f5")->trigger();
            button(w, 1)->click();
            back = viewOf(w);
            w->findChild<QAction*>("ver_f5")->trigger();
            w->close();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(back.body, QStringLiteral("エラー"));
        QCOMPARE(back.line, QStringLiteral("強制終了します。"));
        QCOMPARE(back.shownMode, 0); // the error content leaves it as the version content set it
        QCOMPARE(h->process.terminations, 1);
    }

    void duplicateStart_data() {
        QTest::addColumn<int>("action"); // 0 はい, 1 無視, 2 close box
        QTest::addColumn<int>("terminations");
        QTest::newRow("はい") << 0 << 1;
        QTest::newRow("無視") << 1 << 0;
        QTest::newRow("close box") << 2 << 1;
    }

    void duplicateStart() {
        QFETCH(int, action);
        QFETCH(int, terminations);
        h->t.settings.values[{"form4", "/home/user/予定"}] = "運転中";
        const auto before = h->t.settings.values;
        h->t.st.MessageMode = 6;
        View v;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            if (action == 2) {
                w->close();
            } else {
                button(w, action)->click();
            }
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QCOMPARE(v.body, lf(ui::duplicateStartText().c_str()));
        QCOMPARE(v.line, QStringLiteral("　重複起動を、終了しますか？"));
        QVERIFY(v.firstVisible);
        QCOMPARE(v.first, QStringLiteral("はい"));
        QVERIFY(v.secondVisible);
        QCOMPARE(v.second, QStringLiteral("無視"));
        QVERIFY(!v.checkVisible);
        QCOMPARE(v.shownMode, 6);
        QCOMPARE(h->process.terminations, terminations);
        QVERIFY(h->t.settings.values == before);
    }

    // Closing by program runs no button action and lets the waiting caller go on.
    void closedByProgramRunsNothing_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("error, fourth") << 1;
        QTest::newRow("start-up message") << 5;
        QTest::newRow("duplicate start") << 6;
    }

    void closedByProgramRunsNothing() {
        QFETCH(int, mode);
        h->t.st.MessageMode = mode;
        h->t.st.ErrorCount = 4;
        bool openWhileShown = false;
        DialogDriver d([&](ui::Form5* w) {
            openWhileShown = h->ctx.message == w;
            w->findChild<QCheckBox*>("Check1")->setChecked(true);
            ui::closeMessageDialog(h->ctx);
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QVERIFY(openWhileShown);
        QVERIFY(h->ctx.message == nullptr);
        QCOMPARE(h->process.terminations, 0);
        QVERIFY(h->t.settings.values.empty());
    }

    void escapeDoesNotClose() {
        h->t.st.MessageMode = 0;
        bool stillOpen = false;
        DialogDriver d([&](ui::Form5* w) {
            QTest::keyClick(w, Qt::Key_Escape);
            stillOpen = w->isVisible();
            button(w, 1)->click();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QVERIFY(stillOpen);
    }

    void helpMenuOpensTheHelp() {
        h->t.st.MessageMode = 0;
        bool stillOpen = false;
        DialogDriver d([&](ui::Form5* w) {
            w->findChild<QAction*>("help_hiraku")->trigger();
            // The F1 key does the same.
            w->activateWindow();
            if (QTest::qWaitForWindowActive(w)) {
                QTest::keyClick(w, Qt::Key_F1);
            }
            stillOpen = w->isVisible();
            button(w, 1)->click();
        });
        ui::showMessageDialog(h->ctx);
        QVERIFY(!d.stuck);
        QVERIFY(stillOpen);
        QCOMPARE(h->help.opened, std::vector<std::string>(2, "/home/user/予定/Mayorin。ヘルプ.chm"));
        QCOMPARE(w_helpMenuTitle(), QStringLiteral("ヘルプ"));
    }

    // A failure in a button's action closes the dialog and reaches the trap of whoever opened it.
    void failureInAnActionReachesTheOpener() {
        FailingSettings failing;
        persist::Settings settings(failing);
        ui::UiContext ctx{h->t.env, settings, h->sound, h->help, h->process};
        h->t.st.MessageMode = 5;
        DialogDriver d([&](ui::Form5* w) { button(w, 0)->click(); });
        int code = 0;
        try {
            ui::showMessageDialog(ctx);
        } catch (const core::Failure& f) {
            code = f.code();
        }
        QVERIFY(!d.stuck);
        QCOMPARE(code, 75);
        QVERIFY(ctx.message == nullptr);
    }

    void messeijiShowsOnlyWhenAsked_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hidden"); // empty: not stored
        QTest::addColumn<int>("forced");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("body");
        QTest::newRow("no message") << ""
                                    << "" << 0 << false << "";
        QTest::newRow("message") << "新機能"
                                 << "" << 0 << true << "新機能";
        QTest::newRow("message hidden") << "新機能"
                                        << "1" << 0 << false << "";
        QTest::newRow("message not hidden") << "新機能"
                                            << "0" << 0 << true << "新機能";
        QTest::newRow("hidden, forced") << "新機能"
                                        << "1" << 1 << true << "新機能";
        QTest::newRow("removed, forced") << ""
                                         << "0" << 1 << true << "　メッセージはありません。";
    }

    void messeijiShowsOnlyWhenAsked() {
        QFETCH(QString, text);
        QFETCH(QString, hidden);
        QFETCH(int, forced);
        QFETCH(bool, shown);
        QFETCH(QString, body);
        if (!text.isEmpty()) {
            h->t.settings.values[{"ver", "68"}] = text.toStdString();
        }
        if (!hidden.isEmpty()) {
            h->t.settings.values[{"ver", "msse_h"}] = hidden.toStdString();
        }
        View v;
        DialogDriver d([&](ui::Form5* w) {
            v = viewOf(w);
            button(w, 0)->click();
        });
        ui::messeiji(h->ctx, forced);
        QCOMPARE(d.shown, shown ? 1 : 0);
        QVERIFY(h->t.errors.reports.empty());
        if (shown) {
            QCOMPARE(h->t.st.MessageMode, 5);
            QCOMPARE(v.body, body);
            QCOMPARE(v.shownMode, 5);
        } else {
            QCOMPARE(h->t.st.MessageMode, 0);
        }
    }

private:
    QString w_helpMenuTitle() {
        ui::Form5 w(h->ctx);
        auto* menu = w.findChild<QMenu*>("help_f5");
        return menu ? menu->title() : QString();
    }

    std::unique_ptr<Harness> h;
};

QTEST_MAIN(TestForm5)
#include "TestForm5.moc"
