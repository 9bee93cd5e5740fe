#include "platform/qt/QtHelpOpener.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace mayorin::platform {
namespace {

// Runs a short query tool and returns its first output line; empty when it fails.
QString queryLine(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments, QIODevice::ReadOnly);
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// True when the desktop has an application registered for the file's type.
bool desktopHasOpener(const QString& file) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) {
        return false;
    }
    const QString type = queryLine(xdgMime, {QStringLiteral("query"), QStringLiteral("filetype"), file});
    if (type.isEmpty()) {
        return false;
    }
    return !queryLine(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type}).isEmpty();
}

} // namespace

bool QtHelpOpener::open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    if (!info.isFile()) {
        return false;
    }
    // The desktop's own choice first, so the user's preferred viewer opens the file.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && desktopHasOpener(file) && QProcess::startDetached(xdgOpen, {file})) {
        return true;
    }
    // No registered opener: any compiled-help viewer that is installed.
    for (const char* viewer : {"xchm", "kchmviewer"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(viewer));
        if (!program.isEmpty() && QProcess::startDetached(program, {file})) {
            return true;
        }
    }
    return false;
}

} // namespace mayorin::platform
