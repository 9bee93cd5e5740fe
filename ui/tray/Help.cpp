#include "ui/tray/Help.h"

#include <string>

#include <QFileInfo>
#include <QString>

#include "persist/Folders.h"
#include "platform/MessagePresenter.h"

namespace mayorin::ui {

namespace {
constexpr const char* kHelpFileName = "Mayorin。ヘルプ.chm";
} // namespace

void openHelp(UiContext& ctx) {
    const std::string path = persist::programFile(ctx.env.st.ProgramDir, kHelpFileName);
    // The viewer is looked for without waiting: the answer may come after this returns.
    ctx.help.open(path, [&ctx, path](bool opened) {
        if (opened) {
            return;
        }
        std::string text = "ヘルプを開けませんでした。\n\n";
        if (!QFileInfo(QString::fromStdString(path)).isFile()) {
            text += "ヘルプファイルが見つかりません。\n" + path;
        } else {
            text += "「" + std::string(kHelpFileName) +
                    "」を開くアプリケーションがありません。\nCHM ビューア（xchm など）をインストールしてください。";
        }
        ctx.env.messages.show(text, core::kTitle, platform::Buttons::Ok, platform::Icon::Exclamation);
    });
}

} // namespace mayorin::ui
