#pragma once

#include <cstddef>
#include <string_view>

// Small helpers for walking UTF-8 texts by character.
namespace mayorin::core::utf8 {

// Byte length of the character that starts at text[i] (1 for a stray or invalid byte).
inline std::size_t charLength(std::string_view text, std::size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = 1;
    if (b >= 0xF0 && b < 0xF8) {
        n = 4;
    } else if (b >= 0xE0) {
        n = b < 0xF0 ? 3 : 1;
    } else if (b >= 0xC0) {
        n = 2;
    }
    if (i + n > text.size()) {
        return 1;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return n;
}

// The code point of the character at text[i] with its byte length in *len; an invalid byte
// gives 0xFFFD.
inline char32_t decodeAt(std::string_view text, std::size_t i, std::size_t* len) {
    const std::size_t n = charLength(text, i);
    *len = n;
    const auto b = static_cast<unsigned char>(text[i]);
    if (n == 1) {
        return b < 0x80 ? char32_t(b) : char32_t(0xFFFD);
    }
    char32_t cp = b & (0xFF >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    return cp;
}

// Number of characters of a text.
inline std::size_t length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i)) {
        ++count;
    }
    return count;
}

// The first n characters of a text.
inline std::string_view left(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    while (n > 0 && i < text.size()) {
        i += charLength(text, i);
        --n;
    }
    return text.substr(0, i);
}

// The last n characters of a text.
inline std::string_view right(std::string_view text, std::size_t n) {
    const std::size_t total = length(text);
    if (n >= total) {
        return text;
    }
    std::size_t skip = total - n;
    std::size_t i = 0;
    while (skip > 0) {
        i += charLength(text, i);
        --skip;
    }
    return text.substr(i);
}

// The text without leading and trailing half-width blanks.
inline std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace mayorin::core::utf8
