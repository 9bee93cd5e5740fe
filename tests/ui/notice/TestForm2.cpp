// The notification window driven as the running program drives it: the resident tick turns due
// rows into notices, the window's own timer is stepped by hand, and the clock moves only when a
// test moves it.
#include <QComboBox>
#include <QFontMetrics>
#include <QPointer>
#include <QtTest>

#include "notify/Recalc.h"
#include "tests/ui/notice/NoticeHarness.h"

using namespace mayorin;
using test::Program;

namespace {

const std::string kStamp = " 2026/12/07(月),09:00:00"; // the fake clock's start, as log lines show it

std::string pad(const std::string& text, int columns) {
    return text + std::string(columns, ' ');
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT

private slots:
    void init() { p = std::make_unique<Program>(); }
    void cleanup() {
        if (p->form()) {
            p->form()->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        p.reset();
    }

    void dueNoticeOpensTheWindowAtTheTopAndSelected() {
        p->addTimer("お茶");
        p->addDaily("会議", 60);
        p->resident.tick();

        ui::Form2* w = p->form();
        QVERIFY(w);
        QCOMPARE(p->st.NoticeWindowState, std::string("作業中"));
        QCOMPARE(w->windowTitle(), QString("Mayorin。お知らせ"));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w->isVisible());
        auto* timer = p->child<QTimer>("Timer1");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 100);
        timer->stop();
        QCOMPARE(p->log.lines.front(), "▽お知ら," + kStamp + ",,,お知らせ画面の表示,,,,,");

        QCOMPARE(p->items(), p->pendingLines());
        QCOMPARE(p->list()->count(), 1);
        QVERIFY(p->list()->item(0)->isSelected());
        QCOMPARE(p->label("Label2_0").toStdString(), pad("お茶", 26));
        QCOMPARE(p->label("Label2_1").toStdString(), pad(" から05分が経過しました。", 5));
        QCOMPARE(p->label("Label2_2"), QString("【表示日時】 2026/12/07(月) 09:00:00"));
        QVERIFY(p->button(2)->isEnabled());

        p->step();
        // The date line is the calendar's own text (its era part is the calendar's business).
        QCOMPARE(p->label("Label1_0").toStdString(), core::genzai(p->env, 0));
        QVERIFY(p->label("Label1_0").startsWith("2026年("));
        QVERIFY(p->label("Label1_0").endsWith("年)　12月　7日　月曜日"));
        QCOMPARE(p->label("Label1_1"), QString("9時　0分　0秒"));
        QCOMPARE(p->label("Label2_3"), QString("経過時間　0日 00時間　00分　00秒"));

        // A minute later the alarm falls due: it goes on top and is selected, the first moves down.
        p->clock.advance(60);
        p->tick();
        QCOMPARE(p->list()->count(), 2);
        QCOMPARE(p->items(), p->pendingLines());
        QVERIFY(p->list()->item(0)->isSelected());
        QVERIFY(!p->list()->item(1)->isSelected());
        QCOMPARE(p->label("Label2_0").toStdString(), pad("会議", 26));
        QCOMPARE(p->label("Label2_2"), QString("【表示日時】 2026/12/07(月) 09:01:00"));

        // The elapsed time is that of the selected notice; picking the older one shows its texts.
        p->clock.advance(312);
        p->list()->setCurrentRow(1);
        QCOMPARE(p->label("Label2_0").toStdString(), pad("お茶", 26));
        p->step();
        QCOMPARE(p->label("Label1_1"), QString("9時　6分　12秒"));
        QCOMPARE(p->label("Label2_3"), QString("経過時間　0日 00時間　06分　12秒"));

        // Nothing selected: every text of the notice is empty and the extend button is off.
        p->list()->clearSelection();
        p->step();
        for (const char* name : {"Label2_0", "Label2_1", "Label2_2", "Label2_3"}) {
            QVERIFY2(p->label(name).isEmpty(), name);
        }
        QVERIFY(!p->button(2)->isEnabled());
        QVERIFY(p->errors.reports.empty());
    }

    void windowControlsAtOpening() {
        p->addTimer("お茶");
        p->tick();
        auto* combo = p->child<QComboBox>("Combo1");
        QVERIFY(combo->isEditable());
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i);
        }
        QCOMPARE(entries, QStringList({"1", "2", "3", "5", "10", "15", "20", "25", "30", "40", "40", "50", "60"}));
        QCOMPARE(combo->currentText(), QString("5"));
        QCOMPARE(p->button(0)->text(), QString("消して閉じる"));
        QCOMPARE(p->button(1)->text(), QString("消さずに閉じる"));
        QCOMPARE(p->button(2)->text(), QString("延長する"));
        QCOMPARE(p->label("Label1_3"), QString("延長"));
        QCOMPARE(p->label("Label1_2"), QString("分"));

        // A value typed there lasts only until the window closes.
        combo->setEditText("30");
        p->close(1);
        p->addTimer("お茶２");
        p->tick();
        QCOMPARE(p->child<QComboBox>("Combo1")->currentText(), QString("5"));
    }

    void extendButtonFollowsTheSelectedNotice() {
        // Kind "1" (a repeating countdown) cannot be extended; every other kind can.
        p->addTimer("タイマー", 0);
        p->clock.advance(1);
        p->tick();
        QVERIFY(p->button(2)->isEnabled());

        p->addRepeating("繰返し");
        p->tick();
        QCOMPARE(p->st.NoticeTable[p->st.NoticeCount - 1][core::kKindCode], std::string("1"));
        QVERIFY(!p->button(2)->isEnabled());
        const auto rows = p->st.ReservationCount;
        p->form()->Command1_Click(2);
        QCOMPARE(p->st.ReservationCount, rows);
        QVERIFY(p->messages.shown.empty());

        // Back to the countdown notice below it: enabled again.
        p->list()->setCurrentRow(1);
        QVERIFY(p->button(2)->isEnabled());

        // Nothing selected: disabled, and pressing does nothing.
        p->list()->clearSelection();
        QVERIFY(!p->button(2)->isEnabled());
        p->form()->Command1_Click(2);
        QCOMPARE(p->st.ReservationCount, rows);
        QVERIFY(p->messages.shown.empty());
        QVERIFY(p->errors.reports.empty());
    }

    void desktopNotificationNamesTheNewestNotice_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("option"); // settei/4; "-" leaves it out
        QTest::addColumn<QStringList>("shown");
        const QString buttons = "default=お知らせ画面を表示;0=消して閉じる;1=消さずに閉じる";
        QTest::newRow("countdown") << "0" << "-"
                                   << QStringList{"Mayorin。|お茶　から05分が経過しました。|" + buttons + ";2=延長する"};
        // A repeating countdown's notice is not extended, in the window or on the desktop.
        QTest::newRow("repeating countdown")
            << "1" << "True" << QStringList{"Mayorin。|お茶　1回目の開始時間です。|" + buttons};
        QTest::newRow("switched off") << "0" << "False" << QStringList{};
    }
    void desktopNotificationNamesTheNewestNotice() {
        QFETCH(QString, kind);
        QFETCH(QString, option);
        QFETCH(QStringList, shown);
        if (option != "-") {
            p->store.save("settei", "4", option.toStdString());
        }
        if (kind == "0") {
            p->addTimer("お茶");
        } else {
            p->addRepeating("お茶");
        }
        p->tick();
        QCOMPARE(p->desktop.shown, shown);
        p->close(1);
        QCOMPARE(p->desktop.withdrawn, 1);
    }

    void desktopAnswersAsTheButtonsDo() {
        p->addTimer("お茶");
        p->addDaily("会議", 60);
        p->tick();
        p->clock.advance(60);
        p->tick();
        QCOMPARE(p->desktop.shown.last(), QString("Mayorin。|会議　の時間です。\nほかに1件のお知らせがあります。|"
                                                  "default=お知らせ画面を表示;0=消して閉じる;1=消さずに閉じる;2=延長する"));
        // 延長する extends the notice the notification names, whatever the list's selection.
        p->list()->setCurrentRow(1);
        p->child<QComboBox>("Combo1")->setEditText("12");
        const auto rows = p->st.ReservationCount;
        QVERIFY(p->desktop.answer("2"));
        QCOMPARE(p->st.ReservationCount, rows + 1);
        const auto& extension = p->st.ReservationTable[p->st.ReservationCount - 1]; // 09:13, the soonest
        QCOMPARE(extension[core::kKindCode] + "," + extension[core::kName], std::string("10,会議"));
        QCOMPARE(p->messages.shown.back().text, std::string("12分延長をしました。"));
        QCOMPARE(p->log.lines.back(), "［延長］, 2026/12/07(月),09:01:00,,会議,予約の延長,予約データ数=" +
                                          std::to_string(rows + 1) + ",,,,");
        // A click on its text brings the window up with the keyboard.
        p->form()->showMinimized();
        QVERIFY(p->desktop.answer(ui::kDefaultAction));
        QVERIFY(!p->form()->isMinimized());
        QTRY_VERIFY(p->form()->isActiveWindow());
        // 消して閉じる discards every pending notice and closes the window, which withdraws it.
        QVERIFY(p->desktop.answer("0"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p->form());
        QCOMPARE(p->st.NoticeCount, std::int16_t(0));
        QCOMPARE(p->desktop.withdrawn, 1);
        QVERIFY(!p->desktop.answer("1"));
        QVERIFY(p->errors.reports.empty());
    }

    void extendByTheMinutesInTheBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes");
        QTest::newRow("list entry") << "5" << 5;
        QTest::newRow("typed") << "12" << 12;
        QTest::newRow("no number") << "abc" << 1;
        QTest::newRow("empty") << "" << 1;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("too many") << "150" << 99;
        QTest::newRow("seconds ignored") << "7:30" << 7;
        QTest::newRow("negative") << "-3" << 3;
    }
    void extendByTheMinutesInTheBox() {
        QFETCH(QString, text);
        QFETCH(int, minutes);
        p->addTimer("お茶");
        const std::string due = p->st.ReservationTable[0][core::kNextSecond];
        p->tick();
        QCOMPARE(p->st.ReservationCount, 0);

        p->child<QComboBox>("Combo1")->setEditText(text);
        QTest::mouseClick(p->button(2), Qt::LeftButton);

        QCOMPARE(p->st.ReservationCount, 1);
        const auto& row = p->st.ReservationTable[0];
        QCOMPARE(row[core::kKindCode], std::string("10"));
        QCOMPARE(row[core::kRepeatMode], std::string("0"));
        QCOMPARE(row[core::kName], std::string("お茶"));
        QCOMPARE(row[5], std::to_string(minutes));
        QCOMPARE(row[8], due);
        QCOMPARE(core::value(row[core::kNextSecond]), core::value(due) + minutes * 60);

        QCOMPARE(p->messages.shown.size(), std::size_t(1));
        QCOMPARE(p->messages.shown[0].text, std::to_string(minutes) + "分延長をしました。");
        QCOMPARE(p->messages.shown[0].title, std::string("Mayorin。"));
        QVERIFY(p->messages.shown[0].buttons == platform::Buttons::Ok);
        QCOMPARE(p->log.lines.back(), "［延長］," + kStamp + ",,お茶,予約の延長,予約データ数=1,,,,");

        // The window stays open and the notice stays pending and listed.
        QVERIFY(p->form());
        QCOMPARE(p->st.NoticeCount, 1);
        QCOMPARE(p->list()->count(), 1);
        QVERIFY(p->errors.reports.empty());
    }

    void extensionCountsFromTheDueTimeAndKeepsItsNotice() {
        // Due at 09:00, extended by 5 minutes at 09:07: the extension is due at 09:05, so it falls
        // due at the next tick, late.
        p->addTimer("お茶");
        p->tick();
        p->clock.advance(7 * 60);
        // A daily alarm due at 09:04 is notified while the box is up and becomes the selected
        // notice; the extension still belongs to the notice selected when the button was pressed.
        p->addDaily("会議", -180);
        p->messages.whileShown = [this] { p->tick(); };
        p->form()->Command1_Click(2);
        p->messages.whileShown = nullptr;

        QCOMPARE(p->list()->count(), 2);
        QCOMPARE(p->label("Label2_0").toStdString(), pad("会議", 26));
        QCOMPARE(p->log.lines.back(),
                 std::string("［延長］, 2026/12/07(月),09:07:00,,お茶,予約の延長,予約データ数=2,,,,"));

        p->tick();
        QCOMPARE(p->st.ReservationCount, 1); // the daily alarm, for tomorrow
        QCOMPARE(p->list()->count(), 3);
        QCOMPARE(p->label("Label2_0").toStdString(), pad("お茶", 26));
        QCOMPARE(p->label("Label2_2"), QString("【表示日時】 2026/12/07(月) 09:05:00 + 0日 00:02:00"));
        QCOMPARE(p->label("Label2_1"), QString("【遅刻表示】5分の延長が過ぎました。"));
        QVERIFY(p->errors.reports.empty());
    }

    void longTextsShrinkToFitTheirLabels() {
        // A late countdown's message is wider than its label at the design size: the label's font
        // shrinks until it fits. A short one keeps the design size.
        p->addTimer("お茶", -12);
        p->addDaily("会議", 60);
        p->tick();
        auto* message = p->child<QLabel>("Label2_1");
        QCOMPARE(message->text().trimmed(), QString("【遅刻表示】 から05分が経過しました。"));
        QVERIFY(message->font().pixelSize() < 19);
        QVERIFY(QFontMetrics(message->font()).horizontalAdvance(message->text().trimmed()) <= message->width());
        QCOMPARE(p->list()->item(0)->toolTip(), p->list()->item(0)->text());

        p->clock.advance(60);
        p->tick();
        QCOMPARE(message->text().trimmed(), QString("の時間です。"));
        QCOMPARE(message->font().pixelSize(), 19);
    }

    void windowClosedWhileTheBoxIsUpStillLogsTheExtension() {
        // The program may close the window (at its end) while the box waits, the pending notices
        // discarded or not; the window is then gone when the box returns, and the extension
        // finishes without it, under the name of the row it extended.
        p->addTimer("お茶");
        p->tick();
        p->messages.whileShown = [this] {
            notify::entyou_kesu(p->env);
            ui::closeNoticeWindow(p->ctx);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        const QPointer<ui::Form2> window = p->form();
        QTest::mouseClick(p->button(2), Qt::LeftButton);
        QVERIFY(window.isNull());
        QVERIFY(!p->form());
        QCOMPARE(p->st.ReservationCount, 1);
        QCOMPARE(p->log.lines.back(), "［延長］," + kStamp + ",,お茶,予約の延長,予約データ数=1,,,,");
        QVERIFY(p->errors.reports.empty());
    }

    void failedExtensionIsNotAnnounced() {
        // A full store cannot take the extension row: the failure is reported and the user is not
        // told that the notice was extended.
        p->addTimer("お茶");
        p->tick();
        p->st.ReservationTable.growTo(32767);
        p->st.ReservationCount = 32767;
        const auto lines = p->log.lines.size();
        p->form()->Command1_Click(2);
        QCOMPARE(p->reportLocations(), std::vector<std::string>({"tuika_mein M2"}));
        QVERIFY(p->messages.shown.empty());
        QCOMPARE(p->log.lines.size(), lines);
    }

    void closingKeepsOrDiscardsThePendingNotices() {
        p->addTimer("一");
        p->tick();
        p->addTimer("二");
        p->tick();
        const QStringList firstTwo = p->items();

        // Kept: the next notice lists them again under itself.
        p->close(1);
        QVERIFY(!p->form());
        QCOMPARE(p->st.NoticeWindowState, std::string("休業中"));
        QCOMPARE(p->st.NoticeCount, 2);
        QCOMPARE(p->log.lines.back(), "△お知ら," + kStamp + ",,,お知らせ画面を閉じる,,,,,");
        p->addTimer("三");
        p->tick();
        QCOMPARE(p->list()->count(), 3);
        QCOMPARE(p->items().mid(1), firstTwo);
        QCOMPARE(p->items(), p->pendingLines());
        QVERIFY(p->list()->item(0)->isSelected());

        // The close box keeps them too.
        p->form()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p->form());
        QCOMPARE(p->st.NoticeCount, 3);

        // Discarded: the next window shows only the new notice.
        p->addTimer("四");
        p->tick();
        QCOMPARE(p->list()->count(), 4);
        p->close(0);
        QVERIFY(!p->form());
        QCOMPARE(p->st.NoticeCount, 0);
        QCOMPARE(p->st.NoticeWindowState, std::string("休業中"));
        p->addTimer("五");
        p->tick();
        QCOMPARE(p->list()->count(), 1);
        QCOMPARE(p->items(), p->pendingLines());
        QVERIFY(p->items()[0].startsWith("五"));
        QVERIFY(p->errors.reports.empty());
    }

    void soundStartsOnceAndRestartsOnlyAfterTwoSeconds_data() {
        QTest::addColumn<int>("stepsBeforeSecond");
        QTest::addColumn<bool>("restarts");
        // After the first timer step the counter is 2; each further step adds one, up to 50, then 0.
        QTest::newRow("counter 2") << 1 << false;
        QTest::newRow("counter 20") << 19 << false;
        QTest::newRow("counter 21") << 20 << true;
        QTest::newRow("counter 50") << 49 << true;
        QTest::newRow("idle again") << 50 << true;
    }
    void soundStartsOnceAndRestartsOnlyAfterTwoSeconds() {
        QFETCH(int, stepsBeforeSecond);
        QFETCH(bool, restarts);
        const std::string file = "File /opt/mayorin/Mayorin。音.wav";
        const std::vector<std::string> start = {"Close", file, "Open", "Play"};

        p->addTimer("一");
        p->tick();
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(1));
        QVERIFY(p->sound.steps.empty()); // the window's timer starts it
        p->step(stepsBeforeSecond);
        QCOMPARE(p->sound.steps, start);
        const int counter = stepsBeforeSecond == 50 ? 0 : stepsBeforeSecond + 1;
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(counter));

        p->addTimer("二");
        p->tick();
        p->step();
        std::vector<std::string> expected = start;
        if (restarts) {
            expected.insert(expected.end(), start.begin(), start.end());
        }
        QCOMPARE(p->sound.steps, expected);
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(restarts ? 2 : counter + 1));
    }

    void soundSwitch_data() {
        QTest::addColumn<QString>("stored");   // settei keys as key=text;...: 0 the sound, 5 its repeat,
                                               // oto a sound of the user's own, here a missing one
        QTest::addColumn<int>("seconds");      // how long the notice is watched
        QTest::addColumn<QString>("answer");   // what comes at 30 s: a button, a click, the desktop, a notice
        QTest::addColumn<QList<int>>("plays"); // the seconds the chime started at
        using L = QList<int>;
        QTest::newRow("not set") << "" << 60 << "" << L{0};
        QTest::newRow("True") << "0=True" << 0 << "" << L{0};
        QTest::newRow("False") << "0=False" << 0 << "" << L{};
        QTest::newRow("lower-case false") << "0=false" << 0 << "" << L{0};
        QTest::newRow("0") << "0=0" << 0 << "" << L{0};
        QTest::newRow("repeated") << "5=True" << 50 << "" << L{0, 20, 40};
        QTest::newRow("repeat, 消して閉じる") << "5=True" << 60 << "0" << L{0, 20};
        QTest::newRow("repeat, 消さずに閉じる") << "5=True" << 60 << "1" << L{0, 20};
        QTest::newRow("repeat, 延長する") << "5=True" << 60 << "2" << L{0, 20};
        QTest::newRow("repeat, a click into the window") << "5=True" << 60 << "click" << L{0, 20};
        QTest::newRow("repeat, the notification's text") << "5=True" << 60 << "default" << L{0, 20};
        QTest::newRow("repeat, the window closed") << "5=True" << 60 << "close" << L{0, 20};
        QTest::newRow("repeat, a new notice") << "5=True" << 60 << "notice" << L{0, 20, 30, 50};
        L tenMinutes;
        for (int t = 0; t < 600; t += 20) {
            tenMinutes << t;
        }
        QTest::newRow("repeat for ten minutes") << "5=True" << 700 << "" << tenMinutes;
        QTest::newRow("repeat without sound") << "0=False;5=True" << 60 << "" << L{};
        QTest::newRow("own sound missing") << "5=True;oto=/home/u/鐘.wav" << 20 << "" << L{0, 20};
    }
    void soundSwitch() {
        QFETCH(QString, stored);
        QFETCH(int, seconds);
        QFETCH(QString, answer);
        QFETCH(QList<int>, plays);
        QString own;
        for (const QString& pair : stored.split(';', Qt::SkipEmptyParts)) {
            const QString key = pair.section('=', 0, 0);
            const QString text = pair.section('=', 1);
            p->store.save("settei", key.toStdString(), text.toStdString());
            own = key == "oto" ? text : own;
        }
        p->sound.missing = own.toStdString();
        p->addTimer("一");
        p->tick();
        p->step(3);
        // The cycle runs either way; only the playing depends on the switch.
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(4));
        // A sound of one's own is played with the program's chime in its place when it does not play.
        const std::string chime = "/opt/mayorin/Mayorin。音.wav";
        const std::string file = own.isEmpty() ? chime : own.toStdString() + " or " + chime;
        const std::vector<std::string> played = {"Close", "File " + file, "Open", "Play"};
        QCOMPARE(p->sound.steps, !plays.isEmpty() ? played : std::vector<std::string>{"Close"});

        // The resident tick five times a second, the window's timer ten times.
        const auto started = [this] { return std::count(p->sound.steps.begin(), p->sound.steps.end(), "Play"); };
        QList<int> got(started(), 0);
        for (int t = 1; t <= seconds * 5; ++t) {
            p->clock.advance(t % 5 == 0 ? 1 : 0);
            if (t == 30 * 5) {
                if (answer == "0" || answer == "1") {
                    p->close(answer.toInt());
                } else if (answer == "2") {
                    p->form()->Command1_Click(2);
                } else if (answer == "click") {
                    QTest::mouseClick(p->list()->viewport(), Qt::LeftButton);
                } else if (answer == "default") {
                    QVERIFY(p->desktop.answer(ui::kDefaultAction));
                } else if (answer == "close") {
                    p->form()->close(); // its close box, or the program's end
                } else if (answer == "notice") {
                    p->addTimer("二");
                }
            }
            const auto before = started();
            p->tick();
            if (p->form()) {
                p->step(2);
            }
            if (started() > before) {
                got << t / 5;
            }
        }
        QCOMPARE(got, plays);
        // At rest once answered, or ten minutes after the notice.
        QCOMPARE(p->st.NoticeWaits, (answer.isEmpty() || answer == "notice") && seconds < 600);
        // One log line for it in the run, however often it was to play.
        std::vector<std::string> fellBack;
        std::copy_if(p->log.lines.begin(), p->log.lines.end(), std::back_inserter(fellBack),
                     [](const std::string& l) { return l.rfind("※", 0) == 0; });
        const std::string line = "※音　　," + kStamp + ",,,お知らせの音を鳴らせない," + own.toStdString() +
                                 ",理由=ファイルが無い,代わり=" + chime + ",,";
        QCOMPARE(fellBack, own.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{line});
    }

    void closingStopsTheSound() {
        p->addTimer("一");
        p->tick();
        p->step(5);
        p->close(1);
        QCOMPARE(p->sound.steps.back(), std::string("Close"));
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(0));
    }

    void minimisedWindowTakesNewNoticesWithoutComingBack() {
        p->store.save("form2", "WindowState", "1");
        p->addTimer("一");
        p->tick();
        QVERIFY(p->form()->isMinimized());
        p->step();
        p->addTimer("二", 5);
        p->clock.advance(5);
        p->tick();
        QVERIFY(p->form()->isMinimized());
        QCOMPARE(p->list()->count(), 2);
        QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(2)); // within two seconds: no restart
        p->step(30);
        p->addTimer("三");
        p->tick();
        p->step();
        QVERIFY(p->form()->isMinimized());
        QCOMPARE(std::count(p->sound.steps.begin(), p->sound.steps.end(), std::string("Play")), 2);
    }

    void placedAndSavedByItsFrame() {
        // Top and left are the corner of the frame: at the top of the screen the title bar stays on
        // it. The offscreen platform draws a frame of 2 pixels.
        p->addTimer("一");
        p->tick();
        QCOMPARE(p->form()->frameGeometry().topLeft(), QPoint(67, 7));
        QCOMPARE(p->form()->geometry(), QRect(69, 9, 626, 243));
        p->close(1);

        p->store.save("form2", "Top   ", "1500");
        p->store.save("form2", "Left  ", "1500");
        p->store.save("form2", "Height", "4500");
        p->store.save("form2", "Width ", "9000");
        p->addTimer("二");
        p->tick();
        QCOMPARE(p->form()->frameGeometry().topLeft(), QPoint(100, 100));
        QCOMPARE(p->form()->size(), QSize(600, 300));
        p->form()->move(210, 90);
        p->form()->resize(720, 330);
        p->close(1);
        const auto& v = p->store.values;
        QCOMPARE(v.at({"form2", "WindowState"}), std::string("0"));
        QCOMPARE(v.at({"form2", "Top   "}), std::string("1350"));
        QCOMPARE(v.at({"form2", "Left  "}), std::string("3150"));
        QCOMPARE(v.at({"form2", "Height"}), std::string("4950"));
        QCOMPARE(v.at({"form2", "Width "}), std::string("10800"));
    }

    void defaultGeometryRoundTripsExactly() {
        // 1000 twips is not a whole number of pixels; an untouched window saves what it read.
        p->addTimer("一");
        p->tick();
        QCOMPARE(p->form()->size(), QSize(626, 243));
        p->close(1);
        const auto& v = p->store.values;
        QCOMPARE(v.at({"form2", "Top   "}), std::string("105"));
        QCOMPARE(v.at({"form2", "Left  "}), std::string("1000"));
        QCOMPARE(v.at({"form2", "Height"}), std::string("3645"));
        QCOMPARE(v.at({"form2", "Width "}), std::string("9390"));
    }

    void windowSavedOutOfSightComesBackIntoView_data() {
        // Where on the 800 x 600 screen, the title bar and borders being 30 and 5 pixels before the
        // window is first framed (the placing rules themselves: test_ui_windows).
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QRect>("shown");
        QTest::newRow("screen gone") << "-150000"
                                     << "-150000"
                                     << "4500"
                                     << "10500" << QRect(0, 0, 700, 300);
        QTest::newRow("no size") << "1500"
                                 << "3000"
                                 << "0"
                                 << "-15" << QRect(164, 100, 626, 243);
    }
    void windowSavedOutOfSightComesBackIntoView() {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QRect, shown);
        p->store.save("form2", "Top   ", top.toStdString());
        p->store.save("form2", "Left  ", left.toStdString());
        p->store.save("form2", "Height", height.toStdString());
        p->store.save("form2", "Width ", width.toStdString());
        p->addTimer("一");
        p->tick();
        QCOMPARE(QRect(p->form()->pos(), p->form()->size()), shown);
        p->close(1);
        // What is saved is where the window really was.
        const auto& v = p->store.values;
        const auto twips = [](int px) { return std::to_string(px * 15); };
        QCOMPARE(v.at({"form2", "Top   "}), twips(shown.y()));
        QCOMPARE(v.at({"form2", "Left  "}), twips(shown.x()));
        QCOMPARE(v.at({"form2", "Height"}), twips(shown.height()));
        QCOMPARE(v.at({"form2", "Width "}), twips(shown.width()));
    }

    void maximisedWindowReopensMaximised() {
        p->addTimer("一");
        p->tick();
        p->form()->showMaximized();
        QTRY_VERIFY(p->form()->isMaximized());
        p->close(1);
        const auto saved = [this] {
            std::vector<std::string> out;
            for (const char* key : {"WindowState", "Top   ", "Left  ", "Height", "Width "}) {
                out.push_back(p->store.values.at({"form2", key}));
            }
            return out;
        };
        const std::vector<std::string> maximisedAtDesign{"2", "105", "1000", "3645", "9390"};
        QCOMPARE(saved(), maximisedAtDesign);

        // Opened maximised and closed so, it keeps its normal place without creeping by a frame.
        p->addTimer("二");
        p->tick();
        QVERIFY(p->form()->isMaximized());
        p->close(1);
        QCOMPARE(saved(), maximisedAtDesign);

        p->addTimer("三");
        p->tick();
        QVERIFY(p->form()->isMaximized());
        // Restoring it gives the geometry it had before it was maximised.
        QCOMPARE(p->form()->normalGeometry().size(), QSize(626, 243));
        p->form()->showNormal();
        QTRY_COMPARE(p->form()->size(), QSize(626, 243));
    }

    void layoutFollowsTheWindowSize_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("list");
        QTest::addColumn<QRect>("keep");    // Command1_0
        QTest::addColumn<QRect>("extend");  // Command1_2
        QTest::addColumn<QRect>("name");    // Label2_0
        QTest::addColumn<QRect>("message"); // Label2_1
        // Design size 626 x 243 pixels (9390 x 3645 twips).
        QTest::newRow("design") << QSize(626, 243) << QRect(8, 104, 606, 67) << QRect(32, 177, 145, 33)
                                << QRect(488, 190, 73, 25) << QRect(8, 40, 310, 33) << QRect(324, 40, 289, 33);
        // 900 x 400: wider list and name, everything at the bottom moves down.
        QTest::newRow("large") << QSize(900, 400) << QRect(8, 104, 880, 224) << QRect(32, 334, 145, 33)
                               << QRect(488, 347, 73, 25) << QRect(8, 40, 584, 33) << QRect(598, 40, 289, 33);
        // Below the minimum (4835 x 3500 twips) the controls keep the minimum layout: a list of
        // 855 twips under 495-twip buttons.
        QTest::newRow("tiny") << QSize(200, 100) << QRect(8, 104, 302, 57) << QRect(32, 167, 145, 33)
                              << QRect(488, 180, 73, 25) << QRect(8, 40, 7, 33) << QRect(20, 40, 289, 33);
    }
    void layoutFollowsTheWindowSize() {
        QFETCH(QSize, size);
        p->addTimer("一");
        p->tick();
        p->form()->resize(size);
        QTEST(p->list()->geometry(), "list");
        QTEST(p->button(0)->geometry(), "keep");
        QCOMPARE(p->button(1)->y(), p->button(0)->y());
        QTEST(p->button(2)->geometry(), "extend");
        QCOMPARE(p->child<QComboBox>("Combo1")->y(), p->button(2)->y());
        QCOMPARE(p->child<QLabel>("Label1_2")->y(), p->button(2)->y());
        QCOMPARE(p->child<QLabel>("Label1_3")->y(), p->button(2)->y());
        QTEST(p->child<QLabel>("Label2_0")->geometry(), "name");
        QTEST(p->child<QLabel>("Label2_1")->geometry(), "message");
        QCOMPARE(p->child<QLabel>("Label2_2")->width(), p->child<QLabel>("Label2_0")->width());
        QCOMPARE(p->child<QLabel>("Label2_3")->x(), p->child<QLabel>("Label2_1")->x());
    }

    void failuresAreReportedWithTheirLocation_data() {
        QTest::addColumn<QString>("provoke");
        QTest::addColumn<QString>("location");
        QTest::newRow("load") << "log"
                              << "Form_Load F2";
        QTest::newRow("unload") << "close"
                                << "Form_Unload F2";
        QTest::newRow("timer") << "timer"
                               << "Timer1_Timer F2";
        QTest::newRow("timer again") << "every step"
                                     << "Timer1_Timer F2";
        QTest::newRow("sound") << "open"
                               << "ongaku F2";
        QTest::newRow("texts") << "stray"
                               << "T_hyouji F2";
        QTest::newRow("extend") << "extend"
                                << "Command1_Click F2";
    }
    void failuresAreReportedWithTheirLocation() {
        QFETCH(QString, provoke);
        QFETCH(QString, location);
        p->addTimer("一");
        if (provoke == "log") {
            p->log.fail = true;
            ui::openNoticeWindow(p->ctx);
            QVERIFY(p->form()); // the window opens all the same
            p->log.fail = false;
        } else {
            p->tick();
            QVERIFY(p->errors.reports.empty());
        }
        if (provoke == "close") {
            p->sound.failAt = "Close";
            p->close(1);
            QVERIFY(!p->form());
        } else if (provoke == "timer") {
            p->sound.failAt = "Close";
            p->step();
        } else if (provoke == "every step") {
            // A failure that every step meets stops the window's clock: one report, not one
            // every 100 ms.
            p->close(0);
            ui::openNoticeWindow(p->ctx);
            ui::appendNoticeLine(p->ctx, "迷子");
            ui::selectTopNotice(p->ctx);
            p->errors.reports.clear();
            auto* timer = p->child<QTimer>("Timer1");
            QVERIFY(timer->isActive());
            QTest::qWait(450);
            QVERIFY(!timer->isActive());
        } else if (provoke == "open") {
            p->sound.failAt = "Open";
            p->step();
            QCOMPARE(p->st.NoticeSoundCounter, std::int16_t(2));
        } else if (provoke == "stray" || provoke == "extend") {
            // A list line with no pending notice behind it.
            p->close(0);
            ui::openNoticeWindow(p->ctx);
            ui::appendNoticeLine(p->ctx, "迷子");
            ui::selectTopNotice(p->ctx);
            if (provoke == "extend") {
                QCOMPARE(p->reportLocations(), std::vector<std::string>({"T_hyouji F2", "b_hyouji F2"}));
                p->errors.reports.clear();
                p->form()->Command1_Click(2);
            } else {
                location += "|b_hyouji F2";
            }
        }
        QStringList got;
        for (const auto& l : p->reportLocations()) {
            got << QString::fromStdString(l);
        }
        QCOMPARE(got.join('|'), location);
    }

private:
    std::unique_ptr<Program> p;
};

QTEST_MAIN(TestForm2)
#include "TestForm2.moc"
