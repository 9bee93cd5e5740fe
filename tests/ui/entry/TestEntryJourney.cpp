// A user's whole road through the entry window: open it from the tray, start a one-second timer,
// let the notice come, extend it by one minute and see the extension in the reservation list.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "core/ListLine.h"
#include "core/Store.h"
#include "persist/OperationLog.h"
#include "persist/Settings.h"
#include "tests/support/Fakes.h"
#include "tests/ui/entry/EntryProgram.h"
#include "ui/entry/Form1Window.h"
#include "ui/notice/Form2Window.h"
#include "ui/tray/Form4.h"

using namespace mayorin;

namespace {

using Program = test::EntryProgram;

std::vector<std::string> logLines(const Program& p) {
    std::vector<std::string> lines;
    QDirIterator it(p.dir.path(), {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QString::fromUtf8("ログ"))) {
            continue;
        }
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QStringList all =
                QString::fromStdString(p.codePage.decode(f.readAll().toStdString())).split("\r\n", Qt::SkipEmptyParts);
            for (const QString& l : all) {
                lines.push_back(l.toStdString());
            }
        }
    }
    return lines;
}

} // namespace

class TestEntryJourney : public QObject {
    Q_OBJECT

private slots:
    void timerNoticeExtendedShowsInTheList() {
        Program p;
        auto resident = std::make_unique<ui::Form4>(p.ctx);
        resident->start(p.dir.path().toStdString());

        resident->trayMenu()->findChild<QAction*>("tasuku_aikon_hyouji")->trigger();
        ui::Form1* entry = p.ctx.entry;
        QVERIFY(entry != nullptr);
        auto* name = entry->findChild<QComboBox*>("Combo1_3");
        name->lineEdit()->setText(QString::fromUtf8("お茶"));
        entry->findChild<QComboBox*>("Combo1_5")->lineEdit()->setText("0:01");
        QTest::mouseClick(entry->findChild<QPushButton*>("Command1_0"), Qt::LeftButton);
        QCOMPARE(p.st.ReservationCount, std::int16_t(1));
        auto* list = entry->findChild<QListWidget*>("List1");
        QCOMPARE(list->count(), 1);

        // Nothing is due before its second; one second later the tick brings the notice.
        QTest::qWait(450);
        QVERIFY(p.ctx.notice == nullptr);
        p.clock.advance(1);
        QTRY_VERIFY(p.ctx.notice != nullptr);
        QTRY_COMPARE(p.st.NoticeCount, std::int16_t(1));
        QCOMPARE(p.st.ReservationCount, std::int16_t(0));
        QCOMPARE(list->count(), 0);

        // Extend by one minute from the notification window.
        ui::Form2* notice = p.ctx.notice;
        notice->findChild<QComboBox*>("Combo1")->lineEdit()->setText("1");
        QTest::mouseClick(notice->findChild<QPushButton*>("Command1_2"), Qt::LeftButton);
        QCOMPARE(p.st.ReservationCount, std::int16_t(1));
        QCOMPARE(p.st.ReservationTable[0][core::kKindCode], std::string("10"));
        QCOMPARE(p.st.ReservationTable[0][core::kName], std::string("お茶"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text().toStdString(), core::hyouji12(p.env, 0));
        QVERIFY(list->item(0)->text().contains(QString::fromUtf8("延長")));
        QCOMPARE(p.messages.shown.back().text, std::string("1分延長をしました。"));

        // The road as the log tells it.
        std::vector<std::string> marks;
        for (const auto& l : logLines(p)) {
            marks.push_back(l.substr(0, l.find(',')));
        }
        const std::vector<std::string> expected{
            "'このファイルは「Mayorin。」 Ver1.1.68から記録されたログファイルです。",
            "'",
            "▼起動　",
            "▽予約　",
            "□書込　",
            "［追加］",
            "▽お知ら",
            "♪タイマ",
            "［延長］"};
        QCOMPARE(marks, expected);

        resident->closeFromSystem();
        QTRY_VERIFY(resident->hasEnded());
        QVERIFY(p.ctx.entry == nullptr);
        QVERIFY(!p.st.EntryWindowOpen);
        QCOMPARE(p.errors.reports.size(), size_t(0));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestEntryJourney)
#include "TestEntryJourney.moc"
