// A stand-in for the desktop's notification service on the session bus the tests run on. It
// records every Notify and CloseNotification it receives and every signal it sends, one line each,
// in the file given first, and answers as a real service does. Options:
//   --no-actions    a service that shows no actions (its capabilities lack "actions")
//   --markup        a service that reads the body as markup ("body-markup")
//   --refuse        a service that turns every notification down
//   --answer KEYS   chooses the actions KEYS (comma-separated) of the first notification one after
//                   another once its number is sent, as a user would (after choosing 消して閉じる
//                   on another program's)
//   --dismiss       the user closes the first notification on the desktop
//   --delay MS      every reply comes MS milliseconds after its call, as from a busy desktop
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
        QStringList capabilities{"body"};
        if (!m_options.contains("--no-actions")) {
            capabilities << "actions";
        }
        if (m_options.contains("--markup")) {
            capabilities << "body-markup";
        }
        replyLater({capabilities});
        return capabilities;
    }
    Q_SCRIPTABLE uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int expire) {
        QStringList pairs;
        for (int i = 0; i + 1 < actions.size(); i += 2) {
            pairs << actions[i] + "=" + actions[i + 1];
        }
        write(QString("Notify app=%1 replaces=%2 icon=%3 summary=%4 body=%5 actions=%6 urgency=%7 "
                      "desktop-entry=%8 suppress-sound=%9 resident=%10 expire=%11")
                  .arg(app)
                  .arg(replaces)
                  .arg(icon, summary, QString(body).replace('\n', "\\n"), pairs.join(';'))
                  .arg(hints.value("urgency").metaType() == QMetaType::fromType<uchar>()
                           ? QString::number(hints.value("urgency").toInt())
                           : "not a byte")
                  .arg(hints.value("desktop-entry").toString(), hints.value("suppress-sound").toString(),
                       hints.value("resident").toString())
                  .arg(expire));
        if (m_options.contains("--refuse")) {
            sendErrorReply(QDBusError::Failed, "refused");
            return 0;
        }
        const uint id = replaces != 0 ? replaces : ++m_last;
        if (!m_first) {
            m_first = true;
            const int answer = m_options.indexOf("--answer");
            int after = delay() + 300; // once the number is known
            if (answer >= 0) {
                bool other = true; // another program's notification is answered first: not this program's
                for (const QString& key : m_options.value(answer + 1).split(',')) {
                    QTimer::singleShot(after, this, [this, id, key, other] {
                        if (other) {
                            actionInvoked(id + 1, "0");
                        }
                        actionInvoked(id, key);
                    });
                    other = false;
                    after += 500;
                }
            }
            if (m_options.contains("--dismiss")) {
                QTimer::singleShot(after, this, [this, id] {
                    write(QString("NotificationClosed %1 2").arg(id));
                    emit NotificationClosed(id, 2); // dismissed by the user
                });
            }
        }
        replyLater({id});
        return id;
    }
    Q_SCRIPTABLE void CloseNotification(uint id) {
        write(QString("CloseNotification %1").arg(id));
        replyLater({});
    }

Q_SIGNALS:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& key);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    // With --delay, the reply (of these arguments) goes out that much later instead of now.
    void replyLater(const QList<QVariant>& arguments) {
        if (delay() == 0) {
            return;
        }
        setDelayedReply(true);
        QTimer::singleShot(delay(), this,
                           [reply = message().createReply(arguments)] { QDBusConnection::sessionBus().send(reply); });
    }
    int delay() const {
        const int option = m_options.indexOf("--delay");
        return option < 0 ? 0 : m_options.value(option + 1).toInt();
    }
    void actionInvoked(uint id, const QString& key) {
        write(QString("ActionInvoked %1 %2").arg(id).arg(key));
        emit ActionInvoked(id, key);
    }

    QString m_record;
    QStringList m_options;
    uint m_last = 0;
    bool m_first = false; // the first notification has been shown
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
