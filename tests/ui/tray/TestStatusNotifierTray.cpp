// The tray icon on a status-notifier panel. A stand-in watcher on the private session bus this
// test runs on says a host is registered, so Qt shows the icon as a status-notifier item; the
// watcher then clicks the item over the bus as a panel does.

#include <memory>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QMenu>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "core/Calendar.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/Settings.h"
#include "ui/tray/StatusNotifierItem.h"
#include "tests/support/TestEnv.h"
#include "ui/UiContext.h"
#include "ui/tray/Form4.h"
#include "ui/tray/StatusNotifierItem.h"
#include "tests/ui/tray/TrayRig.h"

using namespace mayorin;

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherConnection = QStringLiteral("stand-in watcher");
const QString kMenuPath = QStringLiteral("/StatusNotifierMenu");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// Answers as a panel's watcher does: a host is registered, and items register with it. It lives
// in a thread of its own on a connection of its own, so it answers while the test's thread waits
// for an answer from it, and its calls to the item really travel over the bus.
class StandInWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit StandInWatcher(const QString& connection = kWatcherConnection) : m_connection(connection) {}

    bool isStatusNotifierHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList registeredItems() const {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }

    // In the watcher's thread: owns the watcher's name on its own connection, or, queued, takes
    // it when its owner lets it go.
    bool listen(bool queued = false) {
        m_bus =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connection));
        if (!m_bus->isConnected() ||
            !m_bus->registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                   QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties |
                                       QDBusConnection::ExportScriptableSignals)) {
            return false;
        }
        using Bus = QDBusConnectionInterface;
        const QDBusReply<Bus::RegisterServiceReply> reply =
            m_bus->interface()->registerService(kWatcherService, queued ? Bus::QueueService : Bus::DontQueueService);
        return reply.isValid() && reply.value() == (queued ? Bus::ServiceQueued : Bus::ServiceRegistered);
    }

    // Ends this watcher: the items registered with it are forgotten.
    void close() {
        {
            QMutexLocker lock(&m_mutex);
            m_items.clear();
        }
        m_bus->unregisterService(kWatcherService);
        m_bus->unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(m_bus->name());
        m_bus.reset();
    }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) {
        {
            QMutexLocker lock(&m_mutex);
            m_items.append(service);
        }
        emit StatusNotifierItemRegistered(service);
    }
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString&) {}

signals:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& service);

private:
    const QString m_connection;
    mutable QMutex m_mutex;
    QStringList m_items;
    std::unique_ptr<QDBusConnection> m_bus;
};

} // namespace

class TestStatusNotifierTray : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void leftClickOpensEntryWindow();
    void iconFollowsAWatcherThatComesAndGoes();
    void itemRegistersWithAWatcherThatTookOverTheName();
    void toolTipNamesTheNextNoticeAndChangesWithIt();

public slots:
    void layoutUpdated(uint revision) { m_layoutRevisions << revision; }

private:
    bool listen() {
        bool listening = false;
        QMetaObject::invokeMethod(
            m_watcher, [&] { listening = m_watcher->listen(); }, Qt::BlockingQueuedConnection);
        return listening;
    }
    void close() {
        QMetaObject::invokeMethod(
            m_watcher, [this] { m_watcher->close(); }, Qt::BlockingQueuedConnection);
    }

    // A click on the item as the panel sends it, over the watcher's connection; "" or the error.
    // The reply is waited for here, where the item answers.
    static QString click(const QString& item, const char* method) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                           QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(method));
        call << 10 << 10;
        QDBusPendingCall pending = QDBusConnection(kWatcherConnection).asyncCall(call);
        if (waitFor(pending)) {
            return QString();
        }
        return pending.isFinished() ? pending.error().message() : QStringLiteral("no reply");
    }

    // The visible items of the menu the item exports, as a panel reads them: their labels, "-"
    // for a separator.
    static QStringList menuLabels(const QString& item) {
        QDBusConnection bus(kWatcherConnection);
        QDBusMessage get =
            QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
        QDBusPendingCall pendingPath = bus.asyncCall(get);
        if (!waitFor(pendingPath)) {
            return {QStringLiteral("no menu path")};
        }
        const QDBusObjectPath path = qvariant_cast<QDBusObjectPath>(
            qvariant_cast<QDBusVariant>(pendingPath.reply().arguments().value(0)).variant());
        QDBusMessage layout = QDBusMessage::createMethodCall(
            item, path.path(), QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"));
        layout << 0 << -1 << QStringList();
        QDBusPendingCall pendingLayout = bus.asyncCall(layout);
        if (!waitFor(pendingLayout)) {
            return {QStringLiteral("no menu layout")};
        }
        QStringList labels;
        const QDBusArgument root = qvariant_cast<QDBusArgument>(pendingLayout.reply().arguments().value(1));
        root.beginStructure();
        int id = 0;
        QVariantMap props;
        root >> id >> props;
        root.beginArray();
        while (!root.atEnd()) {
            QDBusVariant child;
            root >> child;
            const QDBusArgument entry = qvariant_cast<QDBusArgument>(child.variant());
            entry.beginStructure();
            entry >> id >> props;
            entry.endStructure();
            if (props.value(QStringLiteral("visible"), true).toBool()) {
                labels << (props.value(QStringLiteral("type")).toString() == QStringLiteral("separator")
                               ? QStringLiteral("-")
                               : props.value(QStringLiteral("label")).toString());
            }
        }
        root.endArray();
        root.endStructure();
        return labels;
    }

    // The item's tip as a panel reads it: its title and its text.
    static QStringList toolTip(const QString& item) {
        QDBusMessage get =
            QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("ToolTip");
        QDBusPendingCall pending = QDBusConnection(kWatcherConnection).asyncCall(get);
        if (!waitFor(pending)) {
            return {QStringLiteral("no tip")};
        }
        const auto tip = qdbus_cast<ui::StatusNotifierToolTip>(
            qvariant_cast<QDBusVariant>(pending.reply().arguments().value(0)).variant());
        return {tip.title, tip.text};
    }

    static bool waitFor(QDBusPendingCall& pending) {
        QElapsedTimer waited;
        waited.start();
        while (!pending.isFinished() && waited.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return pending.isFinished() && !pending.isError();
    }

    // An event of the panel on the item's menu entry id, as the panel sends it.
    static QString menuEvent(const QString& item, int id, const char* eventId) {
        QDBusMessage call = QDBusMessage::createMethodCall(item, kMenuPath, kMenuInterface, QStringLiteral("Event"));
        call << id << QString::fromLatin1(eventId) << QVariant::fromValue(QDBusVariant(0)) << uint(0);
        QDBusPendingCall pending = QDBusConnection(kWatcherConnection).asyncCall(call);
        return waitFor(pending) ? QString() : pending.error().message();
    }

    QThread m_thread;
    StandInWatcher* m_watcher = nullptr;
    QList<uint> m_layoutRevisions;
};

void TestStatusNotifierTray::initTestCase() {
    if (!QDBusConnection::sessionBus().isConnected()) {
        QSKIP("no session bus: run this test under dbus-run-session");
    }
    if (QDBusConnection::sessionBus().interface()->isServiceRegistered(kWatcherService)) {
        QSKIP("this session bus already has a status-notifier watcher: run this test on a private one");
    }
    m_watcher = new StandInWatcher;
    m_watcher->moveToThread(&m_thread);
    m_thread.start();
    QVERIFY(listen());
}

void TestStatusNotifierTray::cleanupTestCase() {
    if (m_watcher != nullptr) {
        QMetaObject::invokeMethod(
            m_watcher, [this] { delete m_watcher; }, Qt::BlockingQueuedConnection);
        m_watcher = nullptr;
    }
    m_thread.quit();
    m_thread.wait();
}

// The icon registers with the watcher; a left click (the item's Activate) opens the entry window
// without the menu, a second one (what a double click sends) keeps that one window, and the right
// click (ContextMenu) is left to the panel, which draws the menu itself.
void TestStatusNotifierTray::leftClickOpensEntryWindow() {
    test::Rig rig;
    rig.te.st.ProgramDir = rig.appDir(); // where the help is looked for
    ui::Form4& form = *rig.form;
    ui::UiContext& ctx = rig.ctx;
    test::TestEnv& te = rig.te;
    QVERIFY(form.trayIcon()->onStatusNotifierTray());
    form.start(rig.appDir());
    QVERIFY(form.trayIcon()->isVisible());

    QTRY_COMPARE(m_watcher->registeredItems().size(), qsizetype(1));
    const QString item = m_watcher->registeredItems().at(0);
    QVERIFY2(QDBusConnection::sessionBus().interface()->isServiceRegistered(item), qPrintable(item));

    // The right click is the panel's: it shows the menu the item exports.
    QCOMPARE(menuLabels(item), QStringList() << "予約する。"
                                             << "ヘルプ"
                                             << "バージョン情報"
                                             << "-"
                                             << "終了"
                                             << "レジストリを削除して終了。");
    // A click on an entry runs it ("ヘルプ", the second); a mere hover does not.
    QCOMPARE(menuEvent(item, 2, "hovered"), QString());
    QCOMPARE(menuEvent(item, 2, "clicked"), QString());
    QTRY_COMPARE(rig.help.opened.size(), size_t(1));
    QCOMPARE(rig.help.opened.at(0), rig.appDir() + "/Mayorin。ヘルプ.chm");
    // A change of the menu tells the panel to read it again; a click on an entry hidden since does
    // nothing.
    QVERIFY(
        QDBusConnection(kWatcherConnection)
            .connect(item, kMenuPath, kMenuInterface, QStringLiteral("LayoutUpdated"), this, SLOT(layoutUpdated(uint))));
    rig.item("help1")->setVisible(false);
    QTRY_COMPARE(m_layoutRevisions.size(), qsizetype(1));
    QVERIFY(!menuLabels(item).contains(QStringLiteral("ヘルプ")));
    QCOMPARE(menuEvent(item, 2, "clicked"), QString());
    QCOMPARE(rig.help.opened.size(), size_t(1));
    // Each change has a revision of its own: a panel reads the menu again only for a newer one.
    rig.item("help1")->setVisible(true);
    QTRY_COMPARE(m_layoutRevisions.size(), qsizetype(2));
    QVERIFY(m_layoutRevisions[1] > m_layoutRevisions[0]);
    // The icon goes to the panel as the bytes alpha, red, green, blue of each pixel.
    const ui::StatusNotifierPixmap sent = form.trayIcon()->item()->iconPixmap().at(0);
    const QIcon icon = form.trayIcon()->embeddedIcon()->icon();
    const QImage drawn = icon.pixmap(QSize(sent.width, sent.height)).toImage().convertToFormat(QImage::Format_ARGB32);
    QByteArray argb;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb c = drawn.pixel(x, y);
            for (const int channel : {qAlpha(c), qRed(c), qGreen(c), qBlue(c)}) {
                argb += char(channel);
            }
        }
    }
    QCOMPARE(sent.pixels, argb);

    QCOMPARE(click(item, "ContextMenu"), QString());
    QTest::qWait(50);
    QVERIFY(ctx.entry == nullptr);

    QCOMPARE(click(item, "Activate"), QString());
    QTRY_VERIFY(ctx.entry != nullptr);
    QVERIFY(te.st.EntryWindowOpen);
    QVERIFY(!form.trayMenu()->isVisible());
    const auto* first = ctx.entry;
    QCOMPARE(click(item, "Activate"), QString());
    QTest::qWait(50);
    QCOMPARE(ctx.entry, first);
    QVERIFY(!form.trayMenu()->isVisible());
    QVERIFY(te.errors.reports.empty());

    form.closeFromSystem();
    QTRY_VERIFY(form.hasEnded());
    QVERIFY(ctx.entry == nullptr);
}

// A panel that comes after the program gets the icon within seconds, as a registered item whose
// left click opens the entry window; when the panel goes, the icon goes back to the old-style tray.
void TestStatusNotifierTray::iconFollowsAWatcherThatComesAndGoes() {
    close();
    test::Rig rig;
    ui::TrayIcon& tray = *rig.form->trayIcon();
    rig.form->start(rig.appDir());
    QVERIFY(!tray.onStatusNotifierTray());
    QVERIFY(tray.embeddedIcon()->isVisible());

    QVERIFY(listen());
    QTRY_COMPARE_WITH_TIMEOUT(m_watcher->registeredItems().size(), qsizetype(1), 3000);
    const QString item = m_watcher->registeredItems().at(0);
    QVERIFY(tray.onStatusNotifierTray());
    QVERIFY(!tray.embeddedIcon()->isVisible());
    QCOMPARE(click(item, "Activate"), QString());
    QTRY_VERIFY(rig.ctx.entry != nullptr);

    close();
    QTRY_VERIFY_WITH_TIMEOUT(!tray.onStatusNotifierTray(), 3000);
    QVERIFY(tray.embeddedIcon()->isVisible());
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(item));
    QVERIFY(rig.te.errors.reports.empty());
    rig.form->closeFromSystem();
    QTRY_VERIFY(rig.form->hasEnded());
}

// A panel's new watcher that takes the name from the old one in one change of owner (it waited in
// the bus's queue) knows nothing of the items registered with the old one: the item registers
// with it again.
void TestStatusNotifierTray::itemRegistersWithAWatcherThatTookOverTheName() {
    QVERIFY(listen());
    test::Rig rig;
    rig.form->start(rig.appDir());
    QTRY_COMPARE(m_watcher->registeredItems().size(), qsizetype(1));
    const QStringList items = m_watcher->registeredItems();
    auto* next = new StandInWatcher(QStringLiteral("next stand-in watcher"));
    next->moveToThread(&m_thread);
    bool queued = false;
    QMetaObject::invokeMethod(
        next, [&] { queued = next->listen(true); }, Qt::BlockingQueuedConnection);
    QVERIFY(queued);
    close();
    QTRY_COMPARE_WITH_TIMEOUT(next->registeredItems(), items, 3000);
    QVERIFY(rig.form->trayIcon()->onStatusNotifierTray());
    QMetaObject::invokeMethod(
        next,
        [next] {
            next->close();
            delete next;
        },
        Qt::BlockingQueuedConnection);
    rig.form->closeFromSystem();
    QTRY_VERIFY(rig.form->hasEnded());
}

// The tip's title is the program's, its text the next notice, escaped as the panel reads markup.
// The panel hears of a new tip (NewToolTip) when the soonest reservation changes, never else; a
// panel that comes later reads the tip as it is.
void TestStatusNotifierTray::toolTipNamesTheNextNoticeAndChangesWithIt() {
    if (!QDBusConnection::sessionBus().interface()->isServiceRegistered(kWatcherService)) {
        QVERIFY(listen());
    }
    test::Rig rig;
    core::Env& env = rig.te.env;
    rig.form->start(rig.appDir());
    QTRY_COMPARE(m_watcher->registeredItems().size(), qsizetype(1));
    QString item = m_watcher->registeredItems().at(0);
    QSignalSpy announced(rig.form->trayIcon()->item(), &ui::StatusNotifierItem::NewToolTip);
    QCOMPARE(toolTip(item), (QStringList{"Mayorin。", ""}));

    core::hensu_kensuu(env);
    const std::string at = core::spacedDecimalText(core::byouni(env, 2026, 12, 8, 7, 30, 0));
    rig.te.st.ReservationTable[0] = {"", "2", "1", "<b>朝&会</b>", "07", "30", "", "", "", at};
    core::tuika_mein(env);
    const QString text = QStringLiteral("次のお知らせ 2026/12/08(火) 07:30:00　&lt;b&gt;朝&amp;会&lt;/b&gt;");
    QTRY_COMPARE(announced.count(), 1);
    QCOMPARE(toolTip(item), (QStringList{"Mayorin。", text}));
    QTest::qWait(1000); // five ticks that change nothing
    QCOMPARE(announced.count(), 1);

    close();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.form->trayIcon()->onStatusNotifierTray(), 3000);
    QVERIFY(listen());
    QTRY_COMPARE_WITH_TIMEOUT(m_watcher->registeredItems().size(), qsizetype(1), 3000);
    item = m_watcher->registeredItems().at(0);
    QCOMPARE(toolTip(item), (QStringList{"Mayorin。", text}));
    QVERIFY(rig.te.errors.reports.empty());
    rig.form->closeFromSystem();
    QTRY_VERIFY(rig.form->hasEnded());
}

QTEST_MAIN(TestStatusNotifierTray)
#include "TestStatusNotifierTray.moc"
