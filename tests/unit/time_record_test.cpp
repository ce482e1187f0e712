#include "clock/time_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(TimeRecord time) { return FormatTimeText(time).data(); }

TEST(FormatTimeField, PadsToTwoDigitsAndCutsAtThree)
{
    const struct { int16_t value; const char* text; } cases[] = {
        {0, "00"}, {9, "09"}, {10, "10"}, {59, "59"}, {99, "99"}, {100, "100"}, {1234, "123"}, {32767, "327"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatTimeField(c.value).data(), c.text) << "value " << c.value;
}

TEST(FormatTimeText, JoinsTheThreeFields)
{
    EXPECT_EQ(Text({0, 30, 0}), "00:30:00");
    EXPECT_EQ(Text({99, 59, 59}), "99:59:59");
    // The longest text any three fields can give.
    EXPECT_EQ(Text({32767, 32767, 32767}), "327:327:327");
    EXPECT_EQ(Text({-32768, -1, 0}), "-32:-1:00");
}

TEST(NormaliseTime, CarriesOncePerFieldAndWrapsHours)
{
    const struct { TimeRecord before; const char* after; } cases[] = {
        {{0, 30, 0}, "00:30:00"},
        {{0, 0, 75}, "00:01:00"},   // the field becomes 0, it is not reduced by 60
        {{0, 59, 60}, "01:00:00"},  // a carry runs on into the next field
        {{99, 59, 60}, "00:00:00"},
        {{150, 0, 0}, "00:00:00"},
        {{5, 120, 0}, "06:00:00"},
        {{0, -1, -5}, "00:-1:-5"},  // negatives are left alone
    };
    for (const auto& c : cases) {
        TimeRecord time = c.before;
        NormaliseTime(time);
        EXPECT_EQ(Text(time), c.after) << "from " << Text(c.before);
    }
}

TEST(StepTime, TakesOneSecondWithBorrows)
{
    const struct { TimeRecord before; const char* after; bool zero; } cases[] = {
        {{0, 30, 0}, "00:29:59", false},
        {{1, 0, 0}, "00:59:59", false},
        {{10, 0, 0}, "09:59:59", false},
        {{0, 1, 0}, "00:00:59", false},
        {{0, 0, 10}, "00:00:09", false},
        {{0, 0, 1}, "00:00:00", true},
        {{99, 59, 59}, "99:59:58", false},
        // The step does not normalise values the program never loads itself.
        {{150, 0, 0}, "149:59:59", false},
        {{1235, 0, 0}, "123:59:59", false},
        // Zero stays zero instead of wrapping to 00:59:59.
        {{0, 0, 0}, "00:00:00", true},
    };
    for (const auto& c : cases) {
        TimeRecord time = c.before;
        StepTime(time);
        EXPECT_EQ(Text(time), c.after) << "from " << Text(c.before);
        EXPECT_EQ(IsTimeZero(time), c.zero) << "from " << Text(c.before);
    }
}

TEST(StepTime, CountsTheLongestStartDownToZeroExactly)
{
    TimeRecord time = {99, 59, 59};
    int steps = 0;
    while (!IsTimeZero(time)) {
        StepTime(time);
        ++steps;
        ASSERT_LE(steps, 359999);
    }
    EXPECT_EQ(steps, 359999);
    StepTime(time);
    EXPECT_EQ(Text(time), "00:00:00");
}

} // namespace
