#pragma once

#include "platform/MessagePresenter.h"

namespace mayorin::platform {

// Message boxes shown with QMessageBox, always on top of the other windows. A box closed by
// the program (reject() at a log-off) answers Answer::Dismissed, never a button.
class QtMessagePresenter final : public MessagePresenter {
public:
    Answer show(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                Answer defaultButton = Answer::Ok) override;
};

} // namespace mayorin::platform
