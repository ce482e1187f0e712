#include "window/event_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatClockTime, TwoDigitsPerField)
{
    EXPECT_STREQ(FormatClockTime(14, 3, 7).data(), "14:03:07");
    EXPECT_STREQ(FormatClockTime(9, 5, 3).data(), "09:05:03");
    EXPECT_STREQ(FormatClockTime(0, 0, 0).data(), "00:00:00");
    EXPECT_STREQ(FormatClockTime(23, 59, 59).data(), "23:59:59");
}

TEST(MakeHotkeyAtomName, PrefixAndSecondsSinceMidnight)
{
    const struct { unsigned h, m, s, ms; const char* name; } cases[] = {
        {12, 34, 56, 789, "My Hotkey0cn 45296.789"},
        {12, 34, 56, 500, "My Hotkey0cn 45296.5"},
        {12, 34, 56, 0, "My Hotkey0cn 45296"},
        {0, 0, 0, 250, "My Hotkey0cn .25"},
        {0, 0, 0, 4, "My Hotkey0cn .004"},
        {0, 0, 0, 0, "My Hotkey0cn 0"},
        {23, 59, 59, 999, "My Hotkey0cn 86399.999"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(MakeHotkeyAtomName(c.h, c.m, c.s, c.ms).data(), c.name);
    // The longest name fits the 22 characters the atom table is given.
    EXPECT_LE(std::string_view(MakeHotkeyAtomName(23, 59, 59, 999).data()).size(), 22u);
}

} // namespace
