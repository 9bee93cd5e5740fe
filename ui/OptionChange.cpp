#include "ui/OptionChange.h"

#include "notify/Recalc.h"
#include "persist/DataFile.h"
#include "ui/notice/Form2.h"

namespace mayorin::ui {

void optionChanged(UiContext& ctx, persist::Option option, bool on) {
    switch (option) {
    case persist::Option::Sound:
    case persist::Option::Log:
    case persist::Option::NamePick:
    case persist::Option::ReservationPick:
    case persist::Option::RepeatSound: // the resident tick reads it, with the sound's, at each repeat
        break; // read where they are used
    case persist::Option::DesktopNotification:
        switchDesktopNotification(ctx, on);
        break;
    case persist::Option::WeekdaysSkipHolidays:
        // Every weekday alarm moves at once, and is kept so; the change itself is logged already.
        if (notify::syukujituHosei(ctx.env, on) > 0) {
            persist::kakikomiAfterNotice(ctx.env);
        }
        break;
    }
}

} // namespace mayorin::ui
