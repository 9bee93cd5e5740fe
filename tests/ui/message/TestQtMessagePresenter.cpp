#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "platform/qt/QtMessagePresenter.h"

using mayorin::platform::Answer;
using mayorin::platform::Buttons;
using mayorin::platform::Icon;
using mayorin::platform::QtMessagePresenter;
using mayorin::platform::Waiting;

namespace {

struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool onTop = false;
};

// Waits for the box to open, notes what it shows, then acts on it.
void whenShown(Seen& seen, std::function<void(QMessageBox*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, &seen, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
        }
        seen.buttons.sort();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        act(box);
    });
    timer->start();
}

} // namespace

class TestQtMessagePresenter : public QObject {
    Q_OBJECT

private slots:
    void answersTheButtonPressed_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("expectedDefault");
        QTest::newRow("ok") << int(Buttons::Ok) << int(Answer::Ok) << int(QMessageBox::Ok) << int(Answer::Ok)
                            << int(QMessageBox::Ok);
        QTest::newRow("yes, yes default") << int(Buttons::YesNo) << int(Answer::Yes) << int(QMessageBox::Yes)
                                          << int(Answer::Yes) << int(QMessageBox::Yes);
        QTest::newRow("no, yes default") << int(Buttons::YesNo) << int(Answer::Yes) << int(QMessageBox::No)
                                         << int(Answer::No) << int(QMessageBox::Yes);
        QTest::newRow("yes, no default") << int(Buttons::YesNo) << int(Answer::No) << int(QMessageBox::Yes)
                                         << int(Answer::Yes) << int(QMessageBox::No);
    }

    void answersTheButtonPressed() {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, press);
        QFETCH(int, expected);
        QFETCH(int, expectedDefault);
        Seen seen;
        QMessageBox::StandardButton defaultSeen = QMessageBox::NoButton;
        whenShown(seen, [&](QMessageBox* box) {
            defaultSeen = box->standardButton(box->defaultButton());
            box->button(QMessageBox::StandardButton(press))->click();
        });
        QtMessagePresenter presenter;
        const Answer a = presenter.show("変更が保存されていません。\r\n編集を終了しますか?", "Mayorin。",
                                        Buttons(buttons), Icon::Question, Answer(defaultButton));
        QCOMPARE(int(a), expected);
        QCOMPARE(int(defaultSeen), expectedDefault);
        QCOMPARE(seen.title, QStringLiteral("Mayorin。"));
        QCOMPARE(seen.text, QStringLiteral("変更が保存されていません。\r\n編集を終了しますか?"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QVERIFY(seen.onTop);
        QCOMPARE(seen.buttons.size(), Buttons(buttons) == Buttons::YesNo ? 2 : 1);
        if (Buttons(buttons) == Buttons::YesNo) {
            QCOMPARE(seen.buttons, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));
        }
    }

    void iconsMapToTheirKinds() {
        const std::pair<Icon, QMessageBox::Icon> cases[] = {
            {Icon::None, QMessageBox::NoIcon},       {Icon::Information, QMessageBox::Information},
            {Icon::Question, QMessageBox::Question}, {Icon::Exclamation, QMessageBox::Warning},
            {Icon::Critical, QMessageBox::Critical},
        };
        for (const auto& [icon, shown] : cases) {
            Seen seen;
            whenShown(seen, [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
            QtMessagePresenter presenter;
            QCOMPARE(int(presenter.show("x", "Mayorin。", Buttons::Ok, icon)), int(Answer::Ok));
            QCOMPARE(seen.icon, shown);
        }
    }

    // A box closed by the program (as at a log-off) is not the user's "No".
    void closedByProgramIsDismissed() {
        for (Buttons buttons : {Buttons::YesNo, Buttons::Ok}) {
            Seen seen;
            whenShown(seen, [](QMessageBox* box) { box->reject(); });
            QtMessagePresenter presenter;
            QCOMPARE(int(presenter.show("q", "Mayorin。", buttons, Icon::Question, Answer::Yes)),
                     int(Answer::Dismissed));
        }
    }

    // Once nobody may answer, a box is shown and show() returns at once; once the display has
    // gone, nothing is shown. Either way a question is not answered for the user.
    void boxesThatDoNotWait() {
        for (const Waiting waiting : {Waiting::No, Waiting::NoDisplay}) {
            QtMessagePresenter presenter;
            presenter.setWaiting(waiting);
            QCOMPARE(int(presenter.show("ok", "Mayorin。", Buttons::Ok, Icon::None)), int(Answer::Ok));
            QCOMPARE(int(presenter.show("q", "Mayorin。", Buttons::YesNo, Icon::Question, Answer::No)),
                     int(Answer::Dismissed));
            QStringList texts;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
                    QVERIFY(!box->isModal());
                    texts.push_back(box->text());
                }
            }
            texts.sort();
            QCOMPARE(texts, waiting == Waiting::No ? (QStringList{"ok", "q"}) : QStringList{});
        }
    }
};

QTEST_MAIN(TestQtMessagePresenter)
#include "TestQtMessagePresenter.moc"
