#include "ui/entry/PauseReservation.h"

#include "core/Calendar.h"
#include "core/ListLine.h"
#include "core/Pause.h"
#include "persist/DataFile.h"
#include "ui/entry/Form1Window.h"

namespace mayorin::ui {

std::vector<std::string> pauseReservations(UiContext& ctx, core::Env& env, bool pause,
                                           const std::function<bool(const core::Fields&)>& pick) {
    const std::vector<core::PausedRow> rows = pause ? core::itijiteisi(env, pick) : core::saikai(env, pick);
    if (rows.empty()) {
        return {};
    }
    if (ctx.entry != nullptr) {
        ctx.entry->hyouji02();
    }
    // Saved at once, as an add is: a crash right after loses neither the pause nor what is left.
    persist::kakikomi01(env);
    core::State& st = env.st;
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const core::PausedRow& changed : rows) {
        env.log.kiloku(std::string(pause ? "［停止］," : "［再開］,") + core::dateTimeText(env) + ",," +
                       st.ReservationTable[changed.row][core::kName] + (pause ? ",予約の一時停止" : ",予約の再開") +
                       ",残り=" + core::remainderText(changed.secondsLeft) +
                       ",予約データ数=" + std::to_string(st.ReservationCount) + ",,,");
        lines.push_back(core::hyouji12(env, changed.row));
    }
    return lines;
}

} // namespace mayorin::ui
