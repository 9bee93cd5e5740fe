#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/ListLine.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/Recalc.h"
#include "persist/DataFile.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "tests/support/Fakes.h"
#include "tests/ui/entry/EntryProgram.h"
#include "ui/entry/Form1.h"
#include "ui/entry/Form1Window.h"
#include "ui/names/Form3.h"

using namespace mayorin;

namespace {

using Program = test::EntryProgram;

// The seconds stamp of a local moment, from the standard calendar: day 1 is 1 January of year 1.
double stamp(int y, int m, int d, int h, int mi, int s = 0) {
    using namespace std::chrono;
    const auto days = (sys_days(year_month_day(year(y), month(m), day(d))) - sys_days(year(1) / 1 / 1)).count() + 1;
    return ((static_cast<double>(days) * 24 + h) * 60 + mi) * 60 + s;
}

// The date-time column pair of a log line written at the tests' start moment.
const std::string kNow = " 2026/12/07(月),09:00:00";

QString q(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Program> p;
    ui::Form1* w = nullptr;

    template <class T> T* child(const char* name) {
        T* c = w->findChild<T*>(QString::fromUtf8(name));
        if (c == nullptr) {
            qFatal("no control %s", name);
        }
        return c;
    }
    QComboBox* combo(const char* name) { return child<QComboBox>(name); }
    QAction* action(const char* name) { return child<QAction>(name); }
    QListWidget* list() { return child<QListWidget>("List1"); }

    // Types a text into a combo as a user does: the old text is removed, the new one committed
    // by the input method.
    void type(QComboBox* c, const QString& text) {
        if (!c->currentText().isEmpty()) {
            c->lineEdit()->selectAll();
            QTest::keyClick(c->lineEdit(), Qt::Key_Backspace);
        }
        if (!text.isEmpty()) {
            QInputMethodEvent ev;
            ev.setCommitString(text);
            QApplication::sendEvent(c->lineEdit(), &ev);
        }
        QCOMPARE(c->currentText(), text);
    }
    // Chooses list item j of a combo as a user does: from its drop-down list, with Enter.
    void choose(QComboBox* c, int j) {
        c->showPopup();
        QAbstractItemView* view = c->view();
        QTRY_VERIFY(view->isVisible());
        view->setCurrentIndex(view->model()->index(j, 0));
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(c->currentIndex(), j);
    }
    void clickItem(int i, Qt::MouseButton button = Qt::LeftButton) {
        QListWidget* l = list();
        const QRect r = l->visualItemRect(l->item(i));
        QTest::mouseClick(l->viewport(), button, {}, r.center());
    }
    void open() {
        ui::openEntryWindow(p->ctx);
        w = p->ctx.entry;
        QVERIFY(w != nullptr);
    }
    void closeWindow() {
        if (p->ctx.entry != nullptr) {
            ui::closeEntryWindow(p->ctx);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = nullptr;
    }
    // The timer panel's inputs: name, match hours, match minutes, rest hours, rest minutes, count.
    void addTimer(const QString& name, const QStringList& fields) {
        type(combo("Combo1_3"), name);
        const char* names[] = {"Combo1_4", "Combo1_5", "Combo1_6", "Combo1_7", "Combo1_8"};
        for (int k = 0; k < 5; ++k) {
            type(combo(names[k]), fields.value(k));
        }
        QTest::mouseClick(child<QPushButton>("Command1_0"), Qt::LeftButton);
    }
    void addSchedule(const QString& name, const QStringList& fields, bool everyTime) {
        type(combo("Combo2_3"), name);
        // Weekday first: typing month or day afterwards would empty it again.
        const char* names[] = {"Combo2_4", "Combo2_5", "Combo2_8", "Combo2_6", "Combo2_7"};
        const int order[] = {0, 1, 4, 2, 3};
        for (int k = 0; k < 5; ++k) {
            const QString text = fields.value(order[k]);
            if (k < 3 || !text.isEmpty()) {
                type(combo(names[k]), text);
            }
        }
        child<QRadioButton>(everyTime ? "Option1_0" : "Option1_1")->setChecked(true);
        QTest::mouseClick(child<QPushButton>("Command1_1"), Qt::LeftButton);
    }

    std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        QDirIterator it(p->dir.path(), {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.contains(QString::fromUtf8("ログ"))) {
                continue;
            }
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                qFatal("cannot read the log");
            }
            const std::string text = p->codePage.decode(f.readAll().toStdString());
            size_t start = 0;
            while (start < text.size()) {
                const size_t end = text.find("\r\n", start);
                if (end == std::string::npos) {
                    lines.push_back(text.substr(start) + "<no line end>");
                    break;
                }
                lines.push_back(text.substr(start, end - start));
                start = end + 2;
            }
        }
        return lines;
    }
    std::string lastLog() {
        const auto lines = logLines();
        return lines.empty() ? std::string() : lines.back();
    }
    std::string dataFileBytes() {
        QFile f(QString::fromStdString(persist::dataFilePath(p->st)));
        if (!f.open(QIODevice::ReadOnly)) {
            return "<none>";
        }
        return f.readAll().toStdString();
    }
    std::string cp932(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) {
            text += l + "\r\n";
        }
        return *p->codePage.encode(text);
    }
    QStringList listLines() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i) {
            out << list()->item(i)->text();
        }
        return out;
    }
    // What the list must show: the table reversed, soonest first.
    QStringList expectedLines() {
        QStringList out;
        for (int r = p->st.ReservationCount - 1; r >= 0; --r) {
            out << QString::fromStdString(core::hyouji12(p->env, static_cast<std::int16_t>(r)));
        }
        return out;
    }
    std::string row(int r, int f) { return p->st.ReservationTable[r][f]; }

private slots:
    void init() {
        p = std::make_unique<Program>();
        open();
    }
    void cleanup() {
        closeWindow();
        QCOMPARE(p->errors.reports.size(), size_t(0));
        p.reset();
    }

    void controlsAndListsAtOpening() {
        QCOMPARE(w->windowTitle(), q("Mayorin。予約作成"));
        QCOMPARE(child<QGroupBox>("Frame1_0")->title(), q("タイマー"));
        QCOMPARE(child<QGroupBox>("Frame1_1")->title(), q("予定"));
        QCOMPARE(child<QPushButton>("Command1_0")->text(), q("開始する"));
        QCOMPARE(child<QPushButton>("Command1_1")->text(), q("予約する"));
        QVERIFY(child<QRadioButton>("Option1_0")->isChecked());
        QCOMPARE(child<QLabel>("Label1_14")->text(), q("開始→終了迄　(　試合時間　)"));
        QCOMPARE(child<QLabel>("Label1_15")->text(), q("終了→開始迄　　( 休憩時間 )"));
        QCOMPARE(child<QLabel>("Label1_14")->toolTip(), q("必ず指定します。"));
        QCOMPARE(child<QLabel>("Label1_0")->toolTip(), q("必要に応じて指定します。"));
        QCOMPARE(child<QLabel>("Label1_9")->toolTip(), q("お知らせ時に表示される名前です。"));

        struct Expect {
            const char* name;
            const char* text;
            QStringList items;
        };
        auto range = [](int from, int to, int step = 1) {
            QStringList out;
            for (int n = from; n <= to; n += step) {
                out << QString::number(n);
            }
            return out;
        };
        const QStringList minutes = range(0, 4) + range(5, 55, 5);
        const std::vector<Expect> expects{
            {"Combo1_3", "", {}},
            {"Combo1_4", "0", range(0, 24)},
            {"Combo1_5", "0", minutes},
            {"Combo1_6", "0", range(0, 24)},
            {"Combo1_7", "0", minutes},
            {"Combo1_8", "0", range(0, 20)},
            {"Combo2_3", "", {}},
            {"Combo2_4", "0", range(0, 23)},
            {"Combo2_5", "0", range(0, 55, 5)},
            {"Combo2_6", "", QStringList{""} + range(1, 12)},
            {"Combo2_7", "", QStringList{""} + range(1, 31)},
            {"Combo2_8", "",
             QStringList{"", q("月～金"), q("月～土"), q("日曜"), q("月曜"), q("火曜"), q("水曜"), q("木曜"), q("金曜"),
                         q("土曜"), q("月・水・金"), q("火・木・土")}},
        };
        for (const auto& e : expects) {
            QComboBox* c = combo(e.name);
            QStringList items;
            for (int i = 0; i < c->count(); ++i) {
                items << c->itemText(i);
            }
            QVERIFY2(items == e.items, e.name);
            QVERIFY2(c->currentText() == q(e.text), e.name);
        }
        QCOMPARE(minutes.size(), 16);
        // The name boxes take no longer names than the name check lets through.
        QCOMPARE(combo("Combo1_3")->lineEdit()->maxLength(), 256);
        QCOMPARE(combo("Combo2_3")->lineEdit()->maxLength(), 256);

        // The menus in order, separators included.
        auto captions = [this](const char* menu) {
            QStringList out;
            for (QAction* a : child<QMenu>(menu)->actions()) {
                out << (a->isSeparator() ? QString("-") : a->text());
            }
            return out;
        };
        QCOMPARE(captions("fairu"), (QStringList{q("お知らせ画面のテスト表示。"), "-", q("閉じる")}));
        QCOMPARE(captions("osirasegamen1"), (QStringList{q("タイマー"), q("タイマー繰り返し２回"), q("予定")}));
        QCOMPARE(captions("hensyu"),
                 (QStringList{q("戻す ( 削除 )"), q("削除"), q("全て削除"), q("選択の取り消し"), "-",
                              q("タイマー側　表示名"), q("予定側　　　表示名"), "-", q("一時停止"), q("再開")}));
        QCOMPARE(captions("settei"),
                 (QStringList{q("お知らせ時に音を鳴らす"), q("ログを保存する。"), q("表示名選択時に数値を再現する。"),
                              q("予約内容選択時に表示名と数値を再現する。"), q("お知らせをデスクトップにも通知する。"),
                              q("お知らせの音を、答えるまで繰り返す。"), q("曜日時刻は祝日を除く。"), q("お知らせの音を選ぶ…"),
                              q("お知らせの音を元に戻す"), "-", q("設定を初期状態に戻す"), q("設定を終了")}));
        QCOMPARE(captions("helup"), (QStringList{q("ヘルプを開く"), q("バージョン情報")}));

        // Without the program's own faces the list still gets a monospace Japanese one, in rows
        // no higher than its own face gives, also with a face of a taller line: five reservations show.
        QCOMPARE(list()->font().families(), (QStringList{"IPAGothic", "Noto Sans Mono CJK JP", "monospace"}));
        list()->addItem("x");
        QFont tall = list()->font();
        tall.setFamilies({"DejaVu Sans"});
        list()->setFont(tall);
        QVERIFY(QFontMetrics(tall).height() > 13);
        QCOMPARE(list()->sizeHintForRow(0), 13);
        list()->clear();

        // Empty store: nothing to delete or restore, and the clock shows the date and time.
        QVERIFY(!action("sakujo_0")->isEnabled());
        QVERIFY(!action("sakujo_1")->isEnabled());
        QVERIFY(!action("sakujo_2")->isEnabled());
        QVERIFY(!action("sentakukesi")->isEnabled());
        const QString clock = child<QLabel>("Label1_10")->text();
        QVERIFY2(clock.startsWith(q("　2026年(")) && clock.endsWith(q("　12月　7日　月曜日　　9時　0分　0秒")),
                 qPrintable(clock));
        QCOMPARE(logLines(),
                 (std::vector<std::string>{"'このファイルは「Mayorin。」 Ver1.1.68から記録されたログファイルです。",
                                           "'", "▽予約　," + kNow + ",,,予約画面を開く,,,,,"}));
    }

    void eachPanelInputMakesItsKind_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QStringList>(
            "fields"); // 4 to 8: hours, minutes, month or rest hours, day or rest minutes, count or weekday
        QTest::addColumn<bool>("everyTime");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<double>("next");
        QTest::addColumn<QString>("kindName");

        const double now = stamp(2026, 12, 7, 9, 0);
        QTest::newRow("timer, count empty") << 0 << QStringList{"0", "5", "0", "0", ""} << true << "0"
                                            << "0" << now + 300 << q("タイマー");
        QTest::newRow("timer, count 0") << 0 << QStringList{"1", "30", "0", "0", "0"} << true << "0"
                                        << "0" << now + 5400 << q("タイマー");
        QTest::newRow("timer, count 3") << 0 << QStringList{"0", "25", "0", "5", "3"} << true << "1"
                                        << " 5" << now << q("繰返しタイマー");
        QTest::newRow("time of day, every time") << 1 << QStringList{"10", "30", "", "", ""} << true << "2"
                                                 << "1" << stamp(2026, 12, 7, 10, 30) << q("時刻");
        QTest::newRow("month without day") << 1 << QStringList{"10", "30", "3", "", ""} << false << "2"
                                           << "0" << stamp(2026, 12, 7, 10, 30) << q("時刻");
        QTest::newRow("day 0") << 1 << QStringList{"8", "0", "", "0", ""} << true << "2"
                               << "1" << stamp(2026, 12, 8, 8, 0) << q("時刻");
        QTest::newRow("day without month") << 1 << QStringList{"10", "30", "", "15", ""} << false << "3"
                                           << "0" << stamp(2026, 12, 15, 10, 30) << q("日付時刻");
        QTest::newRow("month and day") << 1 << QStringList{"10", "30", "3", "15", ""} << true << "4"
                                       << "1" << stamp(2027, 3, 15, 10, 30) << q("月日時刻");
        QTest::newRow("weekdays Monday to Friday") << 1 << QStringList{"10", "30", "", "", q("月～金")} << true << "5"
                                                   << "1" << stamp(2026, 12, 7, 10, 30) << q("曜日時刻");
        QTest::newRow("this time only, three weekdays")
            << 1 << QStringList{"8", "30", "", "", q("月・水・金")} << false << "5"
            << "2" << stamp(2026, 12, 9, 8, 30) << q("曜日時刻");
        QTest::newRow("this time only, one weekday") << 1 << QStringList{"10", "30", "", "", q("火曜")} << false << "5"
                                                     << "0" << stamp(2026, 12, 8, 10, 30) << q("曜日時刻");
    }
    void eachPanelInputMakesItsKind() {
        QFETCH(int, side);
        QFETCH(QStringList, fields);
        QFETCH(bool, everyTime);
        QFETCH(QString, kind);
        QFETCH(QString, mode);
        QFETCH(double, next);
        QFETCH(QString, kindName);

        if (side == 0) {
            addTimer(q("名前"), fields);
        } else {
            addSchedule(q("名前"), fields, everyTime);
        }
        QCOMPARE(p->st.ReservationCount, std::int16_t(1));
        QCOMPARE(QString::fromStdString(row(0, core::kKindCode)), kind);
        QCOMPARE(QString::fromStdString(row(0, core::kRepeatMode)), mode);
        QCOMPARE(row(0, core::kNextSecond), core::spacedDecimalText(next));
        QCOMPARE(row(0, core::kName), std::string("名前"));
        QCOMPARE(listLines(), expectedLines());
        // The history of the side received the built row, the other side nothing.
        QCOMPARE(p->st.NameHistoryCount[side], std::int16_t(1));
        QCOMPARE(p->st.NameHistoryCount[1 - side], std::int16_t(0));
        for (int f = 1; f <= 9; ++f) {
            QCOMPARE(p->st.NameHistory.entry(side, 0)[f], row(0, f));
        }
        QCOMPARE(combo(side == 0 ? "Combo1_3" : "Combo2_3")->count(), 1);

        const auto lines = logLines();
        QVERIFY(lines.size() >= 2);
        const std::string h0 = side == 0 ? "1" : "0";
        const std::string h1 = side == 0 ? "0" : "1";
        QCOMPARE(lines[lines.size() - 2], "□書込　," + kNow + ",,,データの書き込み,予約データ数=1,タイマー履歴数=" +
                                              h0 + ",予定履歴数=" + h1 + "," + persist::dataFilePath(p->st) + ",");
        QCOMPARE(lines.back(), "［追加］," + kNow + ",,名前," + kindName.toStdString() +
                                   ",予約データ数=1,タイマー履歴数=" + h0 + ",予定履歴数=" + h1 + ",,");
        QVERIFY(dataFileBytes().find(*p->codePage.encode("01," + row(0, 1) + "," + row(0, 2) + ",名前,")) !=
                std::string::npos);
    }

    void addWritesTheDataFile() {
        addTimer(q("買い物"), {"0", "5", "0", "0", "0"});
        addSchedule(q("会議"), {"25", "75", "", "", q("月・水・金")}, false);
        // Schedule 01:15 on Wednesday (today's 01:15 is past), timer at 09:05 today.
        QCOMPARE(
            dataFileBytes(),
            cp932(
                {"「Mayorin。.exe」用データ",
                 "'　このテキストファイルは「Mayorin。.exe」であなたが入力した内容が記憶され、自動で読み書きされます。",
                 "'■■　タイマーの履歴　■■", "02,0,0,買い物,00,05,00,00, 0,,", "'■■　　予定の履歴　　■■",
                 "03,5,2,会議,01,15,,,月水金,,", "'■■　予約中の内容　　■■",
                 "01,5,2,会議,01,15,,,月水金, " + core::decimalText(stamp(2026, 12, 9, 1, 15)) + ",",
                 "01,0,0,買い物,00,05,00,00, 0, " + core::decimalText(stamp(2026, 12, 7, 9, 5)) + ",", "'",
                 "'　このテキストファイルは「Mayorin。.exe」 Ver 1.1.68　が作りました。"}));
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(lastLog(), "［追加］," + kNow + ",,会議,曜日時刻,予約データ数=2,タイマー履歴数=1,予定履歴数=1,,");
    }

    void refusedNamesChangeNothing_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        const QString comma = q("半角英字の「　,　」(コロン)は表示名に使用できません。");
        const QString quote = q("半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。");
        QTest::newRow("comma, timer") << 0 << q("a,b") << QStringList{comma};
        QTest::newRow("apostrophe, schedule") << 1 << q("it's") << QStringList{quote};
        QTest::newRow("both") << 0 << q("x',") << QStringList{comma, quote};
        QTest::newRow("no code page 932 form")
            << 1 << q("ラーメン🍜") << QStringList{q("表示名に保存できない文字が含まれています。")};
    }
    void refusedNamesChangeNothing() {
        QFETCH(int, side);
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        const auto before = logLines();
        if (side == 0) {
            addTimer(name, {"0", "1", "0", "0", "0"});
        } else {
            addSchedule(name, {"10", "0", "", "", ""}, true);
        }
        QStringList shown;
        for (const auto& m : p->messages.shown) {
            shown << QString::fromStdString(m.text);
            QCOMPARE(m.title, std::string("Mayorin。"));
        }
        QCOMPARE(shown, messages);
        QCOMPARE(p->st.ReservationCount, std::int16_t(0));
        QCOMPARE(p->st.NameHistoryCount[side], std::int16_t(0));
        QCOMPARE(list()->count(), 0);
        QCOMPARE(logLines(), before);
        QCOMPARE(dataFileBytes(), std::string("<none>"));
    }

    void nameIsKeptAsTheFileReadsItBack() {
        // U+301C has a code page 932 form that reads back as U+FF5E.
        addTimer(q("朝〜昼"), {"0", "5", "0", "0", "0"});
        QCOMPARE(row(0, core::kName), std::string("朝～昼"));
        QCOMPARE(p->st.NameHistory.entry(0, 0)[core::kName], std::string("朝～昼"));
        QCOMPARE(combo("Combo1_3")->itemText(0), q("朝～昼"));
        QCOMPARE(lastLog(), "［追加］," + kNow + ",,朝～昼,タイマー,予約データ数=1,タイマー履歴数=1,予定履歴数=0,,");
        // The same name typed again finds its entry instead of making a second one.
        addTimer(q("朝〜昼"), {"0", "6", "0", "0", "0"});
        QCOMPARE(p->st.NameHistoryCount[0], std::int16_t(1));
        QCOMPARE(combo("Combo1_3")->count(), 1);
    }

    void historyKeepsOneEntryPerName() {
        addTimer("A", {"0", "5", "0", "0", "0"});
        addTimer("B", {"0", "7", "0", "0", "0"});
        addTimer("A", {"1", "10", "0", "0", "0"});
        QCOMPARE(p->st.NameHistoryCount[0], std::int16_t(2));
        QCOMPARE(p->st.NameHistory.entry(0, 0)[4], std::string("01"));
        QCOMPARE(p->st.NameHistory.entry(0, 0)[5], std::string("10"));
        QComboBox* names = combo("Combo1_3");
        QCOMPARE(names->count(), 2);
        QCOMPARE(names->itemText(0), QString("A"));
        QCOMPARE(names->itemText(1), QString("B"));
        // An empty name adds the reservation but leaves the history and its list alone.
        addTimer("", {"0", "1", "0", "0", "0"});
        QCOMPARE(p->st.ReservationCount, std::int16_t(4));
        QCOMPARE(p->st.NameHistoryCount[0], std::int16_t(2));
        QCOMPARE(names->count(), 2);
        QCOMPARE(lastLog(), "［追加］," + kNow + ",,,タイマー,予約データ数=4,タイマー履歴数=2,予定履歴数=0,,");
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(list()->item(0)->text().left(7), q("(表示名無し)"));
    }

    void choosingANameReproducesItsValues() {
        addTimer("A", {"2", "15", "0", "5", "4"});
        addSchedule("S", {"7", "45", "", "", q("月・水・金")}, false);
        for (const char* name : {"Combo1_4", "Combo1_5", "Combo1_6", "Combo1_7", "Combo1_8"}) {
            type(combo(name), "9");
        }
        child<QRadioButton>("Option1_0")->setChecked(true);
        type(combo("Combo2_4"), "1");
        choose(combo("Combo1_3"), 0);
        QStringList timer;
        for (const char* name : {"Combo1_4", "Combo1_5", "Combo1_6", "Combo1_7", "Combo1_8"}) {
            timer << combo(name)->currentText();
        }
        QCOMPARE(timer, (QStringList{"02", "15", "00", "05", " 4"}));
        choose(combo("Combo2_3"), 0);
        QStringList schedule;
        for (const char* name : {"Combo2_4", "Combo2_5", "Combo2_6", "Combo2_7", "Combo2_8"}) {
            schedule << combo(name)->currentText();
        }
        QCOMPARE(schedule, (QStringList{"07", "45", "", "", q("月水金")}));
        QVERIFY(child<QRadioButton>("Option1_1")->isChecked()); // mode 2: this time only

        // A typed name reproduces nothing, whether it is left with Enter or by moving the focus
        // away, nor does a name the wheel steps to; with the option off choosing does not either.
        addTimer("B", {"1", "0", "0", "0", "0"});
        addSchedule("T", {"8", "0", "", "", ""}, true);
        choose(combo("Combo1_3"), 1); // B
        choose(combo("Combo2_3"), 1); // T
        type(combo("Combo1_4"), "9");
        type(combo("Combo2_4"), "1");
        for (const char* name : {"Combo1_3", "Combo2_3"}) {
            type(combo(name), name == std::string("Combo1_3") ? "A" : "S");
            QTest::keyClick(combo(name)->lineEdit(), Qt::Key_Return);
            type(combo(name), name == std::string("Combo1_3") ? "B" : "T");
            QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(combo(name), &away);
            // The wheel over the box steps to the next name without choosing it.
            QCoreApplication::processEvents(); // the focus change is over
            const QString before = combo(name)->currentText();
            const int step = combo(name)->currentIndex() > 0 ? 120 : -120;
            QWheelEvent wheel(QPointF(5, 5), combo(name)->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, step),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(combo(name), &wheel);
            QVERIFY(combo(name)->currentText() != before);
        }
        QCOMPARE(combo("Combo1_4")->currentText(), QString("9"));
        QCOMPARE(combo("Combo2_4")->currentText(), QString("1"));
        QVERIFY(child<QRadioButton>("Option1_0")->isChecked());
        p->backend.save("settei", "2", "False");
        choose(combo("Combo1_3"), 0);
        QCOMPARE(combo("Combo1_4")->currentText(), QString("9"));
    }

    void monthAndDayAgainstWeekday() {
        QComboBox* month = combo("Combo2_6");
        QComboBox* day = combo("Combo2_7");
        QComboBox* weekday = combo("Combo2_8");
        type(month, "3");
        type(day, "15");
        choose(weekday, 1); // 月～金
        QCOMPARE(weekday->currentText(), q("月～金"));
        QCOMPARE(month->currentText(), QString());
        QCOMPARE(day->currentText(), QString());
        type(month, "4");
        QCOMPARE(month->currentText(), QString("4"));
        QCOMPARE(weekday->currentText(), QString());
        type(weekday, q("火"));
        type(day, "2");
        QCOMPARE(weekday->currentText(), QString());
        QCOMPARE(day->currentText(), QString("2"));
        choose(day, 5);
        QCOMPARE(day->currentText(), QString("5"));
        QCOMPARE(month->currentText(), QString(""));

        // Texts the program writes are no user change: a stored weekday reservation whose month
        // and day are kept comes back whole.
        p->st.EntryRow = {};
        p->st.EntryRow[3] = "W";
        p->st.EntryRow[4] = "6";
        p->st.EntryRow[6] = "3";
        p->st.EntryRow[7] = "15";
        p->st.EntryRow[8] = "水";
        core::tuika03(p->env, 2);
        core::tuika_mein(p->env);
        clickItem(0);
        QCOMPARE(month->currentText(), QString("03"));
        QCOMPARE(day->currentText(), QString("15"));
        QCOMPARE(weekday->currentText(), q("水"));
        QCOMPARE(combo("Combo2_3")->currentText(), QString("W"));
        QVERIFY(child<QRadioButton>("Option1_1")->isChecked());
    }

    void selectingAReservationReproducesIt() {
        addTimer("T", {"1", "5:7", "0", "3", "2"});
        type(combo("Combo1_3"), "x");
        type(combo("Combo1_8"), "0");
        clickItem(0);
        QCOMPARE(combo("Combo1_3")->currentText(), QString("T"));
        QCOMPARE(combo("Combo1_5")->currentText(), QString("05:07"));
        QCOMPARE(combo("Combo1_8")->currentText(), QString(" 2"));
        QVERIFY(action("sakujo_1")->isEnabled());
        QVERIFY(action("sentakukesi")->isEnabled());
        // Option off: selecting changes no text.
        p->backend.save("settei", "3", "False");
        type(combo("Combo1_3"), "y");
        clickItem(0);
        QCOMPARE(combo("Combo1_3")->currentText(), QString("y"));
    }

    void clockLineFollowsTheSelection() {
        addTimer("T", {"1", "2", "0", "0", "0"});
        p->clock.advance(3);
        clickItem(0);
        w->hyouji_jikan();
        QCOMPARE(child<QLabel>("Label1_10")->text(), q("お知らせまで　0日 01時間　01分　57秒"));
        action("sentakukesi")->trigger();
        w->hyouji_jikan();
        const QString clock = child<QLabel>("Label1_10")->text();
        QVERIFY2(clock.startsWith(q("　2026年(")) && clock.endsWith(q("　12月　7日　月曜日　　9時　0分　3秒")),
                 qPrintable(clock));
        QVERIFY(!action("sakujo_1")->isEnabled());
        QCOMPARE(child<QTimer>("Timer1")->interval(), 100);
        QVERIFY(child<QTimer>("Timer1")->isActive());
    }

    // A clock set back an hour puts the countdown before the alarm: the selection stays on the
    // alarm, and the menus that need a selection stay usable.
    void clockMoveKeepsTheSelectedReservationSelected() {
        addTimer("T", {"0", "20", "0", "0", "0"});
        addSchedule("S", {"9", "10", "", "", ""}, true);
        clickItem(0);
        QCOMPARE(list()->item(0)->text().left(1), QString("S"));
        notify::tokeiHosei(p->env, -3600);
        QCOMPARE(list()->item(0)->text().left(1), QString("T"));
        QCOMPARE(list()->currentRow(), 1);
        QCOMPARE(list()->selectedItems().size(), 1);
        QCOMPARE(list()->selectedItems()[0], list()->item(1));
        QVERIFY(action("sakujo_1")->isEnabled());
        QVERIFY(action("sentakukesi")->isEnabled());
        // With nothing selected nothing is selected after a move either.
        action("sentakukesi")->trigger();
        notify::tokeiHosei(p->env, 3600);
        QVERIFY(list()->selectedItems().isEmpty());
        QVERIFY(!action("sakujo_1")->isEnabled());
    }

    void deleteOneThenAllThenRestoreTwice() {
        addTimer("A", {"0", "1", "0", "0", "0"});
        addTimer("B", {"0", "2", "0", "0", "0"});
        addTimer("C", {"0", "3", "0", "0", "0"});
        const std::string fileAfterAdds = dataFileBytes();
        const QStringList three = listLines();
        clickItem(1); // B
        action("sakujo_1")->trigger();
        QCOMPARE(listLines(), (QStringList{three[0], three[2]}));
        QCOMPARE(w->selectedPos(), -1);
        QCOMPARE(p->st.DeletedCount, std::int16_t(1));
        QCOMPARE(lastLog(), "［削除］," + kNow + ",,B,予約の編集,削除総数=1,削除番号=1,予約データ数2,,");

        action("sakujo_2")->trigger();
        QCOMPARE(list()->count(), 0);
        QCOMPARE(p->st.ReservationCount, std::int16_t(0));
        QCOMPARE(lastLog(), "［全削］," + kNow + ",,,予約の編集,削除総数=3,削除番号=2,予約データ数0,,");
        QVERIFY(action("sakujo_0")->isEnabled());
        QVERIFY(!action("sakujo_2")->isEnabled());

        action("sakujo_0")->trigger();
        QCOMPARE(listLines(), (QStringList{three[0], three[2]}));
        QCOMPARE(lastLog(), "［戻す］," + kNow + ",,,予約の編集,削除総数=1,削除番号=1,予約データ数2,,");
        action("sakujo_0")->trigger();
        QCOMPARE(listLines(), three);
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(lastLog(), "［戻す］," + kNow + ",,,予約の編集,削除総数=0,削除番号=0,予約データ数3,,");
        QVERIFY(!action("sakujo_0")->isEnabled());
        // Deletes and restores leave the data file to the next write.
        QCOMPARE(dataFileBytes(), fileAfterAdds);
    }

    void deleteEdges() {
        // Delete with nothing selected: nothing at all, not even a log line.
        addTimer("A", {"0", "1", "0", "0", "0"});
        const auto before = logLines();
        action("sakujo_1")->setEnabled(true);
        action("sakujo_1")->trigger();
        QCOMPARE(logLines(), before);
        QCOMPARE(p->st.DeleteBatchCount, std::int16_t(0));
        // Delete all on an empty list still counts a batch and logs it.
        action("sakujo_2")->trigger();
        action("sakujo_2")->setEnabled(true);
        action("sakujo_2")->trigger();
        QCOMPARE(p->st.DeleteBatchCount, std::int16_t(2));
        QCOMPARE(lastLog(), "［全削］," + kNow + ",,,予約の編集,削除総数=1,削除番号=2,予約データ数0,,");
        // The empty batch pops first, then the row comes back.
        action("sakujo_0")->trigger();
        QCOMPARE(p->st.ReservationCount, std::int16_t(0));
        action("sakujo_0")->trigger();
        QCOMPARE(p->st.ReservationCount, std::int16_t(1));
    }

    void restoredPastDueRowIsBackOnTop() {
        addTimer("late", {"0", "1", "0", "0", "0"});
        addTimer("later", {"1", "0", "0", "0", "0"});
        clickItem(0);
        action("sakujo_1")->trigger();
        p->clock.advance(120);
        action("sakujo_0")->trigger();
        QCOMPARE(p->st.ReservationCount, std::int16_t(2));
        QCOMPARE(row(1, core::kName), std::string("late"));
        QVERIFY(core::value(row(1, core::kNextSecond)) < core::genByou(p->env));
        QCOMPARE(listLines(), expectedLines());
        QVERIFY(list()->item(0)->text().startsWith("late"));
    }

    void optionsAreLoggedThenStored() {
        // Turning the log off still logs that change; turning it on again is not logged.
        action("settei_suru_1")->trigger();
        QCOMPARE(lastLog(), "＃設定　," + kNow + ",,,設定の変更,ログの保存,False,,,");
        QCOMPARE(p->backend.get("settei", "1", "?"), std::string("False"));
        const auto before = logLines();
        action("settei_suru_1")->trigger();
        QCOMPARE(logLines(), before);
        QCOMPARE(p->backend.get("settei", "1", "?"), std::string("True"));

        // Key "4" is item 7's, the desktop notification, key "5" item 9's, the repeated chime. The
        // file dialog is answered with the file named, or cancelled ("-").
        const std::string dir = p->dir.path().toStdString();
        const std::string big = "「big.wav」は 5 MB（5,000,000 バイト）より大きいため、お知らせの音にできません。\n"
                                "お知らせの音は、いつでもすぐに鳴らせるように読み込んだままにします。5 MB までの WAV "
                                "ファイルを選んでください。";
        struct Case {
            int item;           // settei_suru(item)
            std::string chosen; // "big.wav" is a byte over 5 MB, any other file just 5 MB
            std::string line;
            const char* stored; // the table's options in its order (keys "0" to "6"), T or F
            std::string oto;
            std::string box; // the message box it shows
        };
        const std::vector<Case> cases{
            {0, "", "音を鳴らす,False", "FTTTTFF", "", ""},
            {2, "", "表示名選択,False", "FTFTTFF", "", ""},
            {3, "", "予約内容選択,False", "FTFFTFF", "", ""},
            {7, "", "デスクトップ通知,False", "FTFFFFF", "", ""},
            {9, "", "音の繰り返し,True", "FTFFFTF", "", ""},
            {10, "big.wav", "音の繰り返し,True", "FTFFFTF", "", big},
            {10, "-", "音の繰り返し,True", "FTFFFTF", "", ""},
            {10, "鐘.wav", "音の選択," + dir + "/鐘.wav", "FTFFFTF", dir + "/鐘.wav", ""},
            {2, "", "表示名選択,True", "FTTFFTF", dir + "/鐘.wav", ""},
            {11, "", "音を元に戻す,False", "FTTFFTF", "", ""},
            {10, "鐘.wav", "音の選択," + dir + "/鐘.wav", "FTTFFTF", dir + "/鐘.wav", ""},
            {6, "", "設定終了,False", "FTTFFTF", dir + "/鐘.wav", ""},
            {5, "", "初期状態に戻す,False", "TTTTTFF", "", ""},
        };
        int withdrawn = p->desktop.withdrawn;
        bool desktopOn = true;
        for (const auto& c : cases) {
            QFile f(p->dir.filePath(QString::fromStdString(c.chosen)));
            // "" shows no dialog and "-" cancels it: neither names a file.
            QVERIFY(c.chosen.size() < 2 ||
                    (f.open(QIODevice::WriteOnly) && f.resize(c.chosen == "big.wav" ? 5000001 : 5000000)));
            if (!c.chosen.empty()) {
                QTimer::singleShot(0, [&] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog != nullptr);
                    dialog->selectFile(f.fileName());
                    c.chosen == "-" ? dialog->reject() : static_cast<QDialog*>(dialog)->accept(); // as Open does
                });
            }
            p->messages.shown.clear();
            action(("settei_suru_" + std::to_string(c.item)).c_str())->trigger();
            QCOMPARE(lastLog(), "＃設定　," + kNow + ",,,設定の変更," + c.line + ",,,");
            // Turned off, the desktop notification is withdrawn at once.
            const bool nowOn = c.stored[4] == 'T';
            QCOMPARE(p->desktop.withdrawn - withdrawn, desktopOn && !nowOn ? 1 : 0);
            withdrawn = p->desktop.withdrawn;
            desktopOn = nowOn;
            for (std::size_t i = 0; i < persist::kOptionCount; ++i) {
                const persist::OptionRow& row = persist::kOptionTable[i];
                QCOMPARE(p->backend.get("settei", row.key, "?"), std::string(c.stored[i] == 'T' ? "True" : "False"));
                QCOMPARE(action(("settei_suru_" + std::to_string(row.menuItem)).c_str())->isChecked(),
                         c.stored[i] == 'T');
            }
            QCOMPARE(p->backend.get("settei", "oto", ""), c.oto);
            QCOMPARE(p->messages.shown.empty() ? std::string() : p->messages.shown.back().text, c.box);
        }

        // Every option of the table has its check item, and the reset brings each back to its
        // default, whichever that is.
        for (const persist::OptionRow& row : persist::kOptionTable) {
            QAction* a = action(("settei_suru_" + std::to_string(row.menuItem)).c_str());
            QVERIFY(a->isCheckable());
            QCOMPARE(a->text(), q(row.caption));
            a->trigger();
            QCOMPARE(p->backend.get("settei", row.key, "?"), std::string(row.byDefault ? "False" : "True"));
        }
        action("settei_suru_5")->trigger();
        for (const persist::OptionRow& row : persist::kOptionTable) {
            QCOMPARE(p->backend.get("settei", row.key, "?"), std::string(row.byDefault ? "True" : "False"));
            QCOMPARE(action(("settei_suru_" + std::to_string(row.menuItem)).c_str())->isChecked(), row.byDefault);
        }
    }

    // 11 January 2027 is 成人の日: a Monday alarm moves past it as 曜日時刻は祝日を除く。 is turned on,
    // and back as it is turned off, in the list and in the data file at once.
    void holidayOptionMovesWeekdayAlarmsAtOnce() {
        p->clock.set(2027, 1, 8, 9, 0, 0);
        addSchedule(q("朝会"), {"8", "15", "", "", q("月")}, true);
        for (const auto& [on, day] : {std::pair{true, 18}, std::pair{false, 11}}) {
            action("settei_suru_8")->trigger();
            QCOMPARE(lastLog(), std::string("＃設定　, 2027/01/08(金),09:00:00,,,設定の変更,祝日を除く,") +
                                    (on ? "True" : "False") + ",,,");
            const std::string next = core::spacedDecimalText(stamp(2027, 1, day, 8, 15));
            QCOMPARE(row(0, core::kNextSecond), next);
            QCOMPARE(listLines(), expectedLines());
            QVERIFY(list()->item(0)->text().contains(QString(" 2027/01/%1(月) 08:15:00").arg(day)));
            QVERIFY(dataFileBytes().find(*p->codePage.encode("," + next + ",\r\n")) != std::string::npos);
        }
    }

    void marksAndPositionComeFromTheSettings() {
        closeWindow();
        p->backend.save("settei", "0", "false");
        p->backend.save("settei", "2", "0");
        p->backend.save("settei", "4", "0");
        p->backend.save("form1", "Top   ", "1500");
        p->backend.save("form1", "Left  ", "1500");
        p->backend.save("form1", "Height", "6000");
        p->backend.save("form1", "Width ", "9000");
        open();
        QVERIFY(!action("settei_suru_0")->isChecked());
        QVERIFY(action("settei_suru_1")->isChecked());
        QVERIFY(!action("settei_suru_2")->isChecked());
        QVERIFY(action("settei_suru_3")->isChecked());
        QVERIFY(!action("settei_suru_7")->isChecked());
        QCOMPARE(w->pos(), QPoint(100, 100));
        QCOMPARE(w->size(), QSize(600, 400));
        // The list follows the window: height - 2800, width - 100 twips.
        QTRY_COMPARE(list()->size(), QSize(593, 213));
        w->resize(700, 200); // 3000 twips high: the height stays
        QTRY_COMPARE(list()->size(), QSize(693, 213));
        w->move(10, 20);
        closeWindow();
        QCOMPARE(p->backend.get("form1", "Top   ", ""), std::string("300"));
        QCOMPARE(p->backend.get("form1", "Left  ", ""), std::string("150"));
        QCOMPARE(p->backend.get("form1", "Height", ""), std::string("3000"));
        QCOMPARE(p->backend.get("form1", "Width ", ""), std::string("10500"));
        QCOMPARE(lastLog(), "△予約　," + kNow + ",,,予約画面を閉じる,,,,,");
        QVERIFY(!p->st.EntryWindowOpen);
        QVERIFY(p->env.entryList == nullptr);
    }

    void closedMaximisedStoresItsNormalPlace() {
        w->move(10, 20);
        w->resize(700, 300);
        QTRY_COMPARE(w->frameGeometry().topLeft(), QPoint(10, 20));
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        QTRY_VERIFY(w->width() > 700);
        closeWindow();
        QCOMPARE(p->backend.get("form1", "Top   ", ""), std::string("300"));
        QCOMPARE(p->backend.get("form1", "Left  ", ""), std::string("150"));
        QCOMPARE(p->backend.get("form1", "Height", ""), std::string("4500"));
        QCOMPARE(p->backend.get("form1", "Width ", ""), std::string("10500"));
    }

    void rightClickShowsTheEditMenu() {
        addTimer("A", {"0", "1", "0", "0", "0"});
        addTimer("B", {"0", "2", "0", "0", "0"});
        clickItem(1);
        action("sentakukesi")->trigger();
        clickItem(0, Qt::RightButton);
        auto* menu = child<QMenu>("hensyu");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(w->selectedPos(), -1); // the right button selects nothing
        QVERIFY(!action("sakujo_0")->isEnabled());
        QVERIFY(!action("sakujo_1")->isEnabled());
        QVERIFY(action("sakujo_2")->isEnabled());
        QVERIFY(!action("sentakukesi")->isEnabled());
        menu->close();
        clickItem(1);
        clickItem(0, Qt::RightButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(w->selectedPos(), 1);
        QVERIFY(action("sakujo_1")->isEnabled());
        menu->close();
    }

    // 一時停止 and 再開 act on the selected countdown only; the line, the clock line, the file and
    // the log say what is left at once, and the selection follows the line below the alarm and back.
    void pauseAndResumeTheSelectedCountdown() {
        addSchedule("S", {"9", "40", "", "", ""}, true);
        addTimer("T", {"0", "20", "0", "0", "0"});
        clickItem(1); // S
        QVERIFY(!action("teisi_0")->isEnabled());
        QVERIFY(!action("teisi_1")->isEnabled());
        clickItem(0); // T
        QVERIFY(action("teisi_0")->isEnabled());
        QVERIFY(!action("teisi_1")->isEnabled());
        action("teisi_0")->trigger();
        QCOMPARE(listLines(), expectedLines());
        QVERIFY2(list()->item(1)->text().contains(q("【次のお知らせ】 一時停止中 残り00:20:00【設定】タイマー")),
                 qPrintable(list()->item(1)->text()));
        QCOMPARE(w->selectedPos(), 1);
        QVERIFY(!action("teisi_0")->isEnabled());
        QVERIFY(action("teisi_1")->isEnabled());
        w->hyouji_jikan();
        QCOMPARE(child<QLabel>("Label1_10")->text(), q("一時停止中　残り　0日 00時間　20分　00秒"));
        QVERIFY(
            p->codePage.decode(dataFileBytes()).find("\r\n01,0,0,T,00,20,00,00, 0, 63932318400,一時停止=1200\r\n") !=
            std::string::npos);
        const auto lines = logLines();
        QCOMPARE(lines[lines.size() - 2].rfind("□書込　,", 0), size_t(0));
        QCOMPARE(lines.back(), "［停止］," + kNow + ",,T,予約の一時停止,残り=00:20:00,予約データ数=2,,,");

        p->clock.advance(600);
        action("teisi_1")->trigger();
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(w->selectedPos(), 0);
        QCOMPARE(row(1, core::kNextSecond), core::spacedDecimalText(stamp(2026, 12, 7, 9, 30)));
        QCOMPARE(lastLog(), "［再開］, 2026/12/07(月),09:10:00,,T,予約の再開,残り=00:20:00,予約データ数=2,,,");
    }

    void dueRowsLeaveTheListAndTheSelectionFollows() {
        addTimer("A", {"0", "1", "0", "0", "0"});
        addTimer("B", {"0", "2", "0", "0", "0"});
        clickItem(1); // B
        p->clock.advance(60);
        core::hensu_kensuu(p->env);
        notify::saikeisan_F2(p->env, static_cast<std::int16_t>(p->st.ReservationCount - 1)); // A is done
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(list()->count(), 1);
        QCOMPARE(w->selectedPos(), 0); // still B
        p->clock.advance(60);
        core::hensu_kensuu(p->env); // as the tick does before it files a notice
        notify::saikeisan_F2(p->env, static_cast<std::int16_t>(p->st.ReservationCount - 1)); // B is done
        QCOMPARE(list()->count(), 0);
        QCOMPARE(w->selectedPos(), -1);
        w->hyouji_jikan();
        QVERIFY(child<QLabel>("Label1_10")->text().startsWith(q("　2026年(")));
    }

    void testNoticesAreAddedWithoutLogOrFile() {
        const auto before = logLines();
        action("osirasegamen_1")->trigger();
        QCOMPARE(p->st.ReservationCount, std::int16_t(1));
        QCOMPARE(row(0, core::kKindCode), std::string("1"));
        QCOMPARE(listLines(), expectedLines());
        QCOMPARE(logLines(), before);
        QCOMPARE(dataFileBytes(), std::string("<none>"));
    }

    void editorItemsAndNameLists() {
        action("meisyouRireki_1")->trigger();
        QCOMPARE(p->st.HistorySideEdited, std::int16_t(1));
        // While the editor is open, asking for the other side keeps the side it edits.
        p->st.HistoryEditorState = "作業中";
        action("meisyouRireki_0")->trigger();
        QCOMPARE(p->st.HistorySideEdited, std::int16_t(1));
        ui::closeNamesEditor(p->ctx);
        p->st.HistoryEditorState = "休業中";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        action("meisyouRireki_1")->setEnabled(true);

        ui::setEntryEditorItemEnabled(p->ctx, 1, false);
        QVERIFY(!action("meisyouRireki_1")->isEnabled());
        QVERIFY(action("meisyouRireki_0")->isEnabled());
        type(combo("Combo2_3"), q("入力中"));
        ui::appendEntryName(p->ctx, 1, "X");
        ui::clearEntryNameList(p->ctx, 1);
        ui::appendEntryName(p->ctx, 1, "Y");
        ui::appendEntryName(p->ctx, 1, "Z");
        QCOMPARE(combo("Combo2_3")->count(), 2);
        QCOMPARE(combo("Combo2_3")->itemText(1), QString("Z"));
        QCOMPARE(combo("Combo2_3")->currentText(), q("入力中"));

        // Opened again while the editor is open, the window keeps the other side's item off.
        closeWindow();
        p->st.HistoryEditorState = "作業中";
        open();
        QVERIFY(!action("meisyouRireki_0")->isEnabled());
        QVERIFY(action("meisyouRireki_1")->isEnabled());
    }

    void secondOpenBringsTheSameWindow() {
        ui::openEntryWindow(p->ctx);
        QCOMPARE(p->ctx.entry, w);
        QCOMPARE(w->parent(), nullptr);
        int opened = 0;
        for (const auto& l : logLines()) {
            opened += l.rfind("▽予約", 0) == 0 ? 1 : 0;
        }
        QCOMPARE(opened, 1);
        QCOMPARE(QApplication::topLevelWidgets().count(w), 1);
        QVERIFY(p->st.EntryWindowOpen);
        QVERIFY(p->env.entryList != nullptr);
        // A window opened later shows what the store holds, soonest first.
        addTimer("A", {"0", "9", "0", "0", "0"});
        addSchedule("B", {"9", "5", "", "", ""}, true);
        const QStringList shown = listLines();
        closeWindow();
        open();
        QCOMPARE(listLines(), shown);
        QCOMPARE(combo("Combo1_3")->itemText(0), QString("A"));
        QCOMPARE(combo("Combo1_3")->currentText(), QString());
        QCOMPARE(combo("Combo2_3")->itemText(0), QString("B"));
        QVERIFY(action("sakujo_2")->isEnabled());
    }

    void helpAndVersion() {
        action("helupu02")->trigger();
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(p->help.opened, (std::vector<std::string>(2, std::string("/opt/mayorin/Mayorin。ヘルプ.chm"))));

        // The version dialog is modal: answered here as soon as it shows.
        p->st.MessageMode = 6;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            shown = true;
            QCOMPARE(p->st.MessageMode, 0);
            QApplication::activeModalWidget()->close();
        });
        action("bajiyon")->trigger();
        QVERIFY(shown);
    }

    // A list out of step with the table: each handler reports its own failure once and the
    // window stays usable.
    void failuresAreReportedWithTheirLocation() {
        p->env.entryList->insertLine(0, "stray");
        list()->setCurrentRow(0);
        w->hyouji_jikan();
        clickItem(0);
        action("sakujo_1")->trigger();
        ui::appendEntryName(p->ctx, 0, "x");
        ui::appendEntryName(p->ctx, 0, "y");
        choose(combo("Combo1_3"), 1);
        std::vector<std::string> locations;
        for (const auto& r : p->errors.reports) {
            locations.push_back(r.location);
            QCOMPARE(r.code, 9);
        }
        QCOMPARE(locations, (std::vector<std::string>{"hyouji_jikan F1", "deetahyouji01 F1", "sakujo_Click F1",
                                                      "deetahyouji02 F1"}));
        p->errors.reports.clear();
        QCOMPARE(p->st.DeleteBatchCount, std::int16_t(0));
    }

    // Figures only: a full table opened and added to.
    void benchmarkFullTable() {
        closeWindow();
        p->backend.save("settei", "1", "False");
        for (int i = 0; i < 32766; ++i) {
            p->st.EntryRow = {};
            p->st.EntryRow[3] = "予約" + std::to_string(i);
            p->st.EntryRow[5] = std::to_string(i % 90);
            core::tuika03(p->env, 0);
            core::tuika_mein(p->env);
        }
        p->backend.save("settei", "1", "True");
        QElapsedTimer t;
        t.start();
        for (int r = 0; r < p->st.ReservationCount; ++r) {
            core::hyouji12(p->env, static_cast<std::int16_t>(r));
        }
        qInfo("list lines alone: %lld ms", t.elapsed());
        t.restart();
        open();
        const qint64 openMs = t.elapsed();
        QCOMPARE(list()->count(), 32766);
        t.restart();
        addTimer(q("最後"), {"0", "45", "0", "0", "0"});
        const qint64 addMs = t.elapsed();
        QCOMPARE(p->st.ReservationCount, std::int16_t(32767));
        QCOMPARE(list()->count(), 32767);
        qInfo("opening with 32766 reservations: %lld ms; adding the 32767th (sort, line, file, log): %lld ms", openMs,
              addMs);
        // The table is full: one more add is an overflow, reported by the store.
        addTimer(q("溢れ"), {"0", "45", "0", "0", "0"});
        QCOMPARE(p->st.ReservationCount, std::int16_t(32767));
        QVERIFY(!p->errors.reports.empty());
        QCOMPARE(p->errors.reports.front().location, std::string("tuika_mein M2"));
        p->errors.reports.clear();
        // Deleting everything and bringing it back, line by line into the open list.
        action("sakujo_2")->trigger();
        t.restart();
        action("sakujo_0")->trigger();
        qInfo("restoring 32767 reservations into the open list: %lld ms", t.elapsed());
        QCOMPARE(list()->count(), 32767);
    }
};

QTEST_MAIN(TestForm1)
#include "TestForm1.moc"
