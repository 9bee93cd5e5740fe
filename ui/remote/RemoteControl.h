#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/ErrorSink.h"
#include "ui/UiContext.h"

namespace mayorin::ui {

// Where the running instance answers on the session bus.
inline constexpr const char* kBusName = "example.mayorin.Mayorin";
inline constexpr const char* kObjectPath = "/Mayorin";
inline constexpr const char* kInterface = "example.mayorin.Mayorin";
// Error names of the calls: a request the program turns down (its text says why), and an add
// during which the program reported an error.
inline constexpr const char* kRefusedError = "example.mayorin.Mayorin.Error.Refused";
inline constexpr const char* kFailedError = "example.mayorin.Mayorin.Error.Failed";
// What a caller is told from the start of the shut-down until the process is gone.
inline constexpr const char* kEndingMessage = "Mayorin。は終了するところです。";

// A second start's hand-over: asks the instance holding the bus name to open its entry window,
// when that instance is the process pid (the holder of this program folder's lock, not an
// instance of another folder). Waits a few seconds at most for a hung instance. Returns whether
// the entry window was opened.
bool openEntryWindowOf(QDBusConnection bus, long pid);

// The running instance's remote control on the session bus. Every add takes the texts a user
// types into the panels and goes through the panels' own add; its result is the new
// reservation's list line. Nothing here shows a message box: a refusal comes back as the call's
// error, with the text the box would have shown.
class RemoteControl final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.mayorin.Mayorin")

public:
    explicit RemoteControl(UiContext& ctx, QObject* parent = nullptr);
    // Lets the name go first, then answers the calls that reached this program before that with
    // kEndingMessage, and only then withdraws the object: no caller meets a missing object.
    ~RemoteControl() override;

    // Exports the object and takes the bus name. When another process holds the name, says so on
    // standard error and waits in the bus's queue for it: the name comes to this program as soon
    // as the other lets it go. False when the bus is not connected; the program then runs
    // without remote control.
    bool registerOn(QDBusConnection bus);

public Q_SLOTS:
    // Opens the entry window, or brings the open one to the front.
    void Open();
    // A single countdown: hours and minutes as in the timer panel (minutes may be "MM:SS").
    QString AddTimer(const QString& hours, const QString& minutes, const QString& name);
    // A repeating countdown: match time, rest time and repeat count as in the timer panel.
    QString AddRepeatingTimer(const QString& hours, const QString& minutes, const QString& restHours,
                              const QString& restMinutes, const QString& repeat, const QString& name);
    // An alarm as in the schedule panel: hour and minute, optionally a month and a day, a day
    // alone, or a weekday text (empty texts leave them out); every time or this time only.
    QString AddAlarm(const QString& hour, const QString& minute, const QString& month, const QString& day,
                     const QString& weekdays, bool everyTime, const QString& name);
    // Pauses every running countdown (タイマー, 繰返しタイマー, extension) with this display name,
    // every running countdown when the name is empty, as the entry window's "一時停止" does; returns
    // their new list lines, soonest first. None to pause is a refusal that says so.
    QStringList Pause(const QString& name);
    // Resumes every paused countdown with this display name (all when it is empty), as "再開" does.
    QStringList Resume(const QString& name);
    // Every reservation's list line, soonest first, as the entry window lists them.
    QStringList List();
    // Ends the program as "終了" does, without the question. The reply comes before the end.
    void Quit();

private:
    QString add(int side, bool everyTime, const QStringList& fields, const QString& name);
    QStringList pauseOrResume(bool pause, const QString& name);
    // Answers the call with kFailedError, then reports the call's failures once the reply is on its way.
    void replyFailed(const platform::KeptErrors& failures, const char* what);
    // True when the program is on its way out; then the call has been answered with an error.
    bool refuseWhenEnding();

    UiContext& m_ctx;
    QString m_connection;   // the connection holding the name or queued for it, empty when none
    bool m_closing = false; // the object is on its way out with the program
};

} // namespace mayorin::ui
