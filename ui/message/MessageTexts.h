#pragma once

#include <string>
#include <string_view>

// The fixed texts of the message dialog's contents.
namespace mayorin::ui {

// The version information: eleven lines, each ending in CR LF.
std::string versionText(std::string_view appDir);
// The warning of a second start from the same directory: thirteen lines joined by CR LF.
std::string duplicateStartText();

inline constexpr const char* kNoMessageText = "　メッセージはありません。";
inline constexpr const char* kDuplicateQuestion = "　重複起動を、終了しますか？";
inline constexpr const char* kHideAtStartCaption = "起動時に表示しない。";
inline constexpr const char* kForcedEndText = "強制終了します。";
inline constexpr const char* kEndText = "終了します。";

} // namespace mayorin::ui
