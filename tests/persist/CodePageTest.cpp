#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

namespace mayorin::platform {
namespace {

struct Mapping {
    const char* utf8;
    std::string cp932;
};

TEST(CodePage932, EncodesMicrosoftTableAndDecodesBack) {
    const std::vector<Mapping> table = {
        {"A,'\\~", "A,'\\~"},    // ASCII stays as it is, backslash and tilde included
        {"～", "\x81\x60"},      // full-width tilde of the Microsoft table
        {"－", "\x81\x7C"},      // full-width hyphen-minus
        {"①", "\x87\x40"},       // NEC special character
        {"髙", "\xFB\xFC"},      // IBM extension
        {"ｱｶﾞ", "\xB1\xB6\xDE"}, // half-width katakana are single bytes
        {"。", "\x81\x42"},
        {"「Mayorin。.exe」用データ", "\x81\x75Mayorin\x81\x42.exe\x81\x76\x97\x70\x83\x66\x81\x5B\x83\x5E"},
        {"", ""},
    };
    const IconvCodePage cp;
    for (const auto& m : table) {
        const auto bytes = cp.encode(m.utf8);
        ASSERT_TRUE(bytes.has_value()) << m.utf8;
        EXPECT_EQ(*bytes, m.cp932) << m.utf8;
        std::size_t bad = 99;
        EXPECT_EQ(cp.decode(m.cp932, &bad), m.utf8);
        EXPECT_EQ(bad, 0u);
    }
}

TEST(CodePage932, OneWayCharactersComeBackAsTheirTableForm) {
    const IconvCodePage cp;
    const std::vector<std::pair<const char*, const char*>> table = {
        {"〜", "～"}, // wave dash typed by many input methods
        {"−", "－"},  // minus sign
    };
    for (const auto& [typed, readBack] : table) {
        const auto bytes = cp.encode(typed);
        ASSERT_TRUE(bytes.has_value()) << typed;
        EXPECT_EQ(cp.decode(*bytes), readBack);
    }
}

TEST(CodePage932, CharacterWithoutFormReportsItsOffset) {
    const IconvCodePage cp;
    std::size_t at = 0;
    EXPECT_FALSE(cp.encode("ab予😀c", &at).has_value());
    EXPECT_EQ(at, 5u); // "ab" and the three bytes of 予
    EXPECT_FALSE(cp.encode("한", &at).has_value());
    EXPECT_EQ(at, 0u);
}

TEST(CodePage932, InvalidBytesReadAsQuestionMarksAndReadingGoesOn) {
    const IconvCodePage cp;
    struct Case {
        std::string bytes;
        std::string text;
        std::size_t bad;
    };
    const std::vector<Case> cases = {
        {"a\xFF"
         "b",
         "a?b", 1},                                                   // never a lead byte
        {std::string("x\x81\x01y", 4), std::string("x?\x01y", 4), 1}, // lead byte with a bad trail byte
        {"ok\x82", "ok?", 1},                                         // lead byte cut off at the end
        {"\x80\xA0\xFD\x82\xA0", "???あ", 3},
    };
    for (const auto& c : cases) {
        std::size_t bad = 0;
        EXPECT_EQ(cp.decode(c.bytes, &bad), c.text);
        EXPECT_EQ(bad, c.bad);
    }
}

// iconv asked directly, character by character, as the reference the converter must agree with.
struct Reference {
    Reference() : toCp(iconv_open("CP932", "UTF-8")), fromCp(iconv_open("UTF-8", "CP932")) {}
    ~Reference() {
        iconv_close(toCp);
        iconv_close(fromCp);
    }
    // The converted text, or nothing when iconv refuses any part of it.
    static std::optional<std::string> run(iconv_t cd, std::string_view in) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 4 + 8, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - dstLeft);
        return out;
    }
    iconv_t toCp;
    iconv_t fromCp;
};

std::string utf8Of(std::uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | cp >> 6);
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | cp >> 12);
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

TEST(CodePage932, EveryCodeAgreesWithIconv) {
    const IconvCodePage cp;
    const Reference ref;
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) {
            continue;
        }
        const std::string u = utf8Of(c);
        EXPECT_EQ(cp.encode(u), Reference::run(ref.toCp, u)) << std::hex << c;
    }
    for (unsigned lead = 0; lead < 256; ++lead) {
        const std::string one(1, static_cast<char>(lead));
        const auto single = Reference::run(ref.fromCp, one);
        for (unsigned trail = 0; trail < 256; ++trail) {
            const std::string two = one + static_cast<char>(trail);
            const auto whole = Reference::run(ref.fromCp, two);
            std::size_t bad = 0;
            const std::string text = cp.decode(two, &bad);
            if (whole) {
                EXPECT_EQ(text, *whole) << std::hex << lead << " " << trail;
                EXPECT_EQ(bad, 0u);
            } else if (single) {
                // A character, then a byte that is invalid on its own.
                EXPECT_EQ(text, *single + "?") << std::hex << lead << " " << trail;
                EXPECT_EQ(bad, 1u);
            } else {
                // The first byte is invalid (or a lead byte without a fitting second byte) and is
                // read as "?"; the second byte is then read on its own.
                const auto second = Reference::run(ref.fromCp, two.substr(1));
                EXPECT_EQ(text, "?" + second.value_or("?")) << std::hex << lead << " " << trail;
                EXPECT_EQ(bad, second ? 1u : 2u);
            }
        }
    }
}

TEST(CodePage932, MalformedUtf8IsRefusedWhereItStarts) {
    const IconvCodePage cp;
    std::size_t at = 0;
    EXPECT_FALSE(cp.encode(std::string("ab\xE3\x81", 4), &at).has_value());
    EXPECT_EQ(at, 2u);
    EXPECT_FALSE(cp.encode(std::string("x\xC0\x80", 3), &at).has_value());
    EXPECT_EQ(at, 1u);
}

} // namespace
} // namespace mayorin::platform
