#pragma once

#include <memory>
#include <vector>

#include "platform/MessagePresenter.h"

class QMessageBox;

namespace mayorin::platform {

// Message boxes shown with QMessageBox, always on top of the other windows. A box closed by
// the program (reject() at a log-off) answers Answer::Dismissed, never a button.
class QtMessagePresenter final : public MessagePresenter {
public:
    QtMessagePresenter();
    ~QtMessagePresenter() override;

    Answer show(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                Answer defaultButton = Answer::Ok) override;
    void setWaiting(Waiting waiting) override { m_waiting = waiting; }

private:
    Waiting m_waiting = Waiting::ForAnswer;
    // Boxes shown without waiting stay on screen until the program ends; only a few are ever shown.
    std::vector<std::unique_ptr<QMessageBox>> m_unanswered;
};

} // namespace mayorin::platform
