// Play, Stop, Reset, the timer's ticks and the keyboard focus on the real
// timer window.
#include <gtest/gtest.h>

#include "clock/countdown.h"
#include "window/control_ids.h"
#include "window/window_events.h"
#include "window_fixture.h"

namespace {

class RunControl : public ::testing::Test {
protected:
    void Start(const std::string& settings)
    {
        WriteSettingsFile(settings);
        ASSERT_TRUE(run.Start()) << "the timer window did not appear";
    }
    void TearDown() override
    {
        run.Close();
        RemoveSettings();
    }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            run.Tick(ID_TICK_TIMER);
    }
    TimerWindowRun run;
};

int SecondsOfDay(const std::string& clock)
{
    return std::stoi(clock.substr(0, 2)) * 3600 + std::stoi(clock.substr(3, 2)) * 60 + std::stoi(clock.substr(6, 2));
}

int SecondsOfDayNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
}

TEST_F(RunControl, StartsStoppedWithTheLoadedTime)
{
    Start("[Tiempo]\r\nHoras=1\r\nMinutos=2\r\nSegundos=3\r\n");
    EXPECT_EQ(run.Label(), "01:02:03");
    EXPECT_EQ(run.RunState(), "Stopped");
    EXPECT_EQ(run.Caption(), "Marcasegundo Pulse");
}

TEST_F(RunControl, PlayStopAndPlayGoOnFromWhatRemained)
{
    Start("[Tiempo]\r\nHoras=0\r\nMinutos=30\r\nSegundos=0\r\n");
    const int before = SecondsOfDayNow();
    run.Command(ID_PLAY);
    const int after = SecondsOfDayNow();
    EXPECT_EQ(run.RunState(), "Running");
    // The caption now holds the local time of the Play.
    const std::string caption = run.Caption();
    ASSERT_EQ(caption.size(), 8u) << caption;
    EXPECT_GE(SecondsOfDay(caption), before);
    EXPECT_LE(SecondsOfDay(caption), after);

    Ticks(5);
    EXPECT_EQ(run.Label(), "00:29:55");
    run.Command(ID_STOP);
    EXPECT_EQ(run.RunState(), "Stopped");
    EXPECT_EQ(run.Caption(), caption) << "Stop changed the caption";
    run.Command(ID_PLAY);
    Ticks(1);
    EXPECT_EQ(run.Label(), "00:29:54");
}

TEST_F(RunControl, TheRealTimerCountsAndStopHaltsIt)
{
    Start("[Tiempo]\r\nHoras=0\r\nMinutos=0\r\nSegundos=30\r\n");
    run.Command(ID_PLAY);
    Settle(2500);
    const std::string running = run.Label();
    EXPECT_TRUE(running == "00:00:28" || running == "00:00:27") << running;
    run.Command(ID_STOP);
    const std::string stopped = run.Label();
    Settle(1500);
    EXPECT_EQ(run.Label(), stopped) << "the countdown went on after Stop";
}

TEST_F(RunControl, OnlyClicksAndAcceleratorCommandsAct)
{
    Start("[Tiempo]\r\nMinutos=30\r\n");
    const struct { int notification; const char* state; } cases[] = {
        {5, "Stopped"}, {BN_SETFOCUS, "Stopped"}, {BN_CLICKED, "Running"}, {1, "Running"},
    };
    for (const auto& c : cases) {
        run.Command(ID_STOP); // back to Stopped
        run.Command(ID_PLAY, c.notification);
        EXPECT_EQ(run.RunState(), c.state) << "notification " << c.notification;
    }
    // Neither a foreign timer id nor the label's id does anything.
    run.Tick(7);
    run.Command(ID_TIME_LABEL);
    EXPECT_EQ(run.Label(), "00:30:00");
    EXPECT_EQ(run.RunState(), "Running");
}

TEST_F(RunControl, ResetReloadsTheFileAsItIsNowAndWritesNothing)
{
    Start("[Tiempo]\r\nHoras=0\r\nMinutos=10\r\nSegundos=0\r\n");
    run.Command(ID_PLAY);
    Ticks(3);
    run.Command(ID_STOP);
    const std::string edited = "[Tiempo]\r\nHoras=2\r\nMinutos=5\r\nSegundos=9\r\n";
    WriteSettingsFile(edited);
    const ULONGLONG written = LastWriteTime(SettingsPath());
    run.Command(ID_RESET);
    EXPECT_EQ(run.Label(), "02:05:09");
    EXPECT_EQ(run.RunState(), "Stopped");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), edited);
    EXPECT_EQ(LastWriteTime(SettingsPath()), written);
}

TEST_F(RunControl, TheRunEndsAtZeroAndResetStartsAfresh)
{
    Start("[Tiempo]\r\nHoras=0\r\nMinutos=0\r\nSegundos=2\r\n");
    run.Command(ID_PLAY);
    Ticks(1);
    EXPECT_EQ(run.RunState(), "Running");
    Ticks(1);
    EXPECT_EQ(run.Label(), "00:00:00");
    EXPECT_EQ(run.RunState(), "Finished");
    // With the timer killed, nothing steps the time any more.
    RemainingTime = {0, 0, 5};
    Settle(1500);
    EXPECT_EQ(run.Label(), "00:00:00");
    run.Command(ID_RESET);
    EXPECT_EQ(run.Label(), "00:00:02");
    EXPECT_EQ(run.RunState(), "Stopped");
}

TEST_F(RunControl, AStartOfZeroFinishesOnTheFirstTick)
{
    Start("[Tiempo]\r\nHoras=0\r\nMinutos=0\r\nSegundos=0\r\n");
    EXPECT_EQ(run.RunState(), "Stopped") << "Play must stay enabled";
    run.Command(ID_PLAY);
    Ticks(1);
    EXPECT_EQ(run.Label(), "00:00:00") << "a tick on zero wrapped around";
    EXPECT_EQ(run.RunState(), "Finished");
}

TEST_F(RunControl, FocusComesBackAfterDeactivation)
{
    Start("[Tiempo]\r\nMinutos=30\r\n");
    SetForegroundWindow(run.Window());
    Settle(200);
    PostMessageW(run.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(run.Control(ID_RESET)), TRUE);
    Settle(100);
    ASSERT_EQ(run.Focus(), run.Control(ID_RESET));

    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    Settle(200);
    EXPECT_EQ(SavedFocus, run.Control(ID_RESET));

    SetForegroundWindow(run.Window());
    Settle(200);
    EXPECT_EQ(run.Focus(), run.Control(ID_RESET));
    EXPECT_EQ(SavedFocus, nullptr);
    DestroyWindow(other);
}

} // namespace
