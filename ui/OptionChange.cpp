#include "ui/OptionChange.h"

namespace mayorin::ui {

void optionChanged(UiContext& ctx, persist::Option option, bool on) {
    (void)ctx;
    (void)on;
    switch (option) {
    case persist::Option::Sound:
    case persist::Option::Log:
    case persist::Option::NamePick:
    case persist::Option::ReservationPick:
    case persist::Option::DesktopNotification:
        break; // read where they are used
    }
}

} // namespace mayorin::ui
