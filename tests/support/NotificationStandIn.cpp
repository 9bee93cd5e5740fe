// A stand-in for the desktop's notification service on the session bus the tests run on. It
// records every Notify and CloseNotification it receives, one line each, in the file given first,
// and answers as a real service does. Options:
//   --no-actions  a service that shows no actions (its capabilities lack "actions")
//   --refuse      a service that turns every notification down
//   --answer KEY  chooses the action KEY of the first notification, as a user would (after
//                 choosing 消して閉じる on another program's)
// "ready" is the file's first line once the service's name is held.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

namespace {

class StandIn final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    StandIn(const QString& record, QStringList options) : m_record(record), m_options(std::move(options)) {}

    void write(const QString& line) {
        QFile f(m_record);
        if (f.open(QIODevice::Append)) {
            f.write((line + '\n').toUtf8());
        }
    }

public Q_SLOTS:
    Q_SCRIPTABLE QStringList GetCapabilities() {
        return m_options.contains("--no-actions") ? QStringList{"body"} : QStringList{"body", "actions"};
    }
    Q_SCRIPTABLE uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int expire) {
        QStringList pairs;
        for (int i = 0; i + 1 < actions.size(); i += 2) {
            pairs << actions[i] + "=" + actions[i + 1];
        }
        write(QString("Notify app=%1 replaces=%2 icon=%3 summary=%4 body=%5 actions=%6 urgency=%7 "
                      "desktop-entry=%8 suppress-sound=%9 expire=%10")
                  .arg(app)
                  .arg(replaces)
                  .arg(icon, summary, QString(body).replace('\n', "\\n"), pairs.join(';'))
                  .arg(hints.value("urgency").metaType() == QMetaType::fromType<uchar>()
                           ? QString::number(hints.value("urgency").toInt())
                           : "not a byte")
                  .arg(hints.value("desktop-entry").toString(), hints.value("suppress-sound").toString())
                  .arg(expire));
        if (m_options.contains("--refuse")) {
            sendErrorReply(QDBusError::Failed, "refused");
            return 0;
        }
        const uint id = replaces != 0 ? replaces : ++m_last;
        const int answer = m_options.indexOf("--answer");
        if (answer >= 0 && !m_answered) {
            m_answered = true;
            const QString key = m_options.value(answer + 1);
            // Another program's notification is answered first: that answer is not this program's.
            QTimer::singleShot(300, this, [this, id, key] {
                emit ActionInvoked(id + 1, "0");
                emit ActionInvoked(id, key);
            });
        }
        return id;
    }
    Q_SCRIPTABLE void CloseNotification(uint id) { write(QString("CloseNotification %1").arg(id)); }

Q_SIGNALS:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& key);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    QString m_record;
    QStringList m_options;
    uint m_last = 0;
    bool m_answered = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        return 2;
    }
    StandIn standIn(args.takeFirst(), args);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &standIn,
                            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        return 1;
    }
    // The name of a stand-in killed just now may take the bus a moment to let go.
    for (int tries = 0; !bus.registerService("org.freedesktop.Notifications"); ++tries) {
        if (tries == 100) {
            return 1;
        }
        QThread::msleep(20);
    }
    standIn.write("ready");
    return app.exec();
}

#include "NotificationStandIn.moc"
