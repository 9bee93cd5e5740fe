// The remote control on a private session bus (the test runs under dbus-run-session), called
// through the bus from a second connection, next to the entry window doing the same by hand.
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <QDeadlineTimer>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "persist/DataFile.h"
#include "tests/ui/entry/EntryProgram.h"
#include "ui/entry/Form1.h"
#include "ui/entry/Form1Window.h"
#include "ui/remote/RemoteControl.h"

using namespace mayorin;

namespace {

using Program = test::EntryProgram;

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray dataFile(const Program& p) {
    return fileBytes(QString::fromStdString(persist::dataFilePath(p.st)));
}

// Every log file's text, in one piece, with the program's folder written as <dir>.
QString logText(const Program& p) {
    QString all;
    QDirIterator it(p.dir.path(), {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QString::fromUtf8("ログ"))) {
            all += QString::fromStdString(p.codePage.decode(fileBytes(path).toStdString()));
        }
    }
    return all.replace(p.dir.path(), "<dir>");
}

QStringList listItems(ui::Form1* w) {
    QStringList items;
    auto* list = w->findChild<QListWidget*>("List1");
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

QStringList nameItems(ui::Form1* w, const char* combo) {
    QStringList items;
    auto* c = w->findChild<QComboBox*>(combo);
    for (int i = 0; i < c->count(); ++i) {
        items << c->itemText(i);
    }
    return items;
}

// Closes the window and lets it go before its program does.
void closeEntryWindow(Program& p) {
    ui::closeEntryWindow(p.ctx);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestRemoteControl : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Program> p;
    std::unique_ptr<ui::RemoteControl> remote;
    QDBusConnection client{QString()};

    // Calls a method of the program through the bus and waits for the answer.
    QDBusMessage call(const char* method, const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(ui::kBusName, ui::kObjectPath, ui::kInterface, method);
        m.setArguments(args);
        QDBusPendingCall pending = client.asyncCall(m, 5000);
        // The program answers from this thread's event loop.
        QDeadlineTimer deadline(6000);
        while (!pending.isFinished() && !deadline.hasExpired()) {
            QTest::qWait(5);
        }
        return pending.reply();
    }

    // What the timer or schedule panel of an open entry window gets, typed by a user.
    void typePanel(ui::Form1* w, int side, const QStringList& texts, bool everyTime = true) {
        for (int k = 3; k <= 8; ++k) {
            auto* c = w->findChild<QComboBox*>(QString("Combo%1_%2").arg(side + 1).arg(k));
            c->setEditText(texts.value(k - 3));
        }
        if (side == 1) {
            w->findChild<QRadioButton*>(everyTime ? "Option1_0" : "Option1_1")->setChecked(true);
        }
        QTest::mouseClick(w->findChild<QPushButton*>(QString("Command1_%1").arg(side)), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run this test under dbus-run-session");
        client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "remote-control-test-client");
        QVERIFY(client.isConnected());
    }

    void init() {
        p = std::make_unique<Program>();
        remote = std::make_unique<ui::RemoteControl>(p->ctx);
        QVERIFY(remote->registerOn(QDBusConnection::sessionBus()));
    }

    void cleanup() {
        remote.reset();
        closeEntryWindow(*p);
        p.reset();
    }

    // The same texts, once typed into a panel of the entry window and once sent over the bus,
    // give the same data file, the same log, the same list and the same name lists.
    void addsAsTheEntryWindowDoes_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QStringList>("texts"); // name, then fields 4 to 8 as typed
        QTest::addColumn<bool>("everyTime");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::newRow("timer") << 0 << QStringList{"卵", "0", "3", "0", "0", "0"} << true << "AddTimer"
                               << QVariantList{"0", "3", "卵"};
        QTest::newRow("timer with seconds") << 0 << QStringList{"茶", "0", "2:30", "0", "0", "0"} << true << "AddTimer"
                                            << QVariantList{"0", "2:30", "茶"};
        QTest::newRow("repeating, too large")
            << 0 << QStringList{"練習", "1", "130", "0", "5", "150"} << true << "AddRepeatingTimer"
            << QVariantList{"1", "130", "0", "5", "150", "練習"};
        QTest::newRow("daily, out of range") << 1 << QStringList{"起床", "25", "75", "", "", ""} << true << "AddAlarm"
                                             << QVariantList{"25", "75", "", "", "", true, "起床"};
        QTest::newRow("monthly") << 1 << QStringList{"給料日", "9", "0", "", "25", ""} << true << "AddAlarm"
                                 << QVariantList{"9", "0", "", "25", "", true, "給料日"};
        QTest::newRow("yearly once") << 1 << QStringList{"記念日", "10", "0", "12", "25", ""} << false << "AddAlarm"
                                     << QVariantList{"10", "0", "12", "25", "", false, "記念日"};
        QTest::newRow("weekdays once") << 1 << QStringList{"朝会", "8", "15", "", "", "月・水・金"} << false
                                       << "AddAlarm" << QVariantList{"8", "15", "", "", "月・水・金", false, "朝会"};
        QTest::newRow("no name") << 1 << QStringList{"", "7", "30", "", "", ""} << true << "AddAlarm"
                                 << QVariantList{"7", "30", "", "", "", true, ""};
    }
    void addsAsTheEntryWindowDoes() {
        QFETCH(int, side);
        QFETCH(QStringList, texts);
        QFETCH(bool, everyTime);
        QFETCH(QString, method);
        QFETCH(QVariantList, args);

        // The same history beforehand on both, so that the name list steps are exercised too.
        Program byHand;
        for (Program* q : {&byHand, p.get()}) {
            ui::openEntryWindow(q->ctx);
            QVERIFY(q->ctx.entry != nullptr);
        }
        typePanel(byHand.ctx.entry, side, texts, everyTime);
        const QDBusMessage reply = call(method.toLatin1().constData(), args);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);

        QCOMPARE(int(p->st.ReservationCount), 1);
        QVERIFY(!dataFile(byHand).isEmpty());
        QCOMPARE(dataFile(*p), dataFile(byHand));
        // Both logs: the window's opening, the data file write and the add line, at the same clock.
        QCOMPARE(logText(*p), logText(byHand));
        QVERIFY(logText(*p).contains(QString::fromUtf8("［追加］,")));
        QCOMPARE(listItems(p->ctx.entry), listItems(byHand.ctx.entry));
        QCOMPARE(reply.arguments().value(0).toString(), listItems(p->ctx.entry).value(0));
        const char* names = side == 0 ? "Combo1_3" : "Combo2_3";
        QCOMPARE(nameItems(p->ctx.entry, names), nameItems(byHand.ctx.entry, names));
        QVERIFY(p->st.NameHistoryCount == byHand.st.NameHistoryCount);
        QVERIFY(p->messages.shown.empty());
        QVERIFY(p->errors.reports.empty());
        closeEntryWindow(byHand);
    }

    // Without the window the add is the same: the file and the add line do not depend on it.
    void addsWithTheEntryWindowClosed() {
        const QDBusMessage reply = call("AddAlarm", {"7", "30", "", "", "月～金", true, "体操"});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(int(p->st.ReservationCount), 1);
        QCOMPARE(QString::fromStdString(p->st.ReservationTable[0][8]), QString("月火水木金"));
        const QString log = logText(*p);
        QVERIFY(log.contains(QString::fromUtf8("［追加］, 2026/12/07(月),09:00:00,,体操,曜日時刻,予約データ数=1,"
                                               "タイマー履歴数=0,予定履歴数=1,,\r\n")));
        QVERIFY(!log.contains(QString::fromUtf8("▽予約")));
    }

    // The name check's text comes back as the error; nothing is added, written, logged or shown.
    void refusedNameChangesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("comma") << "a,b"
                               << "半角英字の「　,　」(コロン)は表示名に使用できません。";
        QTest::newRow("quote") << "a'b"
                               << "半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。";
        QTest::newRow("both") << ",'"
                              << "半角英字の「　,　」(コロン)は表示名に使用できません。\n"
                                 "半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。";
    }
    void refusedNameChangesNothing() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        ui::openEntryWindow(p->ctx);
        const QString logBefore = logText(*p);
        for (const QDBusMessage& reply :
             {call("AddTimer", {"0", "5", name}), call("AddAlarm", {"7", "30", "", "", "", true, name})}) {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), QString(ui::kRefusedError));
            QCOMPARE(reply.errorMessage(), message);
        }
        QCOMPARE(int(p->st.ReservationCount), 0);
        QCOMPARE(p->st.NameHistoryCount[0] + p->st.NameHistoryCount[1], 0);
        QVERIFY(!QFile::exists(QString::fromStdString(persist::dataFilePath(p->st))));
        QCOMPARE(logText(*p), logBefore);
        QCOMPARE(p->ctx.entry->findChild<QListWidget*>("List1")->count(), 0);
        QVERIFY(p->messages.shown.empty());
    }

    void listIsTheEntryWindowsList() {
        QCOMPARE(call("List").arguments().value(0).toStringList(), QStringList());
        call("AddAlarm", {"7", "30", "", "", "", true, "起床"});
        call("AddTimer", {"0", "5", "卵"});
        call("AddRepeatingTimer", {"0", "25", "0", "5", "3", "作業"});
        call("AddAlarm", {"10", "0", "12", "25", "", false, ""});
        ui::openEntryWindow(p->ctx);
        const QStringList lines = call("List").arguments().value(0).toStringList();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines, listItems(p->ctx.entry));
        QVERIFY(lines[0].startsWith(QString::fromUtf8("作業")));
    }

    void openOpensTheEntryWindowOnce() {
        QVERIFY(p->ctx.entry == nullptr);
        QCOMPARE(call("Open").type(), QDBusMessage::ReplyMessage);
        ui::Form1* w = p->ctx.entry;
        QVERIFY(w != nullptr);
        QVERIFY(w->isVisible());
        QCOMPARE(call("Open").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(p->ctx.entry, w);
    }

    // A second start hands over to the instance that holds its folder's lock, and to no other
    // instance on the bus.
    void handOverOpensTheHoldersEntryWindowOnly() {
        for (const long pid : {long(::getppid()), long(::getpid())}) {
            std::atomic<int> opened{-1};
            // From another thread: this one answers the call from its event loop.
            std::thread secondStart([&] { opened = ui::openEntryWindowOf(client, pid) ? 1 : 0; });
            QTRY_VERIFY(opened != -1);
            secondStart.join();
            QCOMPARE(opened == 1, pid == ::getpid());
            QCOMPARE(p->ctx.entry != nullptr, pid == ::getpid());
        }
    }

    // Once an error was reported the program is on its way out: nothing more is taken.
    void refusesOnceTheProgramIsEnding() {
        p->st.ErrorCount = 1;
        for (const QDBusMessage& reply :
             {call("AddTimer", {"0", "5", "卵"}), call("Open"), call("Pause", {""}), call("Quit")}) {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), QString(ui::kRefusedError));
            QCOMPARE(reply.errorMessage(), QString::fromUtf8("Mayorin。は終了するところです。"));
        }
        QCOMPARE(int(p->st.ReservationCount), 0);
        QVERIFY(p->ctx.entry == nullptr);
    }

    void interfaceIsIntrospectable() {
        QDBusMessage m = QDBusMessage::createMethodCall(ui::kBusName, ui::kObjectPath,
                                                        "org.freedesktop.DBus.Introspectable", "Introspect");
        QDBusPendingCall pending = client.asyncCall(m, 5000);
        QTRY_VERIFY(pending.isFinished());
        const QString xml = pending.reply().arguments().value(0).toString();
        QVERIFY(xml.contains(QString("<interface name=\"%1\">").arg(ui::kInterface)));
        for (const char* method :
             {"Open", "AddTimer", "AddRepeatingTimer", "AddAlarm", "Pause", "Resume", "List", "Quit"}) {
            QVERIFY2(xml.contains(QString("<method name=\"%1\">").arg(method)), method);
        }
    }
};

QTEST_MAIN(TestRemoteControl)
#include "TestRemoteControl.moc"
