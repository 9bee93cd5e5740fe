#include "platform/qt/QtHelpOpener.h"

#include <memory>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace mayorin::platform {
namespace {

// Any compiled-help viewer that is installed.
bool openWithViewer(const QString& file) {
    for (const char* viewer : {"xchm", "kchmviewer"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(viewer));
        if (!program.isEmpty() && QProcess::startDetached(program, {file})) {
            return true;
        }
    }
    return false;
}

} // namespace

QtHelpOpener::QtHelpOpener(std::chrono::milliseconds queryLimit) : m_queryLimit(queryLimit) {}

QtHelpOpener::~QtHelpOpener() {
    // Queries still running at the end are ended without telling anyone: their answers are no
    // longer wanted.
    for (QProcess* p : m_queries.findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        p->disconnect();
        p->kill();
        p->waitForFinished(1000);
    }
}

void QtHelpOpener::query(const QString& program, const QStringList& arguments,
                         std::function<void(const QString&)> then) {
    auto* p = new QProcess(&m_queries);
    // The answer is handed on once, whichever of the process's ends comes first.
    auto answered = std::make_shared<bool>(false);
    const auto answer = [p, answered, then = std::move(then)](const QString& line) {
        if (*answered) {
            return;
        }
        *answered = true;
        p->deleteLater();
        then(line);
    };
    QObject::connect(p, &QProcess::finished, p, [p, answer](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) {
            answer(QString());
            return;
        }
        answer(QString::fromLocal8Bit(p->readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed());
    });
    QObject::connect(p, &QProcess::errorOccurred, p, [answer](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            answer(QString());
        }
    });
    auto* limit = new QTimer(p);
    limit->setSingleShot(true);
    // Killed, the process still ends through finished, which answers for it.
    QObject::connect(limit, &QTimer::timeout, p, [p] { p->kill(); });
    limit->start(m_queryLimit);
    p->start(program, arguments, QIODevice::ReadOnly);
}

void QtHelpOpener::open(const std::string& path, std::function<void(bool opened)> done) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        done(false);
        return;
    }
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgOpen.isEmpty() || xdgMime.isEmpty()) {
        done(openWithViewer(file));
        return;
    }
    // The desktop's own choice first, so the user's preferred viewer opens the file; xdg-open is
    // used only when the desktop has an application registered for the file's type, since without
    // one it may hand the file to a web browser or to nothing at all.
    query(xdgMime, {QStringLiteral("query"), QStringLiteral("filetype"), file},
          [this, file, xdgMime, xdgOpen, done](const QString& type) {
              if (type.isEmpty()) {
                  done(openWithViewer(file));
                  return;
              }
              query(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type},
                    [file, xdgOpen, done](const QString& application) {
                        if (!application.isEmpty() && QProcess::startDetached(xdgOpen, {file})) {
                            done(true);
                            return;
                        }
                        done(openWithViewer(file));
                    });
          });
}

} // namespace mayorin::platform
