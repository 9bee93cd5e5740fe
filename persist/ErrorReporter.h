#pragma once

#include <string>
#include <string_view>

#include "core/Env.h"
#include "persist/WindowHooks.h"
#include "platform/ErrorSink.h"

namespace mayorin::persist {

// The eleven-slot message of an error report, slots joined with CR LF.
std::string composeErrorMessage(std::string_view location, int code, std::string_view description);

// The one error reporter: counts the error, shows it in the message dialog, logs it and asks
// for the resident window to close.
class ErrorReporter final : public platform::ErrorSink {
public:
    // env may still be under construction; it is used only when an error is reported.
    ErrorReporter(core::Env& env, MessageDialogHost& dialog, ResidentHost& resident)
        : m_env(env), m_dialog(dialog), m_resident(resident) {}

    void ReportError(std::string_view location, int code, std::string_view description) override;

private:
    core::Env& m_env;
    MessageDialogHost& m_dialog;
    ResidentHost& m_resident;
    bool m_reporting = false;
    bool m_extraShown = false; // a report during the report under way was already shown
};

} // namespace mayorin::persist
