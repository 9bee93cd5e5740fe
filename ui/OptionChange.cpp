#include "ui/OptionChange.h"

#include "ui/notice/Form2.h"

namespace mayorin::ui {

void optionChanged(UiContext& ctx, persist::Option option, bool on) {
    switch (option) {
    case persist::Option::Sound:
    case persist::Option::Log:
    case persist::Option::NamePick:
    case persist::Option::ReservationPick:
        break; // read where they are used
    case persist::Option::DesktopNotification:
        switchDesktopNotification(ctx, on);
        break;
    }
}

} // namespace mayorin::ui
