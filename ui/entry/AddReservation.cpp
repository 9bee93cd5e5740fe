#include "ui/entry/AddReservation.h"

#include <cstdint>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "persist/DataFile.h"
#include "ui/entry/Form1Window.h"

namespace mayorin::ui {

namespace {

constexpr const char* kTuikajunbi01 = "tuikajunbi01 F1";
constexpr const char* kRireki02 = "rireki02 F1";

// Counts of the tables are 16-bit: 32767 rows or names at most.
constexpr std::int16_t kMaxCount = 32767;
constexpr const char* kTableFull = "予約の数が上限の32767件に達しているため、追加できません。";
constexpr const char* kHistoryFull = "表示名の履歴が上限の32767件に達しているため、新しい表示名では追加できません。";

// Fills the staging row from a panel's texts.
void tuikajunbi01(core::Env& env, const PanelTexts& panel) {
    core::guarded(env.errors, kTuikajunbi01, [&] {
        auto& e = env.st.EntryRow;
        for (auto& slot : e) {
            slot.clear();
        }
        for (int k = 3; k <= 8; ++k) {
            e[k] = panel.text[k];
        }
        if (panel.side == 1) {
            e[2] = panel.everyTime ? "1" : "0";
            return;
        }
        // A repeating timer starts now: the start notice of its first cycle is due at once.
        if (core::value(core::suu_syusei(env, e[8], 8, 1)) > 0) {
            e[9] = core::spacedDecimalText(core::genByou(env));
        }
    });
}

// Copies fields 0 to 9 of a row back into the staging row.
void rireki02(core::Env& env, std::int16_t row) {
    core::guarded(env.errors, kRireki02, [&] {
        const auto& fields = env.st.ReservationTable[row];
        for (int k = 0; k <= 9; ++k) {
            env.st.EntryRow[k] = fields[k];
        }
    });
}

// Why an add has no room: "" when the table and the side's history can take it.
std::string roomLeft(const core::State& st, int side, const std::string& name) {
    if (st.ReservationCount >= kMaxCount) {
        return kTableFull;
    }
    if (name.empty() || st.NameHistoryCount[side] < kMaxCount) {
        return {};
    }
    for (int i = 0; i < st.NameHistoryCount[side]; ++i) {
        if (st.NameHistory.entry(side, i)[core::kName] == name) {
            return {}; // a known name takes the place of its entry
        }
    }
    return kHistoryFull;
}

} // namespace

AddOutcome addReservation(UiContext& ctx, core::Env& env, const PanelTexts& panel, bool refuseWhenFull) {
    core::State& st = env.st;
    const int side = panel.side == 1 ? 1 : 0;
    AddOutcome outcome;

    // The name check tells its reasons through the caller's presenter.
    struct Collect final : platform::MessagePresenter {
        platform::MessagePresenter& inner;
        std::string texts;
        explicit Collect(platform::MessagePresenter& p) : inner(p) {}
        platform::Answer show(std::string_view text, std::string_view title, platform::Buttons buttons,
                              platform::Icon icon, platform::Answer defaultButton) override {
            texts += (texts.empty() ? "" : "\n") + std::string(text);
            return inner.show(text, title, buttons, icon, defaultButton);
        }
        void setWaiting(platform::Waiting waiting) override { inner.setWaiting(waiting); }
    } boxes{env.messages};
    core::Env checkEnv = core::redirected(env, env.errors, boxes, env.log);
    std::string storable = panel.text[core::kName];
    if (!core::mojikensa(checkEnv, panel.text[core::kName], &storable).empty()) {
        outcome.refusal = boxes.texts;
        return outcome;
    }
    if (refuseWhenFull) {
        outcome.refusal = roomLeft(st, side, storable);
        if (!outcome.refusal.empty()) {
            return outcome;
        }
    }

    tuikajunbi01(env, panel);
    // The history and the file keep the name as the file will read it back.
    st.EntryRow[core::kName] = storable;
    core::tuika03(env, static_cast<std::int16_t>(2 * side));
    rireki02(env, st.ReservationCount);
    core::rireki01(env, static_cast<std::int16_t>(side));
    core::tuika_mein(env);
    if (ctx.entry != nullptr) {
        const int historyCount = st.NameHistoryCount[side];
        if (historyCount > ctx.entry->nameListCount(side)) {
            ctx.entry->appendName(side, st.NameHistory.entry(side, historyCount - 1)[core::kName]);
        }
        ctx.entry->hyouji02();
    }
    persist::kakikomi01(env);
    const auto& row = st.ReservationTable[st.ReservationInsertPos];
    const int kind = core::int16Of(row[core::kKindCode]);
    env.log.kiloku("［追加］," + core::dateTimeText(env) + ",," + row[core::kName] + "," + core::kindName(kind) +
                   ",予約データ数=" + std::to_string(st.ReservationCount) +
                   ",タイマー履歴数=" + std::to_string(st.NameHistoryCount[0]) +
                   ",予定履歴数=" + std::to_string(st.NameHistoryCount[1]) + ",,");
    outcome.added = true;
    return outcome;
}

} // namespace mayorin::ui
