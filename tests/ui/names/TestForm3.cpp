#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/DataFile.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "tests/support/TestEnv.h"
#include "ui/entry/Form1.h"
#include "ui/entry/Form1Window.h"
#include "ui/names/Form3.h"
#include "ui/names/Form3Window.h"

using namespace mayorin;
using platform::Answer;

namespace {

struct Harness {
    QTemporaryDir dir;
    test::TestEnv t;
    persist::Settings settings{t.settings};
    test::FakeSound sound;
    test::FakeHelp help;
    test::FakeProcess process;
    ui::UiContext ctx{t.env, settings, sound, help, process};
};

// A remembered entry: the name with the values last used with it.
core::Fields remembered(const std::string& name, int minutes) {
    core::Fields f{};
    f[core::kKindCode] = "0";
    f[core::kName] = name;
    f[4] = "0";
    f[5] = std::to_string(minutes);
    return f;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT

private slots:
    void init() {
        h = std::make_unique<Harness>();
        QVERIFY(h->dir.isValid());
        h->t.st.AppDir = h->dir.path().toStdString();
        h->t.clock.set(2026, 12, 7, 9, 0, 0);
    }

    void cleanup() {
        ui::closeNamesEditor(h->ctx);
        ui::closeEntryWindow(h->ctx);
        settle();
        h.reset();
    }

    void opensWithTheSidesNamesAndLogs_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("line");
        QTest::newRow("timer") << 0 << "タイマー側　表示名の編集"
                               << "▽編集　, 2026/12/07(月),09:00:00,,,履歴編集画面の表示,タイマー側,"
                                  "タイマー履歴数=3,予定履歴数=2,,";
        QTest::newRow("schedule") << 1 << "予定側　表示名の編集"
                                  << "▽編集　, 2026/12/07(月),09:00:00,,,履歴編集画面の表示,予定側,"
                                     "タイマー履歴数=3,予定履歴数=2,,";
    }

    void opensWithTheSidesNamesAndLogs() {
        QFETCH(int, side);
        QFETCH(QString, caption);
        QFETCH(QString, line);
        seed(0, {"A", "B", "C"});
        seed(1, {"朝会", "歯医者"});
        ui::Form3* f = open(side);
        QCOMPARE(f->windowTitle(), QStringLiteral("Mayorin。表示名の編集"));
        QCOMPARE(f->findChild<QGroupBox*>("Frame1_0")->title(), caption);
        QCOMPARE(f->width(), 320);
        const QStringList expected = side == 0 ? QStringList{"A", "B", "C"} : QStringList{"朝会", "歯医者"};
        QCOMPARE(listOf(f), expected);
        QCOMPARE(QString::fromStdString(h->t.st.HistoryEditorState), QStringLiteral("作業中"));
        QCOMPARE(logLines("▽編集"), QStringList{line});
        QCOMPARE(f->kakunin(), std::string("0 変更無し"));
    }

    // C moved up twice, then "Ｏ Ｋ": the history follows the list with every remembered value,
    // the entry window's list follows it, and the data file holds the new order.
    void movedNamesAreWrittenBackWithTheirValues() {
        seed(0, {"A", "B", "C"});
        seed(1, {"朝会"});
        ui::openEntryWindow(h->ctx);
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(2);
        button(f, 1)->click();
        QCOMPARE(list(f)->currentRow(), 1);
        button(f, 1)->click();
        QCOMPARE(listOf(f), (QStringList{"C", "A", "B"}));
        QCOMPARE(f->kakunin(), std::string("2 変更されています。"));
        button(f, 5)->click();
        settle();
        QVERIFY(h->ctx.names == nullptr);
        QVERIFY(h->t.messages.shown.empty());
        QCOMPARE(h->t.st.NameHistoryCount[0], 3);
        QVERIFY(h->t.st.NameHistory.entry(0, 0) == remembered("C", 3));
        QVERIFY(h->t.st.NameHistory.entry(0, 1) == remembered("A", 1));
        QVERIFY(h->t.st.NameHistory.entry(0, 2) == remembered("B", 2));
        QVERIFY(h->t.st.NameHistory.entry(1, 0) == remembered("朝会", 1));
        QCOMPARE(h->t.st.NameHistory.findLast(0, "C", 2), 0);
        QCOMPARE(h->t.st.NameHistory.findLast(0, "B", 2), 2);
        QCOMPARE(entryNames(0), (QStringList{"C", "A", "B"}));
        QCOMPARE(logLines("△編集"), QStringList{"△編集　, 2026/12/07(月),09:00:00,,,履歴編集画面を閉じる,"
                                                "1 [OK]が押されました。,タイマー履歴数=3,予定履歴数=1,,"});
        QCOMPARE(QString::fromStdString(h->t.st.HistoryEditorState), QStringLiteral("休業中"));

        // The data file gives the new order back.
        test::TestEnv fresh;
        fresh.st.AppDir = h->t.st.AppDir;
        core::hensu_kensuu(fresh.env);
        persist::yomikomi01(fresh.env);
        QVERIFY(fresh.errors.reports.empty());
        QCOMPARE(fresh.st.NameHistoryCount[0], 3);
        QCOMPARE(fresh.st.NameHistory.entry(0, 0)[core::kName], std::string("C"));
        QCOMPARE(fresh.st.NameHistory.entry(0, 0)[5], std::string("3"));
        QCOMPARE(fresh.st.NameHistory.entry(0, 2)[core::kName], std::string("B"));
        QCOMPARE(fresh.st.NameHistory.entry(1, 0)[core::kName], std::string("朝会"));
    }

    void backInTheOpeningOrderClosesWithoutAQuestion() {
        seed(0, {"A", "B", "C"});
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(1);
        button(f, 2)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "C", "B"}));
        button(f, 1)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "B", "C"}));
        button(f, 4)->click();
        settle();
        QVERIFY(h->ctx.names == nullptr);
        QVERIFY(h->t.messages.shown.empty());
        QCOMPARE(logLines("△編集"), QStringList{"△編集　, 2026/12/07(月),09:00:00,,,履歴編集画面を閉じる,"
                                                "0 変更無し,タイマー履歴数=3,予定履歴数=0,,"});
    }

    // Closing with unsaved changes asks first: "No" keeps the editor as it is, "Yes" and a box
    // closed by the program both close it and leave the history untouched.
    void unsavedChangesAreConfirmed_data() {
        QTest::addColumn<int>("how");    // 0 close box, 1 キャンセル
        QTest::addColumn<int>("change"); // 0 delete, 1 add
        QTest::addColumn<int>("finalAnswer");
        QTest::addColumn<QString>("state");
        QTest::newRow("delete, close box, yes") << 0 << 0 << int(Answer::Yes) << "3 削除されています。";
        QTest::newRow("delete, cancel, dismissed") << 1 << 0 << int(Answer::Dismissed) << "3 削除されています。";
        QTest::newRow("add, close box, yes") << 0 << 1 << int(Answer::Yes) << "2 変更されています。";
    }

    void unsavedChangesAreConfirmed() {
        QFETCH(int, how);
        QFETCH(int, change);
        QFETCH(int, finalAnswer);
        QFETCH(QString, state);
        seed(0, {"A", "B", "C"});
        ui::Form3* f = open(0);
        QStringList afterChange;
        if (change == 0) {
            list(f)->setCurrentRow(0);
            button(f, 3)->click();
            afterChange = QStringList{"B", "C"};
            QCOMPARE(list(f)->selectedItems().size(), 0);
        } else {
            f->findChild<QLineEdit*>("Text1")->setText("D");
            button(f, 0)->click();
            afterChange = QStringList{"A", "B", "C", "D"};
        }
        auto closeOnce = [&] {
            if (how == 0) {
                f->close();
            } else {
                button(f, 4)->click();
            }
            settle();
        };
        h->t.messages.answerNext(Answer::No);
        closeOnce();
        QVERIFY(h->ctx.names == f);
        QVERIFY(f->isVisible());
        QCOMPARE(listOf(f), afterChange);
        QCOMPARE(QString::fromStdString(f->kakunin()), state);
        QCOMPARE(h->t.messages.shown.size(), std::size_t(1));
        const auto& box = h->t.messages.shown[0];
        QCOMPARE(QString::fromStdString(box.text), QStringLiteral("変更が保存されていません。\r\n編集を終了しますか?"));
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("Mayorin。"));
        QVERIFY(box.buttons == platform::Buttons::YesNo);
        QVERIFY(box.icon == platform::Icon::Question);
        QVERIFY(logLines("△編集").isEmpty());

        h->t.messages.answerNext(Answer(finalAnswer));
        closeOnce();
        QVERIFY(h->ctx.names == nullptr);
        QCOMPARE(h->t.messages.shown.size(), std::size_t(2));
        QCOMPARE(h->t.st.NameHistoryCount[0], 3);
        QCOMPARE(h->t.st.NameHistory.entry(0, 0)[core::kName], std::string("A"));
        QCOMPARE(logLines("△編集"), QStringList{"△編集　, 2026/12/07(月),09:00:00,,,履歴編集画面を閉じる," + state +
                                                ",タイマー履歴数=3,予定履歴数=0,,"});
    }

    void closedByTheProgramAsksNothing() {
        seed(0, {"A", "B"});
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(0);
        button(f, 3)->click();
        ui::closeNamesEditor(h->ctx);
        settle();
        QVERIFY(h->ctx.names == nullptr);
        QVERIFY(h->t.messages.shown.empty());
        QCOMPARE(h->t.st.NameHistoryCount[0], 2);
        QCOMPARE(QString::fromStdString(h->t.st.HistoryEditorState), QStringLiteral("休業中"));
    }

    // A new name goes in front of the selected one, or at the end; after "Ｏ Ｋ" it holds only
    // its name.
    void addedNamesGoBeforeTheSelectionOrAtTheEnd() {
        seed(0, {"A", "B", "C"});
        ui::openEntryWindow(h->ctx);
        ui::Form3* f = open(0);
        auto* text = f->findChild<QLineEdit*>("Text1");
        text->setText("D");
        button(f, 0)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(text->text(), QStringLiteral("D"));
        QCOMPARE(text->selectedText(), QStringLiteral("D"));
        list(f)->setCurrentRow(1);
        text->setText("予定Ｅ");
        button(f, 0)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "予定Ｅ", "B", "C", "D"}));
        button(f, 5)->click();
        settle();
        QCOMPARE(h->t.st.NameHistoryCount[0], 5);
        core::Fields onlyName{};
        onlyName[core::kName] = "予定Ｅ";
        QVERIFY(h->t.st.NameHistory.entry(0, 1) == onlyName);
        onlyName[core::kName] = "D";
        QVERIFY(h->t.st.NameHistory.entry(0, 4) == onlyName);
        QVERIFY(h->t.st.NameHistory.entry(0, 2) == remembered("B", 2));
        QCOMPARE(entryNames(0), (QStringList{"A", "予定Ｅ", "B", "C", "D"}));
    }

    // Reservations added in the entry window while the editor is open: "Ｏ Ｋ" writes back the
    // side as it stands at that moment, so a known name keeps the values just stored with it and
    // a name the editor never listed is dropped.
    void addsWhileOpenAreTakenAtWriteBack() {
        seed(0, {"A", "B"});
        ui::openEntryWindow(h->ctx);
        ui::Form1* entry = h->ctx.entry;
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(1);
        button(f, 1)->click();
        QCOMPARE(listOf(f), (QStringList{"B", "A"}));

        auto add = [&](const char* name, const char* minutes) {
            entry->findChild<QComboBox*>("Combo1_3")->setEditText(QString::fromUtf8(name));
            entry->findChild<QComboBox*>("Combo1_5")->setEditText(QString::fromUtf8(minutes));
            entry->Command1_Click(0);
        };
        add("A", "40");
        add("C", "7");
        QCOMPARE(h->t.st.NameHistoryCount[0], 3);
        QCOMPARE(entryNames(0), (QStringList{"A", "B", "C"}));
        QCOMPARE(listOf(f), (QStringList{"B", "A"}));

        button(f, 5)->click();
        settle();
        QVERIFY(h->t.errors.reports.empty());
        QCOMPARE(h->t.st.NameHistoryCount[0], 2);
        QVERIFY(h->t.st.NameHistory.entry(0, 0) == remembered("B", 2));
        const core::Fields& a = h->t.st.NameHistory.entry(0, 1);
        QCOMPARE(a[core::kName], std::string("A"));
        QCOMPARE(a[5], std::string("40"));
        QCOMPARE(a[core::kNextSecond], h->t.st.ReservationTable[0][core::kNextSecond]); // the later of the two
        QVERIFY(h->t.st.NameHistory.entry(0, 2) == core::Fields{});
        QCOMPARE(h->t.st.NameHistory.findLast(0, "C", 2), -1);
        QCOMPARE(entryNames(0), (QStringList{"B", "A"}));
        QCOMPARE(h->t.st.ReservationCount, 2);
    }

    void namesAlreadyInTheListAreRefused() {
        seed(0, {"A", "B"});
        ui::Form3* f = open(0);
        auto* text = f->findChild<QLineEdit*>("Text1");
        text->setText("A");
        button(f, 0)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "B"}));
        QCOMPARE(h->t.messages.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(h->t.messages.shown[0].text), QStringLiteral("A　は既に入力されています。"));
        QCOMPARE(QString::fromStdString(h->t.messages.shown[0].title), QStringLiteral("Mayorin。"));
        QVERIFY(h->t.messages.shown[0].buttons == platform::Buttons::Ok);
        QVERIFY(h->t.messages.shown[0].icon == platform::Icon::None);

        // Letter case counts, and an added name is compared like any other.
        text->setText("a");
        button(f, 0)->click();
        button(f, 0)->click();
        QCOMPARE(listOf(f), (QStringList{"A", "B", "a"}));
        QCOMPARE(QString::fromStdString(h->t.messages.shown.back().text),
                 QStringLiteral("a　は既に入力されています。"));

        // Only the names now in the list count.
        list(f)->setCurrentRow(0);
        button(f, 3)->click();
        text->setText("A");
        button(f, 0)->click();
        QCOMPARE(listOf(f), (QStringList{"B", "a", "A"}));
        QCOMPARE(h->t.messages.shown.size(), std::size_t(2));
    }

    // Added names go into the data file: they pass the same check as names typed in the entry
    // window, and are kept in the form the file gives back.
    void addedNamesAreCheckedLikeEntryNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("listed"); // empty: refused
        QTest::addColumn<QString>("box");
        QTest::newRow("comma") << "昼,食"
                               << ""
                               << "半角英字の「　,　」(コロン)は表示名に使用できません。";
        QTest::newRow("quote") << "it's"
                               << ""
                               << "半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。";
        QTest::newRow("wave dash comes back as full-width tilde") << "9〜10時"
                                                                  << "9～10時"
                                                                  << "";
        QTest::newRow("plain") << "ジム"
                               << "ジム"
                               << "";
    }

    void addedNamesAreCheckedLikeEntryNames() {
        QFETCH(QString, typed);
        QFETCH(QString, listed);
        QFETCH(QString, box);
        seed(0, {"A"});
        ui::Form3* f = open(0);
        f->findChild<QLineEdit*>("Text1")->setText(typed);
        button(f, 0)->click();
        if (listed.isEmpty()) {
            QCOMPARE(listOf(f), QStringList{"A"});
            QCOMPARE(h->t.messages.shown.size(), std::size_t(1));
            QCOMPARE(QString::fromStdString(h->t.messages.shown[0].text), box);
            return;
        }
        QVERIFY(h->t.messages.shown.empty());
        QCOMPARE(listOf(f), (QStringList{"A", listed}));
        button(f, 5)->click();
        settle();
        QCOMPARE(QString::fromStdString(h->t.st.NameHistory.entry(0, 1)[core::kName]), listed);
    }

    void deletingAllEmptiesTheSide() {
        seed(0, {"A", "B", "C"});
        seed(1, {"朝会"});
        ui::openEntryWindow(h->ctx);
        ui::Form3* f = open(0);
        action(f, 3)->trigger();
        QCOMPARE(list(f)->count(), 0);
        QVERIFY(!action(f, 3)->isEnabled());
        button(f, 5)->click();
        settle();
        QCOMPARE(h->t.st.NameHistoryCount[0], 0);
        QVERIFY(h->t.st.NameHistory.entry(0, 0) == core::Fields{});
        QVERIFY(h->t.st.NameHistory.entry(0, 2) == core::Fields{});
        QCOMPARE(h->t.st.NameHistory.findLast(0, "A", 2), -1);
        QCOMPARE(h->t.st.NameHistoryCount[1], 1);
        QCOMPARE(entryNames(0), QStringList{});
        QCOMPARE(entryNames(1), QStringList{"朝会"});
    }

    void onlyOneEditorAndTheOtherSideDisabled() {
        seed(0, {"A"});
        seed(1, {"B"});
        ui::openEntryWindow(h->ctx);
        QVERIFY(h->ctx.entry != nullptr);
        auto* timerItem = h->ctx.entry->findChild<QAction*>("meisyouRireki_0");
        auto* scheduleItem = h->ctx.entry->findChild<QAction*>("meisyouRireki_1");
        QVERIFY(timerItem && scheduleItem);
        QCOMPARE(scheduleItem->text(), QStringLiteral("予定側　　　表示名"));
        QVERIFY(scheduleItem->isEnabled());
        timerItem->trigger();
        ui::Form3* f = h->ctx.names;
        QVERIFY(f != nullptr);
        QCOMPARE(f->findChild<QGroupBox*>("Frame1_0")->title(), QStringLiteral("タイマー側　表示名の編集"));
        QVERIFY(!scheduleItem->isEnabled());
        QVERIFY(timerItem->isEnabled());
        timerItem->trigger();
        QVERIFY(h->ctx.names == f);
        QCOMPARE(logLines("▽編集").size(), 1);
        f->close();
        settle();
        QVERIFY(h->ctx.names == nullptr);
        QVERIFY(scheduleItem->isEnabled());
        QVERIFY(timerItem->isEnabled());
    }

    // What can be pressed for each selection.
    void controlsFollowTheSelection_data() {
        QTest::addColumn<int>("row"); // -1 none
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("enabled"); // 追加 上 下 削除 | 上 下 削除 全て 取消
        QTest::newRow("nothing selected") << -1 << ""
                                          << "0000|00010";
        QTest::newRow("top, text typed") << 0 << "x"
                                         << "1011|01111";
        QTest::newRow("middle") << 1 << ""
                                << "0111|11111";
        QTest::newRow("bottom") << 2 << ""
                                << "0101|10111";
    }

    void controlsFollowTheSelection() {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, enabled);
        seed(0, {"A", "B", "C"});
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(row);
        f->findChild<QLineEdit*>("Text1")->setText(text);
        QString seen;
        for (int i = 0; i < 4; ++i) {
            seen += button(f, i)->isEnabled() ? '1' : '0';
        }
        seen += '|';
        for (int i = 0; i < 5; ++i) {
            seen += action(f, i)->isEnabled() ? '1' : '0';
        }
        QCOMPARE(seen, enabled);
        QVERIFY(button(f, 4)->isEnabled());
        QVERIFY(button(f, 5)->isEnabled());
    }

    void popUpItemsMoveDeleteAndClearTheSelection() {
        seed(0, {"A", "B", "C"});
        ui::Form3* f = open(0);
        list(f)->setCurrentRow(0);
        action(f, 1)->trigger();
        QCOMPARE(listOf(f), (QStringList{"B", "A", "C"}));
        QCOMPARE(list(f)->currentRow(), 1);
        action(f, 0)->trigger();
        QCOMPARE(listOf(f), (QStringList{"A", "B", "C"}));
        action(f, 4)->trigger();
        QCOMPARE(list(f)->selectedItems().size(), 0);
        QVERIFY(!button(f, 3)->isEnabled());
        list(f)->setCurrentRow(2);
        action(f, 2)->trigger();
        QCOMPARE(listOf(f), (QStringList{"A", "B"}));
        QCOMPARE(f->kakunin(), std::string("3 削除されています。"));
    }

    void positionIsRestoredAndSaved() {
        h->t.settings.values[{"form3", "Top   "}] = "1500";
        h->t.settings.values[{"form3", "Left  "}] = "3000";
        seed(0, {"A"});
        ui::Form3* f = open(0);
        QCOMPARE(f->pos(), QPoint(200, 100));
        f->move(40, 60);
        f->close();
        settle();
        QCOMPARE(core::value(h->t.settings.values[{"form3", "Top   "}]), 900.0);
        QCOMPARE(core::value(h->t.settings.values[{"form3", "Left  "}]), 600.0);
    }

    // A side far beyond 501 names: reordered, extended and written back, nothing lost.
    void twoThousandNamesReorderedWithNothingLost() {
        std::vector<std::string> names;
        for (int i = 0; i < 2000; ++i) {
            names.push_back("名前" + std::to_string(i));
        }
        seed(0, names);
        ui::Form3* f = open(0);
        // The last name to the top, the first to the bottom.
        list(f)->setCurrentRow(1999);
        for (int i = 0; i < 1999; ++i) {
            button(f, 1)->click();
        }
        list(f)->setCurrentRow(1);
        for (int i = 1; i < 1999; ++i) {
            button(f, 2)->click();
        }
        list(f)->setCurrentItem(nullptr);
        list(f)->clearSelection();
        f->findChild<QLineEdit*>("Text1")->setText("追加分");
        button(f, 0)->click();
        button(f, 5)->click();
        settle();
        QVERIFY(h->t.errors.reports.empty());
        QCOMPARE(h->t.st.NameHistoryCount[0], 2001);
        QVERIFY(h->t.st.NameHistory.entry(0, 0) == remembered("名前1999", 2000));
        for (int j = 1; j < 1999; ++j) {
            if (!(h->t.st.NameHistory.entry(0, j) == remembered(names[j], j + 1))) {
                QFAIL(qPrintable(QString("entry %1 is wrong").arg(j)));
            }
        }
        QVERIFY(h->t.st.NameHistory.entry(0, 1999) == remembered("名前0", 1));
        QCOMPARE(h->t.st.NameHistory.entry(0, 2000)[core::kName], std::string("追加分"));
        QCOMPARE(h->t.st.NameHistory.findLast(0, "名前0", 2000), 1999);
    }

    // The two log lines as the monthly log file holds them: code page 932, CR LF, after the header.
    void logFileHoldsBothLines() {
        persist::OperationLog oplog(h->t.env);
        core::Env env{h->t.st, h->t.clock, h->t.codePage, h->t.errors, h->t.messages, oplog, h->t.settings};
        ui::UiContext ctx{env, h->settings, h->sound, h->help, h->process};
        seed(0, {"A"});
        h->t.st.HistorySideEdited = 0;
        ui::openNamesEditor(ctx);
        QVERIFY(ctx.names != nullptr);
        ctx.names->close();
        settle();
        QVERIFY(ctx.names == nullptr);
        QVERIFY(h->t.errors.reports.empty());
        QFile file(h->dir.filePath("Mayorin。ログ/2026年/Mayorin。ログ2026年12月.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const std::string expected =
            "'このファイルは「Mayorin。」 Ver1.1.68から記録されたログファイルです。\r\n'\r\n"
            "▽編集　, 2026/12/07(月),09:00:00,,,履歴編集画面の表示,タイマー側,タイマー履歴数=1,予定履歴数=0,,\r\n"
            "△編集　, 2026/12/07(月),09:00:00,,,履歴編集画面を閉じる,0 変更無し,タイマー履歴数=1,予定履歴数=0,,\r\n";
        const auto encoded = h->t.codePage.encode(expected);
        QVERIFY(encoded.has_value());
        QCOMPARE(bytes, QByteArray(encoded->data(), static_cast<qsizetype>(encoded->size())));
    }

    // A side code other than 0 or 1 leaves the caption as it is and the side text empty; the
    // working copy cannot be built and exactly that step reports.
    void unknownSideReportsOnce() {
        seed(0, {"A"});
        ui::Form3* f = open(2);
        QVERIFY(f != nullptr);
        QCOMPARE(f->findChild<QGroupBox*>("Frame1_0")->title(), QString());
        QCOMPARE(h->t.errors.reports.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(h->t.errors.reports[0].location), QStringLiteral("rireki_syoki F3"));
        QCOMPARE(h->t.errors.reports[0].code, 9);
        QCOMPARE(logLines("▽編集"), QStringList{"▽編集　, 2026/12/07(月),09:00:00,,,履歴編集画面の表示,,"
                                                "タイマー履歴数=1,予定履歴数=0,,"});
        QCOMPARE(list(f)->count(), 0);
    }

    // The list holds at most 32767 names: one more is an overflow, reported once by the add.
    void addingPastTheLimitIsAnOverflow() {
        std::vector<std::string> names;
        names.reserve(32767);
        for (int i = 0; i < 32767; ++i) {
            names.push_back("n" + std::to_string(i));
        }
        seed(0, names);
        ui::Form3* f = open(0);
        QCOMPARE(list(f)->count(), 32767);
        f->findChild<QLineEdit*>("Text1")->setText("もう一つ");
        button(f, 0)->click();
        QCOMPARE(h->t.errors.reports.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(h->t.errors.reports[0].location), QStringLiteral("tuika31 F3"));
        QCOMPARE(h->t.errors.reports[0].code, 6);
        QCOMPARE(list(f)->count(), 32767);
    }

    void rightClickKeepsTheSelectionAndPopsUpTheEditMenu() {
        seed(0, {"A", "B"});
        ui::Form3* f = open(0);
        auto* menu = f->findChild<QMenu*>("hensyu3a");
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->title(), QStringLiteral("編集"));
        QTest::mouseRelease(list(f)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!menu->isVisible());
        // The menu acts on the selected name: a right click on another leaves the selection be.
        list(f)->setCurrentRow(1);
        const QPoint onA = list(f)->visualItemRect(list(f)->item(0)).center();
        QTest::mouseClick(list(f)->viewport(), Qt::RightButton, {}, onA);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(list(f)->currentRow(), 1);
        QVERIFY(list(f)->item(1)->isSelected());
        action(f, 2)->trigger(); // 削除
        QCOMPARE(listOf(f), QStringList{"A"});
        menu->hide();
    }

    void enterPressesAddWhereverTheFocusIsOnceTypingStarted() {
        seed(0, {"A"});
        ui::Form3* f = open(0);
        auto* text = f->findChild<QLineEdit*>("Text1");
        QTest::keyClick(list(f), Qt::Key_Return);
        QCOMPARE(listOf(f), QStringList{"A"});
        text->setText("B");
        QTest::keyClick(text, Qt::Key_Return);
        text->setText("C");
        QTest::keyClick(list(f), Qt::Key_Return);
        text->setText("D");
        QTest::keyClick(button(f, 2), Qt::Key_Enter);
        // Each Enter adds once: no second add refused as a name already in the list.
        QCOMPARE(listOf(f), (QStringList{"A", "B", "C", "D"}));
        QVERIFY(h->t.messages.shown.empty());
    }

private:
    void seed(int side, const std::vector<std::string>& names) {
        auto& st = h->t.st;
        st.NameHistoryCount[side] = static_cast<std::int16_t>(names.size());
        core::hensu_kensuu(h->t.env);
        for (std::size_t i = 0; i < names.size(); ++i) {
            st.NameHistory.set(side, static_cast<int>(i), remembered(names[i], static_cast<int>(i) + 1));
        }
    }

    ui::Form3* open(int side) {
        h->t.st.HistorySideEdited = static_cast<std::int16_t>(side);
        ui::openNamesEditor(h->ctx);
        return h->ctx.names;
    }

    static QListWidget* list(ui::Form3* f) { return f->findChild<QListWidget*>("List1"); }
    static QPushButton* button(ui::Form3* f, int i) {
        return f->findChild<QPushButton*>(QString("Command1_%1").arg(i));
    }
    static QAction* action(ui::Form3* f, int i) { return f->findChild<QAction*>(QString("hensyu31_%1").arg(i)); }

    static QStringList listOf(ui::Form3* f) {
        QStringList names;
        for (int i = 0; i < list(f)->count(); ++i) {
            names << list(f)->item(i)->text();
        }
        return names;
    }

    QStringList entryNames(int side) {
        auto* combo = h->ctx.entry->findChild<QComboBox*>(side == 0 ? "Combo1_3" : "Combo2_3");
        QStringList names;
        for (int i = 0; i < combo->count(); ++i) {
            names << combo->itemText(i);
        }
        return names;
    }

    QStringList logLines(const char* mark) {
        QStringList lines;
        for (const auto& l : h->t.log.lines) {
            const QString line = QString::fromStdString(l);
            if (line.startsWith(QString::fromUtf8(mark))) {
                lines << line;
            }
        }
        return lines;
    }

    std::unique_ptr<Harness> h;
};

QTEST_MAIN(TestForm3)
#include "TestForm3.moc"
