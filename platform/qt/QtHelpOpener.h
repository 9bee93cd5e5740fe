#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/HelpOpener.h"

namespace mayorin::platform {

// Opens the compiled help file with the desktop's viewer: the opener the desktop registered for
// the file's type (xdg-open), or else a compiled-help viewer found on the search path. The desktop
// is asked for its registered opener by running xdg-mime, which can take seconds on a busy or
// freshly started desktop: the answers are awaited on the event loop, never by blocking it.
class QtHelpOpener final : public HelpOpener {
public:
    // `queryLimit`: how long an xdg-mime query may take before it is ended and counted as no answer.
    explicit QtHelpOpener(std::chrono::milliseconds queryLimit = std::chrono::milliseconds(3000));
    ~QtHelpOpener() override;

    void open(const std::string& path, std::function<void(bool opened)> done) override;

private:
    // Runs a short query tool; `then` gets its first output line, or an empty text when it fails,
    // ends with an error or takes longer than the limit.
    void query(const QString& program, const QStringList& arguments, std::function<void(const QString&)> then);

    std::chrono::milliseconds m_queryLimit;
    QObject m_queries; // parent of the queries still running
};

} // namespace mayorin::platform
