#include "platform/qt/QtMessagePresenter.h"
#include "platform/qt/QtText.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

namespace mayorin::platform {

namespace {

QMessageBox::Icon qicon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtMessagePresenter::QtMessagePresenter() = default;
QtMessagePresenter::~QtMessagePresenter() = default;

Answer QtMessagePresenter::show(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                                Answer defaultButton) {
    const Answer unanswered = buttons == Buttons::Ok ? Answer::Ok : Answer::Dismissed;
    if (m_waiting == Waiting::NoDisplay) {
        return unanswered;
    }
    auto owned = std::make_unique<QMessageBox>();
    QMessageBox& box = *owned;
    box.setWindowTitle(qtext(title));
    box.setText(qtext(text));
    box.setIcon(qicon(icon));
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QAbstractButton* ok = nullptr;
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    if (buttons == Buttons::YesNo) {
        // The desktop is Japanese; Qt's own captions would be English without a translation.
        yes = box.addButton(QMessageBox::Yes);
        yes->setText(QStringLiteral("はい(&Y)"));
        no = box.addButton(QMessageBox::No);
        no->setText(QStringLiteral("いいえ(&N)"));
        box.setDefaultButton(defaultButton == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    } else {
        ok = box.addButton(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (m_waiting == Waiting::No) {
        box.setModal(false);
        box.show();
        m_unanswered.push_back(std::move(owned));
        return unanswered;
    }
    box.exec();
    // A box the program closed with reject() has no clicked button: nobody answered.
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) {
        return Answer::Dismissed;
    }
    if (clicked == yes) {
        return Answer::Yes;
    }
    if (clicked == no) {
        return Answer::No;
    }
    if (clicked == ok) {
        return Answer::Ok;
    }
    return Answer::Dismissed;
}

} // namespace mayorin::platform
