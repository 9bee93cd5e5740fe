#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Env.h"

// The reservation store: sizing the tables, building a row from EntryRow, adding and sorting,
// deleting with multi-level restore, the display-name history and the name check.
namespace mayorin::core {

void hensu_kensuu(Env& env);                                        // "hensu_kensuu M2"
void tuika03(Env& env, std::int16_t sideCode);                      // "tuika03 M2"
void tuika_mein(Env& env);                                          // "tuika_mein M2"
std::int16_t narabikae(Env& env, std::int16_t n);                   // "narabikae M2", 0 after a failure
std::int16_t hSakujo(Env& env, std::int16_t i);                     // "hSakujo M2"
std::int16_t sakujo01(Env& env, std::int16_t i, std::int16_t last); // "sakujo01 M2", -1 after a failure
void sakujyo_modosu(Env& env);                                      // "sakujyo_modosu M2"
void rireki01(Env& env, std::int16_t side);                         // "rireki01 M2"

// The longest display name, in characters: far more than any list shows, and short enough that
// the data file line of any row or history entry stays far below the 32767 characters its
// reader takes.
inline constexpr std::size_t kNameMaxLength = 256;

// Checks a display name; returns "" when it may be used, else "使用禁止文字が含まれています。"
// (or "表示名が長すぎます。" for a name past kNameMaxLength characters) after telling the user why. When storable is
// given it receives the name in the form the data file will read back (characters that code page 932 maps one way only
// come back changed).
std::string mojikensa(Env& env, std::string_view name, std::string* storable = nullptr); // "mojikensa M1"

// Normalizes one entry field f (4 to 8) for a side code (0 or 1 timer, 2 to 5 schedule, 10 extension).
std::string suu_syusei(Env& env, std::string_view text, int f, int sideCode); // "suu_syusei M1"

} // namespace mayorin::core
