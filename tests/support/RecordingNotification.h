#pragma once

#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "ui/notice/NoticeNotification.h"

namespace mayorin::test {

// The desktop notification, recorded: what it showed, how often it was withdrawn, and the answer
// a user would give through it.
class RecordingNotification final : public ui::NoticeNotification {
public:
    void show(const std::string& summary, const std::string& body, const std::vector<Action>& actions,
              Answer answer) override {
        QStringList keys;
        for (const auto& a : actions) {
            keys << QString::fromStdString(a.key + "=" + a.label);
        }
        shown << QString::fromStdString(summary + "|" + body + "|") + keys.join(';');
        m_answer = std::move(answer);
    }
    void withdraw() override {
        ++withdrawn;
        m_answer = nullptr;
    }
    void end() override { withdraw(); }
    // Chooses an action of the notification shown; false when none is shown.
    bool answer(const std::string& key) {
        if (!m_answer) {
            return false;
        }
        const Answer a = m_answer;
        a(key);
        return true;
    }
    QStringList shown;
    int withdrawn = 0;

private:
    Answer m_answer;
};

} // namespace mayorin::test
