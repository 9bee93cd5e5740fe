#include "platform/CodePage.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace mayorin::platform
