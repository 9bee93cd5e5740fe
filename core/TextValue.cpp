#include "core/TextValue.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/Failure.h"

namespace mayorin::core {

double value(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    // The longest prefix that forms a number: sign, digits, fraction, exponent.
    std::size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
        ++j;
    }
    std::size_t digits = 0;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
        ++j;
        ++digits;
    }
    if (j < text.size() && text[j] == '.') {
        ++j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            ++j;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    std::size_t end = j;
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) {
            ++k;
        }
        std::size_t expDigits = 0;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9') {
            ++k;
            ++expDigits;
        }
        if (expDigits > 0) {
            end = k;
        }
    }
    std::string_view number = text.substr(i, end - i);
    bool negative = false;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    double result = 0.0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), result);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        throwOverflow();
    }
    return negative ? -result : result;
}

double roundHalfEven(double x) {
    double r = std::nearbyint(x); // the default rounding mode: to nearest, ties to even
    return r == 0.0 ? 0.0 : r;
}

std::int16_t toInt16(double x) {
    double r = roundHalfEven(x);
    if (!(r >= -32768.0 && r <= 32767.0)) {
        throwOverflow();
    }
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double x) {
    double r = roundHalfEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        throwOverflow();
    }
    return static_cast<std::int32_t>(r);
}

std::int16_t int16Of(std::string_view text) { return toInt16(value(text)); }

std::int32_t int32Of(std::string_view text) { return toInt32(value(text)); }

std::int16_t add16(std::int32_t a, std::int32_t b) {
    const std::int64_t r = static_cast<std::int64_t>(a) + b;
    if (r > 32767 || r < -32768) {
        throwOverflow();
    }
    return static_cast<std::int16_t>(r);
}

std::string decimalText(double x) {
    if (!std::isfinite(x)) {
        throwOverflow();
    }
    if (x == 0.0) {
        return "0";
    }
    char buf[400];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
    if (ec != std::errc()) {
        throwOverflow();
    }
    return std::string(buf, ptr);
}

std::string spacedDecimalText(double x) {
    std::string t = decimalText(x);
    return t[0] == '-' ? t : " " + t;
}

std::string halfWidthDigits(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // U+FF10 to U+FF1A ("０" to "９", then "：") are EF BC 90 to EF BC 9A, in the order of
        // "0" to "9" and ":" (0x30 to 0x3A).
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        if (b(i) == 0xEF && i + 2 < text.size() && b(i + 1) == 0xBC && b(i + 2) >= 0x90 && b(i + 2) <= 0x9A) {
            out += static_cast<char>('0' + (b(i + 2) - 0x90));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace mayorin::core
