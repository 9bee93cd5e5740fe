#include "ui/remote/RemoteControl.h"

#include <cstdio>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QMetaObject>

#include "core/Guard.h"
#include "core/ListLine.h"
#include "persist/OperationLog.h"
#include "platform/qt/QtText.h"
#include "ui/entry/AddReservation.h"
#include "ui/entry/PauseReservation.h"
#include "ui/entry/Form1.h"
#include "ui/tray/Form4.h"

namespace mayorin::ui {

namespace {

// Location texts of the calls that do work.
constexpr const char* kRemoteAdd = "RemoteControl_Add DBus";
constexpr const char* kRemoteOpen = "RemoteControl_Open DBus";
constexpr const char* kRemotePause = "RemoteControl_Pause DBus";
constexpr const char* kRemoteResume = "RemoteControl_Resume DBus";

constexpr const char* kAddFailed = "予約の追加中にエラーが発生しました。";
constexpr const char* kPauseFailed = "予約の一時停止中にエラーが発生しました。";
constexpr const char* kResumeFailed = "予約の再開中にエラーが発生しました。";
constexpr const char* kNameTaken = "Mayorin。: D-Bus の名前 example.mayorin.Mayorin は別のプロセスが使用しています。"
                                   "空きしだい使用します。それまでリモート操作は使えません。\n";

// The name check's boxes are not shown for a caller that has no screen of ours: their texts go
// back to it.
class Unshown final : public platform::MessagePresenter {
public:
    platform::Answer show(std::string_view, std::string_view, platform::Buttons, platform::Icon,
                          platform::Answer) override {
        return platform::Answer::Ok;
    }
    void setWaiting(platform::Waiting) override {}
};

// The program's environment for one call, its failures kept by the call: the log lines of the
// call are written by a log of its own that reports to the call too.
struct CallEnv {
    CallEnv(core::Env& base, platform::ErrorSink& errors, platform::MessagePresenter& boxes)
        : env(core::redirected(base, errors, boxes, log)), log(env) {}
    core::Env env;
    persist::OperationLog log;
};

} // namespace

bool openEntryWindowOf(QDBusConnection bus, long pid) {
    // Long enough for a busy instance, short enough that a hung one does not hold up this start.
    constexpr int kWaitMs = 3000;
    if (!bus.isConnected() || bus.interface() == nullptr || pid <= 0) {
        return false;
    }
    const QDBusReply<uint> owner = bus.interface()->servicePid(QString::fromLatin1(kBusName));
    if (!owner.isValid() || static_cast<long>(owner.value()) != pid) {
        return false;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kBusName), QString::fromLatin1(kObjectPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Open"));
    return bus.call(call, QDBus::Block, kWaitMs).type() == QDBusMessage::ReplyMessage;
}

RemoteControl::RemoteControl(UiContext& ctx, QObject* parent) : QObject(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("RemoteControl"));
}

RemoteControl::~RemoteControl() {
    if (!m_connection.isEmpty()) {
        QDBusConnection bus(m_connection);
        // Calls routed to the name before the bus took it back are already queued here (the bus
        // keeps the order of its messages); the shut-down has begun, so each gets kEndingMessage.
        m_closing = true;
        bus.unregisterService(QString::fromLatin1(kBusName));
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
    }
}

bool RemoteControl::registerOn(QDBusConnection bus) {
    if (!bus.isConnected()) {
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAllSlots)) {
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(QString::fromLatin1(kBusName), QDBusConnectionInterface::QueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return false;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceQueued) {
        std::fputs(kNameTaken, stderr);
    }
    m_connection = bus.name();
    return true;
}

bool RemoteControl::refuseWhenEnding() {
    const bool ending =
        m_closing || m_ctx.env.st.ErrorCount > 0 || (m_ctx.resident != nullptr && m_ctx.resident->isShuttingDown());
    if (ending && calledFromDBus()) {
        sendErrorReply(QString::fromLatin1(kRefusedError), QString::fromUtf8(kEndingMessage));
    }
    return ending;
}

void RemoteControl::Open() {
    if (refuseWhenEnding()) {
        return;
    }
    core::guarded(m_ctx.env.errors, kRemoteOpen, [&] { openEntryWindow(m_ctx); });
}

QString RemoteControl::AddTimer(const QString& hours, const QString& minutes, const QString& name) {
    return add(0, true, {hours, minutes, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}, name);
}

QString RemoteControl::AddRepeatingTimer(const QString& hours, const QString& minutes, const QString& restHours,
                                         const QString& restMinutes, const QString& repeat, const QString& name) {
    return add(0, true, {hours, minutes, restHours, restMinutes, repeat}, name);
}

QString RemoteControl::AddAlarm(const QString& hour, const QString& minute, const QString& month, const QString& day,
                                const QString& weekdays, bool everyTime, const QString& name) {
    return add(1, everyTime, {hour, minute, month, day, weekdays}, name);
}

QString RemoteControl::add(int side, bool everyTime, const QStringList& fields, const QString& name) {
    if (refuseWhenEnding()) {
        return {};
    }
    core::Env& env = m_ctx.env;
    PanelTexts panel;
    panel.side = side;
    panel.everyTime = everyTime;
    panel.text[3] = platform::stdtext(name);
    for (int k = 4; k <= 8; ++k) {
        panel.text[k] = platform::stdtext(fields.value(k - 4));
    }
    // The name check's boxes and any failure's report wait for no one here: the boxes' texts
    // go back to the caller, and the reports follow once the reply is on its way.
    Unshown boxes;
    platform::KeptErrors failures; // passed on once the reply is on its way
    CallEnv call(env, failures, boxes);
    const AddOutcome outcome = core::guardedOr(failures, kRemoteAdd, AddOutcome{},
                                               [&] { return addReservation(m_ctx, call.env, panel, true); });
    if (!failures.reports.empty()) {
        replyFailed(failures, kAddFailed);
        return {};
    }
    if (!outcome.refusal.empty()) {
        sendErrorReply(QString::fromLatin1(kRefusedError), platform::qtext(outcome.refusal));
        return {};
    }
    if (!outcome.added) {
        sendErrorReply(QString::fromLatin1(kFailedError), QString::fromUtf8(kAddFailed));
        return {};
    }
    return platform::qtext(core::hyouji12(env, env.st.ReservationInsertPos));
}

void RemoteControl::replyFailed(const platform::KeptErrors& failures, const char* what) {
    const auto& first = failures.reports.front();
    sendErrorReply(QString::fromLatin1(kFailedError), QString::fromUtf8(what) +
                                                          QStringLiteral("\nエラー番号 %1　").arg(first.code) +
                                                          platform::qtext(first.description));
    QMetaObject::invokeMethod(
        this,
        [this, reports = failures.reports] {
            for (const auto& r : reports) {
                m_ctx.env.errors.ReportError(r.location, r.code, r.description);
            }
        },
        Qt::QueuedConnection);
}

QStringList RemoteControl::Pause(const QString& name) {
    return pauseOrResume(true, name);
}

QStringList RemoteControl::Resume(const QString& name) {
    return pauseOrResume(false, name);
}

QStringList RemoteControl::pauseOrResume(bool pause, const QString& name) {
    if (refuseWhenEnding()) {
        return {};
    }
    core::Env& env = m_ctx.env;
    // Display names are kept as the data file reads them back: "〜" typed is "～" stored.
    std::string wanted = platform::stdtext(name);
    if (const auto bytes = env.codePage.encode(wanted)) {
        wanted = env.codePage.decode(*bytes);
    }
    const auto pick = [&wanted](const core::Fields& row) { return wanted.empty() || row[core::kName] == wanted; };
    Unshown boxes;
    platform::KeptErrors failures; // passed on once the reply is on its way
    CallEnv call(env, failures, boxes);
    const std::vector<std::string> lines =
        core::guardedOr(failures, pause ? kRemotePause : kRemoteResume, std::vector<std::string>{},
                        [&] { return pauseReservations(m_ctx, call.env, pause, pick); });
    if (!failures.reports.empty()) {
        replyFailed(failures, pause ? kPauseFailed : kResumeFailed);
        return {};
    }
    if (lines.empty()) {
        const std::string which = wanted.empty() ? std::string() : "表示名が「" + wanted + "」の";
        sendErrorReply(QString::fromLatin1(kRefusedError),
                       platform::qtext(which + (pause ? "動いている" : "一時停止中の") + "タイマーはありません。"));
        return {};
    }
    QStringList out;
    for (const std::string& line : lines) {
        out << platform::qtext(line);
    }
    return out;
}

QStringList RemoteControl::List() {
    core::Env& env = m_ctx.env;
    QStringList lines;
    for (int r = env.st.ReservationCount - 1; r >= 0; --r) {
        lines << platform::qtext(core::hyouji12(env, static_cast<std::int16_t>(r)));
    }
    return lines;
}

void RemoteControl::Quit() {
    if (refuseWhenEnding()) {
        return;
    }
    // After the reply: the close runs from the event loop, as a log-off's does, without the
    // question and with any open dialog closed unanswered.
    if (Form4* resident = m_ctx.resident) {
        QMetaObject::invokeMethod(resident, &Form4::closeFromSystem, Qt::QueuedConnection);
    }
}

} // namespace mayorin::ui
