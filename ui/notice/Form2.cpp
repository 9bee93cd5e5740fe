#include "ui/notice/Form2.h"

#include "ui/notice/Form2Window.h"
#include "ui/notice/NoticeNotification.h"

namespace mayorin::ui {

void openNoticeWindow(UiContext& ctx) {
    if (ctx.notice == nullptr) {
        Form2::open(ctx);
    }
}

void closeNoticeWindow(UiContext& ctx) {
    if (ctx.notice != nullptr) {
        ctx.notice->close();
    }
}

void insertNoticeLine(UiContext& ctx, const std::string& line) {
    if (ctx.notice != nullptr) {
        ctx.notice->insertLine(line);
        ctx.notice->comeForward();
    }
}

void appendNoticeLine(UiContext& ctx, const std::string& line) {
    if (ctx.notice != nullptr) {
        ctx.notice->appendLine(line);
    }
}

void selectTopNotice(UiContext& ctx) {
    if (ctx.notice != nullptr) {
        ctx.notice->selectTop();
        ctx.notice->announceOnDesktop();
    }
}

void switchDesktopNotification(UiContext& ctx, bool on) {
    // Switched on, the next notice shows it: the window reads the option at each notice.
    if (!on && ctx.desktop != nullptr) {
        ctx.desktop->withdraw();
    }
}

} // namespace mayorin::ui
