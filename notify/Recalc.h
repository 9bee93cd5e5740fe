#pragma once

#include <cstdint>

#include "core/Env.h"

namespace mayorin::notify {

// Files due row `row` as a pending notice, then reschedules or removes it. "saikeisan_F2 M3　再計算".
void saikeisan_F2(core::Env& env, std::int16_t row);
// Builds in the spare row an extension of pending notice `notice` by `minutes`; the caller adds
// it with tuika_mein. "entyou_syori M3　延長".
void entyou_syori(core::Env& env, std::int16_t notice, std::int16_t minutes);
// Discards every pending notice. "entyou_kesu M3　再計算".
void entyou_kesu(core::Env& env);

} // namespace mayorin::notify
