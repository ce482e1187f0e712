#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(ParseNumber, DecimalForms)
{
    const struct { const char* text; double value; } cases[] = {
        {"", 0}, {"   ", 0}, {" 7", 7}, {"\t\r\n 7", 7}, {"12abc", 12}, {"1.5", 1.5}, {"-3", -3},
        {"+4", 4}, {".5", 0.5}, {"5.", 5}, {"1.5.3", 1.5}, {"1e1", 10}, {"1E2", 100}, {"2D3", 2000},
        {"2d-1", 0.2}, {"1e", 1}, {"1e+", 1}, {"-", 0}, {".", 0}, {"abc", 0}, {"E5", 0}, {"- 5", 0},
        {"1 5", 1}, {"0x1A", 0}, {"inf", 0}, {"nan", 0}, {"00030", 30}, {"1e-400", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNumber(c.text), c.value) << "text \"" << c.text << "\"";
    EXPECT_TRUE(std::isinf(ParseNumber("1e999")));
    EXPECT_EQ(ParseNumber("0.1"), 0.1);
    EXPECT_EQ(ParseNumber("2.2250738585072014e-308"), 2.2250738585072014e-308);
}

TEST(ParseNumber, OtherBasesAndTheirSuffixes)
{
    const struct { const char* text; double value; } cases[] = {
        {"&H1E", 30}, {"&h1e", 30}, {"&HFFFF", -1}, {"&HFFFF&", 65535}, {"&H0FFFF", 65535},
        {"&HFFFF%", -1}, {"&H8000", -32768}, {"&H7FFF", 32767}, {"&17", 15}, {"&O17", 15},
        {"&q17", 15}, {"&B101", 5}, {"&B102", 2}, {"&H", 0}, {"&", 0}, {"&X1", 0}, {"&H1G", 1},
        {"&HFFFFFFFF", -1}, {"&HFFFFFFFF&&", 4294967295.0}, {"&H0FFFFFFFF", 4294967295.0},
        {"&H10000", 65536}, {"&H80000000&", -2147483648.0},
        {"&HFFFFFFFFFFFFFFFF", -1}, {"&HFFFFFFFFFFFFFFFF?", 0}, {"&H7FFFFFFFFFFFFFFF??", 9223372036854775807.0},
        {"&HFFFF?", 65535}, {"&H10000000000000000", 0}, {"  &H1E", 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNumber(c.text), c.value) << "text \"" << c.text << "\"";
}

TEST(ToTimeField, RoundsHalfToEvenThenLimits)
{
    const struct { const char* text; int16_t upper; int16_t field; } cases[] = {
        {"0.5", 59, 0}, {"1.5", 59, 2}, {"2.5", 59, 2}, {"-0.5", 59, 0}, {"1.4999", 59, 1},
        {"-3", 99, 0}, {"150", 99, 99}, {"75", 59, 59}, {"59.5", 59, 59}, {"40000", 99, 99},
        {"1e300", 99, 99}, {"1e999", 59, 59}, {"-1e999", 59, 0}, {"&HFFFF", 99, 0}, {"&H1E", 59, 30},
        {"abc", 59, 0}, {"", 59, 0}, {"30", 59, 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToTimeField(ParseNumber(c.text), c.upper), c.field) << "text \"" << c.text << "\"";
}

TEST(ToColorValue, KeepsAnyInt32AndMarksTheRest)
{
    const struct { const char* text; int32_t value; } cases[] = {
        {"255", 255}, {"abc", 0}, {"-1", -1}, {"2147483647", 2147483647}, {"2147483647.5", INT32_MIN},
        {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
        {"1e999", INT32_MIN}, {"2.5", 2}, {"&HFFFFFFFF", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToColorValue(ParseNumber(c.text)), c.value) << "text \"" << c.text << "\"";
}

TEST(FormatNumber, BlankOrMinusThenDigits)
{
    const struct { int32_t value; const char* text; } cases[] = {
        {0, " 0"}, {30, " 30"}, {255, " 255"}, {-5, "-5"}, {-32768, "-32768"},
        {INT32_MAX, " 2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(FormatNumber(c.value).data(), c.text);
        // What the program writes, it reads back as the same value.
        EXPECT_EQ(ToColorValue(ParseNumber(FormatNumber(c.value).data())), c.value == INT32_MIN ? INT32_MIN : c.value);
    }
}

TEST(FormatThousandths, DropsTrailingZerosAndALoneLeadingZero)
{
    const struct { uint32_t thousandths; const char* text; } cases[] = {
        {45296789, " 45296.789"}, {45296500, " 45296.5"}, {45296000, " 45296"}, {250, " .25"},
        {4, " .004"}, {0, " 0"}, {1000, " 1"}, {86399999, " 86399.999"}, {10, " .01"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatThousandths(c.thousandths).data(), c.text) << c.thousandths;
}

} // namespace
