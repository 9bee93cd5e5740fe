// What every window of the program shares: where it is placed on the screens, and how a screen
// reader announces its inputs.
#include <QAccessible>
#include <QComboBox>
#include <QtTest>

#include "persist/Settings.h"
#include "tests/support/TestEnv.h"
#include "ui/UiContext.h"
#include "ui/WindowPlace.h"
#include "ui/entry/Form1.h"
#include "ui/names/Form3.h"
#include "ui/notice/Form2.h"

using namespace mayorin;

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void placesKeepTheTitleBarOnAScreen_data() {
        // Frame: borders of 5, title bar of 30 (top margin). Inside 600 x 400: frame 610 x 435.
        const QRect bare(0, 0, 1920, 1080);
        const QRect underTopPanel(0, 24, 1920, 1056);
        const QRect rightMonitor(1920, 0, 1280, 1024);
        const QRect leftPanelSmall(40, 0, 760, 600); // a small screen with a panel on the left
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("fully visible: kept exactly")
            << QRect(100, 200, 600, 400) << QList<QRect>{bare} << QRect(100, 200, 600, 400);
        QTest::newRow("touching every edge: kept exactly")
            << QRect(0, 24, 1910, 1021) << QList<QRect>{underTopPanel} << QRect(0, 24, 1910, 1021);
        QTest::newRow("default place under a top panel: just below it")
            << QRect(67, 7, 600, 400) << QList<QRect>{underTopPanel} << QRect(67, 24, 600, 400);
        QTest::newRow("title bar above the top (native Wayland's -3, -30)")
            << QRect(-3, -30, 600, 400) << QList<QRect>{bare} << QRect(0, 0, 600, 400);
        QTest::newRow("fits only without its frame: moved by the frame")
            << QRect(1315, 660, 600, 400) << QList<QRect>{bare} << QRect(1310, 645, 600, 400);
        QTest::newRow("hanging off the bottom right")
            << QRect(1500, 900, 600, 400) << QList<QRect>{bare} << QRect(1310, 645, 600, 400);
        QTest::newRow("on the second monitor: kept exactly")
            << QRect(2000, 100, 600, 400) << QList<QRect>{bare, rightMonitor} << QRect(2000, 100, 600, 400);
        QTest::newRow("across two monitors: onto the one it overlaps most")
            << QRect(1700, 100, 600, 400) << QList<QRect>{bare, rightMonitor} << QRect(1920, 100, 600, 400);
        QTest::newRow("monitor unplugged: onto the primary")
            << QRect(2000, 1500, 600, 400) << QList<QRect>{underTopPanel, QRect(-1280, 0, 1280, 1024)}
            << QRect(1310, 645, 600, 400);
        QTest::newRow("far to the left of every screen: onto the primary")
            << QRect(-10000, 300, 600, 400) << QList<QRect>{underTopPanel} << QRect(0, 300, 600, 400);
        QTest::newRow("larger than the screen: shrunk to fit beside the panel")
            << QRect(0, 0, 1000, 800) << QList<QRect>{leftPanelSmall} << QRect(40, 0, 750, 565);
        QTest::newRow("no screen at all: as stored")
            << QRect(-3, -30, 600, 400) << QList<QRect>{} << QRect(-3, -30, 600, 400);
    }
    void placesKeepTheTitleBarOnAScreen() {
        QFETCH(QRect, stored);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, placed);
        const QRect primary = screens.value(0);
        QCOMPARE(ui::placeOnScreens(stored, QMargins(5, 30, 5, 5), screens, primary), placed);
    }

    // Each input is announced by the label the window shows beside it, each list by its caption.
    void inputsAreAnnouncedByTheirLabels_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const QString match = QStringLiteral("開始→終了迄　(　試合時間　)");
        const QString rest = QStringLiteral("終了→開始迄　　( 休憩時間 )");
        const QList<QStringList> rows{
            {"Form1", "Combo1_3", "表示名", ""},
            {"Form1", "Combo1_4", "時間", match},
            {"Form1", "Combo1_5", "分", match},
            {"Form1", "Combo1_6", "時間", rest},
            {"Form1", "Combo1_7", "分", rest},
            {"Form1", "Combo1_8", "繰り返し回数", ""},
            {"Form1", "Combo2_3", "表示名", ""},
            {"Form1", "Combo2_4", "時", "時刻"},
            {"Form1", "Combo2_5", "分", "時刻"},
            {"Form1", "Combo2_6", "月", "月日"},
            {"Form1", "Combo2_7", "日", "月日"},
            {"Form1", "Combo2_8", "曜日", ""},
            {"Form1", "List1", "予約内容", ""},
            {"Form2", "Combo1", "延長", "分"},
            {"Form2", "List1_0", "Mayorin。お知らせ", ""},
            {"Form3", "Text1", "表示名", ""},
            {"Form3", "List1", "タイマー側　表示名の編集", ""},
        };
        for (const QStringList& r : rows) {
            QTest::newRow(qPrintable(r[0] + " " + r[1])) << r[0] << r[1] << r[2] << r[3];
        }
    }
    void inputsAreAnnouncedByTheirLabels() {
        QFETCH(QString, window);
        QFETCH(QString, input);
        QFETCH(QString, name);
        QFETCH(QString, description);
        test::TestEnv t;
        t.st.AppDir = QDir::tempPath().toStdString();
        persist::Settings settings{t.settings};
        test::FakeSound sound;
        test::FakeHelp help;
        test::FakeProcess process;
        ui::UiContext ctx{t.env, settings, sound, help, process};
        ui::openEntryWindow(ctx);
        ui::openNoticeWindow(ctx);
        ui::openNamesEditor(ctx);
        QWidget* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == window) {
                w = top->findChild<QWidget*>(input);
            }
        }
        QVERIFY(w != nullptr);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QCOMPARE(a->text(QAccessible::Name), name);
        QCOMPARE(a->text(QAccessible::Description), description);
        // A box is still read with its value.
        if (auto* box = qobject_cast<QComboBox*>(w)) {
            QCOMPARE(a->text(QAccessible::Value), box->currentText());
        }
        ui::closeNamesEditor(ctx);
        ui::closeNoticeWindow(ctx);
        ui::closeEntryWindow(ctx);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestWindows)
#include "TestWindows.moc"
