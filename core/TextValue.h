#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every number in a table or a file is text. These helpers are the only way numbers get
// into and out of the tables.
namespace mayorin::core {

// The value of a text: leading blanks skipped, then the leading decimal number
// (sign, digits, fraction, exponent); reading stops at the first character that cannot
// continue the number. A text without a number, also the empty text, is 0.
double value(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double x);

// Whole numbers of a given width, rounded half to even; outside the range is an overflow failure.
std::int16_t toInt16(double x);
std::int32_t toInt32(double x);
std::int16_t int16Of(std::string_view text); // toInt16(value(text))
std::int32_t int32Of(std::string_view text); // toInt32(value(text))

// a + b for 16-bit counts and indices; a result past 32767 (or below -32768) is an overflow failure.
std::int16_t add16(std::int32_t a, std::int32_t b);

// The shortest decimal form: no leading zeros, no blanks, no exponent ("63082368000", "-5", "0.5").
std::string decimalText(double x);
// The decimal text preceded by one blank when x is 0 or more (" 5", "-5").
std::string spacedDecimalText(double x);

// The text with the full-width digits "０" to "９" and the full-width colon "：", as a Japanese
// input method types them, turned into their half-width forms; every other character unchanged.
std::string halfWidthDigits(std::string_view text);

} // namespace mayorin::core
