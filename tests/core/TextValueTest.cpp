#include "core/TextValue.h"

#include <string>

#include <gtest/gtest.h>

#include "core/Failure.h"

namespace mayorin::core {
namespace {

TEST(TextValueTest, ValueIsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {" 12abc", 12},
        {"  -3.5e2x", -350},
        {"1e", 1},
        {"+7", 7},
        {" 5:30", 5},
        {"05:30", 5},
        {".5", 0.5},
        {"-", 0},
        {"1.5.5", 1.5},
        {"２", 0},
        {" 63082368000", 63082368000.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(value(c.text), c.value) << "\"" << c.text << "\"";
    }
}

TEST(TextValueTest, WholeNumbersRoundHalvesToEven) {
    struct Case {
        double x;
        double rounded;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {-2.6, -3}};
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.x), c.rounded) << c.x;
    }
    EXPECT_EQ(int16Of(" 32767.4"), 32767);
    EXPECT_EQ(int32Of("-2.5"), -2);
    EXPECT_THROW(toInt16(32767.5), Failure);
    EXPECT_THROW(toInt16(-32769), Failure);
    EXPECT_THROW(toInt32(2147483648.0), Failure);
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_THROW(add16(32767, 1), Failure);
    EXPECT_THROW(value("1e400"), Failure);
}

TEST(TextValueTest, DecimalTexts) {
    struct Case {
        double x;
        const char* plain;
        const char* spaced;
    } cases[] = {
        {0, "0", " 0"},       {-0.0, "0", " 0"},    {5, "5", " 5"},
        {-5, "-5", "-5"},     {0.5, "0.5", " 0.5"}, {63082368000.0, "63082368000", " 63082368000"},
        {197, "197", " 197"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimalText(c.x), c.plain) << c.x;
        EXPECT_EQ(spacedDecimalText(c.x), c.spaced) << c.x;
    }
}

} // namespace
} // namespace mayorin::core
