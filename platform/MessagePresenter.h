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

// Shows a modal message box and waits for the answer. Tests answer from a script.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // title is the box's caption; defaultButton is Answer::Yes or Answer::No for a Yes/No box.
    virtual Answer show(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                        Answer defaultButton = Answer::Ok) = 0;
};

} // namespace mayorin::platform
