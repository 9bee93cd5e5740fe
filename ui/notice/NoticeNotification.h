#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mayorin::ui {

// The key of a click on the notification's body.
inline constexpr const char* kDefaultAction = "default";

// A desktop notification beside the notification window: the window shows it for its newest
// notice, updates it as notices come and withdraws it as it closes; the user's answers to it come
// back to the window.
class NoticeNotification {
public:
    // An answer: the key of the action chosen.
    using Answer = std::function<void(const std::string& key)>;
    struct Action {
        std::string key;
        std::string label;
    };

    virtual ~NoticeNotification() = default;

    // Shows the notification, or replaces the texts and actions of the one shown. Nothing happens
    // where the desktop has no notification service, or one that shows no actions. An answer goes
    // to the answer given with the texts the desktop showed when it was chosen, until the
    // notification is withdrawn.
    virtual void show(const std::string& summary, const std::string& body, const std::vector<Action>& actions,
                      Answer answer) = 0;
    // Withdraws the notification shown, if any; no answer comes from it any more.
    virtual void withdraw() = 0;
    // The program ends: withdraws what is shown, waiting a few seconds at most for the desktop to
    // have the withdrawal. Nothing is shown from then on.
    virtual void end() = 0;
};

} // namespace mayorin::ui
