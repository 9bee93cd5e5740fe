#pragma once

#include <new>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/Failure.h"
#include "platform/ErrorSink.h"

namespace mayorin::core {

// Hands the failure being handled to the error sink with the operation's location text.
// Call only from inside a catch block.
inline void reportCurrent(platform::ErrorSink& errors, std::string_view location) {
    try {
        throw;
    } catch (const Failure& f) {
        errors.ReportError(location, f.code(), f.what());
    } catch (const std::bad_alloc&) {
        errors.ReportError(location, kOutOfMemory, "メモリが不足しています。");
    } catch (const std::exception& e) {
        errors.ReportError(location, kInvalidCall, e.what());
    }
}

// Runs an operation's body under its error trap. A failure stops the body, goes to the error
// sink with the operation's location text, and the operation returns fallback. Work done
// before the failure stays done.
template <class Result, class Body>
Result guardedOr(platform::ErrorSink& errors, std::string_view location, Result fallback, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportCurrent(errors, location);
    }
    return fallback;
}

// The same, returning the empty result (void, 0, "") after a failure.
template <class Body>
std::invoke_result_t<Body> guarded(platform::ErrorSink& errors, std::string_view location, Body&& body) {
    using Result = std::invoke_result_t<Body>;
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportCurrent(errors, location);
    }
    if constexpr (!std::is_void_v<Result>) {
        return Result{};
    }
}

} // namespace mayorin::core
