#include "ui/message/Form5.h"

#include <exception>
#include <string>
#include <utility>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Guard.h"
#include "ui/message/Form5Window.h"
#include "ui/message/MessageTexts.h"
#include "ui/tray/Help.h"
#include "ui/Twips.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {

namespace {

constexpr const char* kTemaeh3 = "temaeh3 F5";
constexpr const char* kMesseiji = "messeiji M4　メッセージ";


using platform::qtext;

// The text boxes show line ends as the platform does: CR LF becomes one line break.
QString shownText(const std::string& s) {
    QString t = qtext(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

// A failure in the dialog's own handlers closes it and goes on to the trap of whoever opened it.
std::exception_ptr g_pendingFailure;

template <class Body> void trapForOpener(QDialog* dialog, Body&& body) {
    try {
        body();
    } catch (...) {
        if (!g_pendingFailure) {
            g_pendingFailure = std::current_exception();
        }
        dialog->done(QDialog::Rejected);
    }
}

} // namespace

Form5::Form5(UiContext& ctx) : QDialog(nullptr), m_ctx(ctx) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(qtext(core::kTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);

    m_menuBar = new QMenuBar(this);
    QMenu* help = m_menuBar->addMenu(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("help_f5"));
    QAction* open = help->addAction(QStringLiteral("ヘルプを開く"));
    open->setObjectName(QStringLiteral("help_hiraku"));
    open->setShortcut(QKeySequence(Qt::Key_F1));
    QAction* version = help->addAction(QStringLiteral("バージョン情報"));
    version->setObjectName(QStringLiteral("ver_f5"));
    connect(open, &QAction::triggered, this, [this] { trapForOpener(this, [this] { openHelp(m_ctx); }); });
    connect(version, &QAction::triggered, this, [this] { trapForOpener(this, [this] { hyuji_kirikae(0); }); });

    auto* client = new QWidget(this);
    client->setFixedSize(px(6735), px(3975));
    m_body = new QPlainTextEdit(client);
    m_body->setObjectName(QStringLiteral("Text1_0"));
    m_body->setReadOnly(true);
    m_body->setGeometry(px(120), px(120), px(6495), px(2775));
    m_line = new QLineEdit(client);
    m_line->setObjectName(QStringLiteral("Text1_1"));
    m_line->setReadOnly(true);
    m_line->setGeometry(px(120), px(3000), px(6495), px(375));
    QFont lineFont = m_line->font();
    lineFont.setFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    m_line->setFont(lineFont);
    m_first = new QPushButton(QStringLiteral("はい"), client);
    m_first->setObjectName(QStringLiteral("Command1_0"));
    m_first->setGeometry(px(120), px(3480), px(1695), px(375));
    m_second = new QPushButton(QStringLiteral("いいえ"), client);
    m_second->setObjectName(QStringLiteral("Command1_1"));
    m_second->setGeometry(px(1920), px(3480), px(1815), px(375));
    m_check = new QCheckBox(client);
    m_check->setObjectName(QStringLiteral("Check1"));
    m_check->setGeometry(px(3900), px(3480), px(2715), px(375));
    connect(m_first, &QPushButton::clicked, this, [this] { trapForOpener(this, [this] { kettei(0); }); });
    connect(m_second, &QPushButton::clicked, this, [this] { trapForOpener(this, [this] { kettei(1); }); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Form_Load: topmost first, then the content the caller asked for.
    temaeh3();
    hyuji_kirikae(m_ctx.env.st.MessageMode);
}

void Form5::temaeh3() {
    core::guarded(m_ctx.env.errors, kTemaeh3, [&] { setWindowFlag(Qt::WindowStaysOnTopHint, true); });
}

void Form5::hyuji_kirikae(int mode) {
    switch (mode) {
    case 0:
        ver_hyouji();
        break;
    case 1:
        eraa_hssei();
        break;
    case 5:
        kidou_messeiji();
        break;
    case 6:
        jyuufuku_kidou();
        break;
    default:
        break;
    }
}

void Form5::setTexts(const std::string& body, const std::string& line) {
    m_body->setPlainText(shownText(body));
    m_line->setText(qtext(line));
}

void Form5::ver_hyouji() {
    setTexts(versionText(m_ctx.env.st.AppDir), "　");
    m_first->setText(QString());
    m_first->setVisible(false);
    m_second->setText(QStringLiteral("閉じる"));
    m_second->setVisible(true);
    m_check->setText(QString());
    m_check->setVisible(false);
    m_shownMode = 0;
}

void Form5::eraa_hssei() {
    const auto& st = m_ctx.env.st;
    setTexts(st.MessageText, st.ErrorCount > 3 ? kForcedEndText : kEndText);
    m_first->setText(QStringLiteral("OK"));
    m_first->setVisible(true);
    m_second->setText(QString());
    m_second->setVisible(false);
    m_check->setText(QString());
    m_check->setVisible(false);
}

void Form5::kidou_messeiji() {
    const auto& st = m_ctx.env.st;
    setTexts(st.MessageText.empty() ? std::string(kNoMessageText) : st.MessageText, "　");
    m_first->setText(QStringLiteral("閉じる"));
    m_first->setVisible(true);
    m_second->setText(QString());
    m_second->setVisible(false);
    m_check->setText(qtext(kHideAtStartCaption));
    m_check->setVisible(true);
    // The stored choice again: a change that was not saved is dropped.
    m_check->setChecked(m_ctx.settings.messageHidden() != 0);
    m_shownMode = 5;
}

void Form5::jyuufuku_kidou() {
    setTexts(duplicateStartText(), kDuplicateQuestion);
    m_first->setText(QStringLiteral("はい"));
    m_first->setVisible(true);
    m_second->setText(QStringLiteral("無視"));
    m_second->setVisible(true);
    m_check->setVisible(false);
    m_shownMode = 6;
}

void Form5::terminate() {
    m_ctx.process.terminateNow();
    // Only a stand-in for the process control comes back here; the window then just closes.
    closeByProgram();
}

void Form5::kettei(int index) {
    const auto& st = m_ctx.env.st;
    if (index == 0) {
        switch (st.MessageMode) {
        case 1:
            if (st.ErrorCount > 3) {
                terminate();
            } else {
                closeByProgram();
            }
            break;
        case 5:
            m_ctx.settings.saveMessageHidden(m_check->isChecked());
            closeByProgram();
            break;
        case 6:
            // This second instance ends; the first one and its running marker stay as they are.
            terminate();
            break;
        default:
            break;
        }
        return;
    }
    if (index == 1) {
        if (m_shownMode == 0) {
            if (st.MessageMode != 0) {
                hyuji_kirikae(st.MessageMode);
            } else {
                closeByProgram();
            }
        } else if (m_shownMode == 6) {
            closeByProgram();
        }
    }
}

void Form5::closeByProgram() {
    QDialog::done(QDialog::Rejected);
}

void Form5::reject() {
    closeByProgram();
}

void Form5::closeEvent(QCloseEvent* event) {
    // The close box acts as the first button; the window then closes unless that ended the program.
    trapForOpener(this, [this] { kettei(0); });
    event->accept();
    if (isVisible()) {
        closeByProgram();
    }
}

void Form5::keyPressEvent(QKeyEvent* event) {
    // Escape does not close this window; only its buttons and its close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void showMessageDialog(UiContext& ctx) {
    Form5* previous = ctx.message;
    QPointer<Form5> dialog = new Form5(ctx);
    ctx.message = dialog;
    dialog->exec();
    ctx.message = previous;
    delete dialog.data();
    if (g_pendingFailure) {
        std::rethrow_exception(std::exchange(g_pendingFailure, nullptr));
    }
}

QWidget* showMessageDialogWithoutWaiting(UiContext& ctx) {
    auto* dialog = new Form5(ctx);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->show();
    return dialog;
}

void closeMessageDialog(UiContext& ctx) {
    if (ctx.message != nullptr) {
        ctx.message->closeByProgram();
    }
}

void messeiji(UiContext& ctx, int forced) {
    core::guarded(ctx.env.errors, kMesseiji, [&] {
        const std::string text = ctx.settings.releaseMessage();
        const int hidden = ctx.settings.messageHidden();
        if (forced != 1 && (text.empty() || hidden != 0)) {
            return;
        }
        ctx.env.st.MessageMode = 5;
        ctx.env.st.MessageText = text;
        showMessageDialog(ctx);
    });
}

} // namespace mayorin::ui
