// The countdown's display and its end on real Win32 controls.
#include <gtest/gtest.h>

#include "clock/countdown.h"
#include "window/control_ids.h"
#include "window_fixture.h"

namespace {

TEST(ShowRemainingTime, NormalisesAndShowsInTheLabel)
{
    ControlsWindow controls;
    const struct { TimeRecord time; const char* label; } cases[] = {
        {{0, 30, 0}, "00:30:00"}, {{0, 0, 75}, "00:01:00"}, {{0, 59, 60}, "01:00:00"},
        {{99, 59, 60}, "00:00:00"}, {{150, 0, 0}, "00:00:00"},
    };
    for (const auto& c : cases) {
        RemainingTime = c.time;
        ShowRemainingTime();
        EXPECT_EQ(controls.Label(), c.label);
    }
}

TEST(TickCountdown, StepsAndShowsWithoutEndingTheRun)
{
    ControlsWindow controls;
    const struct { TimeRecord time; const char* label; } cases[] = {
        {{0, 30, 0}, "00:29:59"}, {{1, 0, 0}, "00:59:59"}, {{10, 0, 0}, "09:59:59"},
        {{0, 1, 0}, "00:00:59"}, {{0, 0, 10}, "00:00:09"}, {{150, 0, 0}, "149:59:59"},
        {{1235, 0, 0}, "123:59:59"},
    };
    for (const auto& c : cases) {
        SetTimer(controls.window, ID_TICK_TIMER, 1000, nullptr);
        RemainingTime = c.time;
        TickCountdown(controls.window);
        EXPECT_EQ(controls.Label(), c.label);
        // The timer still exists, so killing it succeeds here.
        EXPECT_TRUE(KillTimer(controls.window, ID_TICK_TIMER)) << "run ended on " << c.label;
    }
}

TEST(TickCountdown, ReachingZeroEndsTheRun)
{
    // From 00:00:01, and from a start of zero, which must not wrap to 00:59:59.
    for (TimeRecord start : {TimeRecord{0, 0, 1}, TimeRecord{0, 0, 0}}) {
        ControlsWindow controls;
        EnableWindow(GetDlgItem(controls.window, ID_PLAY), FALSE);
        EnableWindow(GetDlgItem(controls.window, ID_RESET), FALSE);
        SetTimer(controls.window, ID_TICK_TIMER, 1000, nullptr);
        RemainingTime = start;
        TickCountdown(controls.window);
        EXPECT_EQ(controls.Label(), "00:00:00");
        EXPECT_FALSE(KillTimer(controls.window, ID_TICK_TIMER)) << "the timer was not killed";
        EXPECT_FALSE(controls.Enabled(ID_STOP));
        EXPECT_FALSE(controls.Enabled(ID_PLAY));
        EXPECT_TRUE(controls.Enabled(ID_RESET));
    }
}

} // namespace
