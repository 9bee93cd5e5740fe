#pragma once

#include <QObject>

class QSocketNotifier;

namespace mayorin::ui {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the user-interface thread: the handler
// only writes one byte into a socket pair, whose other end a socket notifier watches.
class SystemSignals final : public QObject {
    Q_OBJECT

public:
    // Makes the socket pair and installs the handlers. Call once, before the application object
    // exists, so that a signal arriving during start-up is kept until the event loop reads it.
    // Returns false when the pair or a handler could not be set up.
    static bool install();

    // Watches the socket pair; install() must have succeeded.
    explicit SystemSignals(QObject* parent = nullptr);

signals:
    // One of the signals arrived: the system asks the program to end.
    void closeRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace mayorin::ui
