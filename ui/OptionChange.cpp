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
    case persist::Option::RepeatSound: // the resident tick reads it, with the sound's, at each repeat
        break; // read where they are used
    }
}

} // namespace mayorin::ui
