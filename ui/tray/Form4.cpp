#include "ui/tray/Form4.h"

#include <cstdio>
#include <string_view>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/Pause.h"
#include "ui/entry/Form1.h"
#include "ui/message/Form5.h"
#include "ui/names/Form3.h"
#include "ui/notice/Form2.h"
#include "ui/remote/RemoteControl.h"
#include "ui/tray/Help.h"
#include "ui/tray/TrayIcon.h"
#include "ui/Twips.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {
namespace {

constexpr std::string_view kAddIconLocation = "tasuku_aicon1 F4";
constexpr std::string_view kRemoveIconLocation = "tasuku_aicon2 F4";

constexpr int kTickMs = 200;
// Off-screen left edge of the hidden window: 20000 twips at 15 twips per pixel.
constexpr int kOffScreenLeft = 20000 / kTwipsPerPixel;

// The tray icon: a small alarm clock, drawn at run time so no image file has to travel along.
QIcon drawTrayIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 32.0;
        p.scale(s, s);
        // Two bells on top.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd0, 0x40, 0x30));
        p.drawEllipse(QRectF(2, 2, 10, 10));
        p.drawEllipse(QRectF(20, 2, 10, 10));
        // The face.
        p.setBrush(QColor(0xff, 0xf8, 0xe8));
        p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 3));
        p.drawEllipse(QRectF(4, 5, 24, 24));
        // The hands, at ten past ten.
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 17), QPointF(11, 12));
        p.drawLine(QPointF(16, 17), QPointF(22, 10));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// Menu commands have no error trap of their own; nothing they throw may cross the event loop.
template <class Body> void command(platform::ErrorSink& errors, std::string_view where, Body&& body) {
    try {
        body();
    } catch (...) {
        core::reportCurrent(errors, where);
    }
}

} // namespace

Form4::Form4(UiContext& ctx)
    : QWidget(nullptr), m_ctx(ctx),
      m_controller(std::make_unique<notify::ResidentController>(ctx.env, ctx.settings, *this, *this, *this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromUtf8(core::kTitle));
    setWindowIcon(drawTrayIcon());
    move(kOffScreenLeft, 0);
    m_ctx.resident = this;

    buildMenu();
    m_tray = new TrayIcon(windowIcon(), windowTitle(), m_menu, this);
    connect(m_tray, &TrayIcon::entryWindowAsked, this,
            [this] { command(m_ctx.env.errors, "Form_MouseDown F4", [&] { openEntryWindow(m_ctx); }); });

    // The tick runs from the moment the window exists.
    m_tick = new QTimer(this);
    m_tick->setObjectName(QStringLiteral("Timer1"));
    m_tick->setInterval(kTickMs);
    connect(m_tick, &QTimer::timeout, this, [this] {
        m_controller->tick();
        followSoonest();
    });
    m_tick->start();
}

Form4::~Form4() {
    for (const QPointer<QWidget>& w : m_unanswered) {
        delete w.data();
    }
    if (m_ctx.resident == this) {
        m_ctx.resident = nullptr;
    }
}

void Form4::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("tasuku_aikon"));
    m_menu->setTitle(QStringLiteral("タスクアイコン"));

    auto item = [this](const char* name, const char* caption) {
        QAction* a = m_menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    platform::ErrorSink& errors = m_ctx.env.errors;
    connect(item("tasuku_aikon_hyouji", "予約する。"), &QAction::triggered, this,
            [this, &errors] { command(errors, "tasuku_aikon_hyouji_Click F4", [&] { openEntryWindow(m_ctx); }); });
    connect(item("help1", "ヘルプ"), &QAction::triggered, this,
            [this, &errors] { command(errors, "help1_Click F4", [&] { openHelp(m_ctx); }); });
    connect(item("ver_f4", "バージョン情報"), &QAction::triggered, this, [this, &errors] {
        command(errors, "ver_f4_Click F4", [&] {
            m_ctx.env.st.MessageMode = 0;
            ui::showMessageDialog(m_ctx);
        });
    });
    m_messageItem = item("renraku", "メッセージ");
    m_messageItem->setVisible(false);
    connect(m_messageItem, &QAction::triggered, this,
            [this, &errors] { command(errors, "renraku_Click F4", [&] { ui::messeiji(m_ctx, 1); }); });
    m_menu->addSeparator()->setObjectName(QStringLiteral("kugiri_t"));
    connect(item("tasuku_aikon_syuryou_0", "終了"), &QAction::triggered, this,
            [this] { tasuku_aikon_syuryou_Click(0); });
    connect(item("tasuku_aikon_syuryou_1", "レジストリを削除して終了。"), &QAction::triggered, this,
            [this] { tasuku_aikon_syuryou_Click(1); });
}

void Form4::start(const std::string& dataFolder) {
    m_loading = true;
    m_controller->formLoad(dataFolder);
    m_loading = false;
    followSoonest();
    if (m_pending != Pending::None) {
        QMetaObject::invokeMethod(this, &Form4::processClose, Qt::QueuedConnection);
    }
}

void Form4::followSoonest() {
    // Every change of the soonest reservation passes a tick within 200 ms, whatever made it: an
    // add or a delete in a window or from the command line, a notice, a restore, a clock move. A
    // look at the soonest row is all it costs; the tip is made again only when that row changed.
    const core::State& st = m_ctx.env.st;
    const int count = st.ReservationCount;
    // The soonest row is the last used row; a paused one stands last only when nothing runs.
    const auto* soonest =
        count > 0 && count - 1 <= st.ReservationTable.top() ? &st.ReservationTable[count - 1] : nullptr;
    if (soonest != nullptr && core::isPaused(*soonest)) {
        soonest = nullptr;
    }
    const bool same = soonest == nullptr ? !m_tipNamesOne
                                         : m_tipNamesOne && (*soonest)[core::kNextSecond] == m_tipSecond &&
                                               (*soonest)[core::kName] == m_tipName;
    if (same) {
        return;
    }
    m_tipNamesOne = soonest != nullptr;
    m_tipSecond = soonest != nullptr ? (*soonest)[core::kNextSecond] : std::string();
    m_tipName = soonest != nullptr ? (*soonest)[core::kName] : std::string();
    m_tray->setTipText(platform::qtext(core::nextNoticeText(m_ctx.env)));
}

void Form4::tasuku_aikon_syuryou_Click(int index) {
    m_controller->owari(index);
    askClose(Pending::User);
}

bool Form4::duplicateStartWarningShown() const {
    // The start-up's duplicate check is the only place that shows content 6.
    return m_loading && m_ctx.message != nullptr && m_ctx.env.st.MessageMode == 6;
}

void Form4::closeFromSystem() {
    if (m_ended) {
        return;
    }
    if (duplicateStartWarningShown()) {
        // This second start ends here; the first instance's marker, data file and log stay as
        // they are.
        m_ctx.process.terminateNow();
    }
    m_pending = Pending::System;
    m_systemClose = true;
    m_ctx.env.messages.setWaiting(platform::Waiting::No);
    // The message dialog first, closed by the program so that none of its buttons acts.
    ui::closeMessageDialog(m_ctx);
    // Every other dialog waiting for an answer: closed, which its caller must not take as one.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible() || !w->isModal()) {
            continue;
        }
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        } else {
            w->close();
        }
    }
    askClose(Pending::System);
}

void Form4::endWithoutDisplay() {
    if (m_ended) {
        return;
    }
    m_ended = true; // close requests from here on change nothing
    m_displayGone = true;
    m_ctx.env.messages.setWaiting(platform::Waiting::NoDisplay);
    if (duplicateStartWarningShown()) {
        return;
    }
    m_controller->endWithoutDisplay();
}

void Form4::requestClose() {
    askClose(Pending::User);
}

void Form4::closeEvent(QCloseEvent* event) {
    event->ignore();
    askClose(Pending::User);
}

void Form4::askClose(Pending reason) {
    if (m_ended) {
        return;
    }
    // A close from the system outranks one from the user.
    if (m_pending != Pending::System) {
        m_pending = reason;
    }
    QMetaObject::invokeMethod(this, &Form4::processClose, Qt::QueuedConnection);
}

void Form4::processClose() {
    // Requests that come during the start-up or the exit question wait for them to end; those
    // that come during the shut-down change nothing.
    if (m_ended || m_unloading || m_loading || m_asking) {
        return;
    }
    while (m_pending != Pending::None) {
        const notify::CloseReason reason =
            m_pending == Pending::System ? notify::CloseReason::System : notify::CloseReason::User;
        m_pending = Pending::None;
        m_asking = true;
        const bool go = m_controller->queryUnload(reason);
        m_asking = false;
        if (m_ended) {
            return;
        }
        if (!go) {
            continue; // cancelled: only a request made meanwhile (a log-off) goes on
        }
        m_unloading = true;
        m_controller->unload();
        if (!m_ended) {
            // A failure stopped the shut-down half-way; the program ends all the same.
            removeTrayIcon();
            endProcess();
        }
        return;
    }
}

// --- the notification window, as the tick drives it

void Form4::openNoticeWindow() {
    ui::openNoticeWindow(m_ctx);
}

void Form4::insertNoticeLine(const std::string& line) {
    ui::insertNoticeLine(m_ctx, line);
}

void Form4::appendNoticeLine(const std::string& line) {
    ui::appendNoticeLine(m_ctx, line);
}

void Form4::selectTopNotice() {
    ui::selectTopNotice(m_ctx);
}

// --- the tray and the other windows, as the controller drives them

void Form4::addTrayIcon() {
    core::guarded(m_ctx.env.errors, kAddIconLocation, [&] {
        // Shown even when no tray is available now: the icon appears once a tray host starts.
        m_tray->show();
    });
}

void Form4::removeTrayIcon() {
    core::guarded(m_ctx.env.errors, kRemoveIconLocation, [&] { m_tray->hide(); });
}

void Form4::setMessageItemVisible(bool visible) {
    m_messageItem->setVisible(visible);
}

void Form4::messeiji(int forced) {
    ui::messeiji(m_ctx, forced);
}

void Form4::closeMessageDialog() {
    ui::closeMessageDialog(m_ctx);
}

void Form4::closeOtherWindows() {
    closeEntryWindow(m_ctx);
    closeNoticeWindow(m_ctx);
    closeNamesEditor(m_ctx);
    ui::closeMessageDialog(m_ctx);
}

void Form4::endProcess() {
    m_ended = true;
    m_tick->stop();
    // Leaves every running event loop, the nested loops of open dialogs included.
    QCoreApplication::exit(0);
}

void Form4::setTickEnabled(bool enabled) {
    if (enabled) {
        m_tick->start();
    } else {
        m_tick->stop();
    }
}

void Form4::handOverToRunningInstance(const std::string& heldFolder) {
    if (const auto holder = persist::InstanceLock::holderPid(heldFolder)) {
        openEntryWindowOf(QDBusConnection::sessionBus(), *holder);
    }
    m_ctx.process.terminateNow();
}

void Form4::sayOnStandardError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

void Form4::showMessageDialog() {
    if (m_displayGone) {
        return;
    }
    if (m_systemClose) {
        // Nobody may be there to answer: the end goes on while the dialog shows.
        m_unanswered.emplace_back(ui::showMessageDialogWithoutWaiting(m_ctx));
        return;
    }
    ui::showMessageDialog(m_ctx);
}

} // namespace mayorin::ui
