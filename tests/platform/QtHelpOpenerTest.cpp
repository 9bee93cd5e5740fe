#include "platform/qt/QtHelpOpener.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace mayorin::platform {
namespace {

using namespace std::chrono_literals;

// The opener with stand-ins for the desktop's tools on a search path of their own: each records
// what it was asked to open in a log file.
class QtHelpOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", m_dir.filePath("bin").toLocal8Bit());
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath("bin")));
        m_help = m_dir.filePath("Mayorin。ヘルプ.chm");
        write(m_help, "ITSF");
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }

    void write(const QString& path, const QByteArray& content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // A tool on the search path running the given shell lines.
    void tool(const char* name, const QByteArray& lines) {
        write(m_dir.filePath(QStringLiteral("bin/") + QLatin1String(name)), "#!/bin/sh\n" + lines + "\n");
    }
    // A tool that records its argument.
    void recorder(const char* name) {
        tool(name, "echo \"" + QByteArray(name) + " $1\" >> '" + m_dir.filePath("opened").toLocal8Bit() + "'");
    }
    QString opened() {
        QFile f(m_dir.filePath("opened"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }
    // Runs the event loop until `done` has been called, or for five seconds.
    std::optional<bool> openAndWait(QtHelpOpener& opener, const QString& file) {
        std::optional<bool> result;
        opener.open(file.toStdString(), [&](bool ok) { result = ok; });
        QDeadlineTimer deadline(5000);
        while (!result && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return result;
    }
    // The viewers are started detached: wait for the one that ran to write its line.
    QString openedAfterAWhile() {
        QDeadlineTimer deadline(5000);
        while (opened().isEmpty() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return opened();
    }

    int m_argc = 1;
    char m_arg0[8] = "test";
    char* m_argv[1] = {m_arg0};
    QCoreApplication m_app{m_argc, m_argv};
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
    QString m_help;
};

TEST_F(QtHelpOpenerTest, SlowDesktopQueriesDoNotStopTheEventLoop) {
    // The desktop takes a second to name the file's type: the tick keeps going meanwhile.
    tool("xdg-mime", "case \"$2\" in\n"
                     "filetype) /bin/sleep 1; echo application/vnd.ms-htmlhelp ;;\n"
                     "default) echo xchm.desktop ;;\n"
                     "esac");
    recorder("xdg-open");
    QtHelpOpener opener;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QElapsedTimer returned;
    returned.start();
    std::optional<bool> result;
    opener.open(m_help.toStdString(), [&](bool ok) { result = ok; });
    EXPECT_LT(returned.elapsed(), 500);
    EXPECT_FALSE(result.has_value());
    QDeadlineTimer deadline(5000);
    while (!result && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(*result);
    EXPECT_GE(ticks, 20); // about 50 in the second the query took
    EXPECT_EQ(openedAfterAWhile(), "xdg-open " + m_help);
}

TEST_F(QtHelpOpenerTest, DesktopsChoiceFirstThenAnyViewer) {
    struct Case {
        const char* name;
        QByteArray xdgMime; // empty: no xdg-mime
        bool viewer;        // xchm installed
        bool fileThere;
        bool result;
        const char* opener; // the tool that was given the file, empty for none
    };
    const QByteArray noDefault = "case \"$2\" in filetype) echo application/vnd.ms-htmlhelp ;; esac";
    const Case cases[] = {
        {"no opener registered", noDefault, true, true, true, "xchm"},
        {"query fails", "exit 1", true, true, true, "xchm"},
        {"query hangs", "exec /bin/sleep 30", true, true, true, "xchm"},
        {"no xdg tools", "", true, true, true, "xchm"},
        {"nothing to open it", noDefault, false, true, false, ""},
        {"no help file", noDefault, true, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_dir.filePath("bin")).removeRecursively();
        QDir().mkpath(m_dir.filePath("bin"));
        QFile::remove(m_dir.filePath("opened"));
        if (!c.xdgMime.isEmpty()) {
            tool("xdg-mime", c.xdgMime);
            recorder("xdg-open");
        }
        if (c.viewer) {
            recorder("xchm");
        }
        QtHelpOpener opener(300ms);
        const std::optional<bool> result = openAndWait(opener, c.fileThere ? m_help : m_dir.filePath("none.chm"));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, c.result);
        if (*c.opener != '\0') {
            EXPECT_EQ(openedAfterAWhile(), QLatin1String(c.opener) + ' ' + m_help);
        } else {
            EXPECT_EQ(opened(), QString());
        }
    }
}

} // namespace
} // namespace mayorin::platform
