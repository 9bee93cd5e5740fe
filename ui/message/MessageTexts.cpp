#include "ui/message/MessageTexts.h"

#include "core/Env.h"

namespace mayorin::ui {

std::string versionText(std::string_view appDir) {
    const std::string caption = core::kTitle;
    const std::string lines[] = {
        "　【　バージョン情報　】",
        "",
        caption,
        "バージョン　" + std::to_string(core::kMajor) + "." + std::to_string(core::kMinor) + "." +
            std::to_string(core::kRevision),
        "",
        core::kAuthorName,
        core::kAuthorAddress,
        "",
        "",
        "場所　" + std::string(appDir),
        "",
    };
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string duplicateStartText() {
    const std::string caption = core::kTitle;
    const std::string lines[] = {
        "　【　既に「" + caption + "」は起動しています。】",
        "",
        "　タスクバーのシステムトレイの中に小さいアイコンがありませんか？。",
        "",
        "　「" + caption + "」の重複起動は出来ません。",
        "",
        "",
        "",
        "　システムトレイに小さいアイコンが無いか、あっても予約画面が表示できない場合は、前回異常終了したことが考え"
        "られます。",
        "",
        "　この場合は[無視]をクリックするとソフトが起動します。",
        "",
        "※　詳しくはヘルプをご覧下さい。",
    };
    std::string text;
    bool first = true;
    for (const auto& line : lines) {
        if (!first) {
            text += "\r\n";
        }
        first = false;
        text += line;
    }
    return text;
}

} // namespace mayorin::ui
