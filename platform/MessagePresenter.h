#pragma once

#include <string_view>

namespace mayorin::platform {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Answer {
    Ok,
    Yes,
    No,
    // The box was closed by the program (for example at a log-off) and nobody answered;
    // this is never to be read as the user's "No".
    Dismissed,
};

// Whether a message box waits for the user.
enum class Waiting {
    ForAnswer, // the box is modal and show() returns the user's answer (from the start on)
    No,        // the system is ending the session and nobody may be there to answer: the box is
               // shown and show() returns at once, Ok for a box with only OK, Dismissed for a question
    NoDisplay, // the display has gone: nothing is shown; show() returns as for No
};

// Shows a modal message box and waits for the answer. Tests answer from a script.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // title is the box's caption; defaultButton is Answer::Yes or Answer::No for a Yes/No box.
    virtual Answer show(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                        Answer defaultButton = Answer::Ok) = 0;
    // How every box from now on behaves. Boxes already waiting are not touched.
    virtual void setWaiting(Waiting waiting) = 0;
};

} // namespace mayorin::platform
