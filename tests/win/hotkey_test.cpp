// Alt+T and the global atom behind it, on the real timer window.
#include <gtest/gtest.h>

#include "clock/countdown.h"
#include "window/control_ids.h"
#include "window/hotkey.h"
#include "window_fixture.h"

namespace {

class Hotkey : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteSettingsFile("[Tiempo]\r\nMinutos=30\r\n");
        GetLocalTime(&started);
        ASSERT_TRUE(run.Start()) << "the timer window did not appear";
    }
    void TearDown() override
    {
        run.Close();
        RemoveSettings();
    }
    void Press(WPARAM id) { SendMessageW(run.Window(), WM_HOTKEY, id, MAKELPARAM(MOD_ALT, 'T')); }
    SYSTEMTIME started{};
    TimerWindowRun run;
};

bool AltTIsFree()
{
    if (!RegisterHotKey(nullptr, 0x7001, MOD_ALT, 'T'))
        return false;
    UnregisterHotKey(nullptr, 0x7001);
    return true;
}

TEST_F(Hotkey, TheAtomIsNamedAfterTheStartTimeAndHoldsAltT)
{
    char name[64] = {};
    ASSERT_NE(HotkeyAtom, 0u);
    ASSERT_NE(GlobalGetAtomNameA(static_cast<ATOM>(HotkeyAtom), name, sizeof name), 0u);
    const std::string text = name;
    ASSERT_EQ(text.rfind("My Hotkey0cn ", 0), 0u) << text;
    const double seconds = std::stod(text.substr(13));
    const double expected = started.wHour * 3600 + started.wMinute * 60 + started.wSecond + started.wMilliseconds / 1000.0;
    EXPECT_NEAR(seconds, expected, 2.0) << text;
    EXPECT_FALSE(AltTIsFree()) << "the window does not hold Alt+T";
}

TEST_F(Hotkey, EachPressTogglesTheWindow)
{
    HWND window = run.Window();
    const struct { WPARAM id; bool visible; } presses[] = {
        {HotkeyAtom, false}, {HotkeyAtom, true}, {HotkeyAtom + 1, true}, {HotkeyAtom, false},
        {0, false}, {HotkeyAtom, true}, {HotkeyAtom, false},
    };
    int count = 0;
    for (const auto& p : presses) {
        Press(p.id);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, p.visible) << "after press " << ++count << " id " << p.id;
        EXPECT_EQ(WindowVisible != 0, p.visible);
    }
}

TEST_F(Hotkey, ACountdownGoesOnWhileHidden)
{
    run.Command(ID_PLAY);
    Press(HotkeyAtom);
    ASSERT_FALSE(IsWindowVisible(run.Window()));
    run.Tick(ID_TICK_TIMER);
    run.Tick(ID_TICK_TIMER);
    Press(HotkeyAtom);
    EXPECT_TRUE(IsWindowVisible(run.Window()));
    EXPECT_EQ(run.Label(), "00:29:58");
    EXPECT_EQ(run.RunState(), "Running");
}

TEST_F(Hotkey, TheKeyboardTogglesTheWindowFromAnotherThread)
{
    TypeAltT();
    Settle(300);
    EXPECT_FALSE(IsWindowVisible(run.Window())) << "Alt+T did not hide the window";
    TypeAltT();
    Settle(300);
    EXPECT_TRUE(IsWindowVisible(run.Window())) << "Alt+T did not show the window again";
}

TEST_F(Hotkey, ClosingReleasesTheAtomAndTheKey)
{
    const ATOM atom = static_cast<ATOM>(HotkeyAtom);
    ASSERT_EQ(run.Close(), 0);
    char name[64];
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u) << "the atom is still in the table";
    EXPECT_TRUE(AltTIsFree()) << "Alt+T is still taken";
}

TEST(HotkeyTaken, TheTimerWorksWithoutItAndNeverTakesIt)
{
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7002, MOD_ALT, 'T'));
    WriteSettingsFile("[Tiempo]\r\nMinutos=30\r\n");
    {
        TimerWindowRun run;
        ASSERT_TRUE(run.Start());
        run.Command(ID_PLAY);
        run.Tick(ID_TICK_TIMER);
        EXPECT_EQ(run.Label(), "00:29:59");
        EXPECT_EQ(run.Close(), 0);
    }
    UnregisterHotKey(nullptr, 0x7002);
    EXPECT_TRUE(AltTIsFree());
    RemoveSettings();
}

} // namespace
