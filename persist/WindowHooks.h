#pragma once

namespace mayorin::persist {

// The message dialog, as the persistence side needs it.
class MessageDialogHost {
public:
    virtual ~MessageDialogHost() = default;
    // Shows the message dialog modally with the content chosen by State::MessageMode
    // (and State::MessageText) and waits until it is closed.
    virtual void showMessageDialog() = 0;
};

// The hidden resident window, as the error reporter needs it.
class ResidentHost {
public:
    virtual ~ResidentHost() = default;
    // Asks for the resident window to be closed: its exit confirmation and shut-down follow
    // once the current event has been handled.
    virtual void requestClose() = 0;
};

} // namespace mayorin::persist
