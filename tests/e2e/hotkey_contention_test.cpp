// The real timer executable beside other programs that want Alt+T: a second
// copy of itself, and a program that holds the key before the timer starts.
// Only the first holder of Alt+T gets it; the others work without it and
// say nothing.
#include <gtest/gtest.h>

#include "timer_process.h"
#include "window/control_ids.h"

namespace {

class HotkeyContention : public ::testing::Test {
protected:
    void SetUp() override { root = MakeTestFolder(); }
    void TearDown() override { RemoveFolderTree(root); }

    // A copy of the timer in a folder of its own under root, with a
    // settings file of the given start.
    std::wstring TimerWithStart(const std::wstring& name, int hours, int minutes, int seconds)
    {
        const std::wstring folder = root + name + L"\\";
        EXPECT_TRUE(MakeFolders(folder)) << Utf8(folder);
        EXPECT_TRUE(WriteFileWithNewTime(folder + L"Configuracion.ini", SettingsText(hours, minutes, seconds)));
        const std::wstring exe = CopyTimerInto(folder);
        EXPECT_FALSE(exe.empty()) << "cannot copy the timer into " << Utf8(folder);
        return exe;
    }

    std::wstring root;
};

const std::vector<std::string> kNoOtherWindow;

// Alt+T registered for this thread while it lives.
struct AltTHold {
    int id;
    bool held;
    explicit AltTHold(int hotkeyId) : id(hotkeyId), held(RegisterHotKey(nullptr, hotkeyId, MOD_ALT, 'T') != FALSE) {}
    ~AltTHold()
    {
        if (held)
            UnregisterHotKey(nullptr, id);
    }
};

bool AltTIsFree()
{
    AltTHold probe(0x7101);
    return probe.held;
}

// Drops WM_HOTKEY messages already queued for this thread.
void ForgetHotkeyMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
}

// True when a WM_HOTKEY for id reaches this thread within limit ms.
bool HotkeyArrives(int id, DWORD limit)
{
    return WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
                if (static_cast<int>(message.wParam) == id)
                    return true;
            }
            return false;
        },
        limit);
}

// The label's time in seconds; -1 when it shows no time.
int Shown(const TimerProcess& timer) { return TimeTextSeconds(timer.Label()); }

TEST_F(HotkeyContention, TwoCopiesCountDownOnTheirOwnAndOnlyTheFirstHoldsAltT)
{
    ASSERT_TRUE(AltTIsFree()) << "another program holds Alt+T";
    TimerProcess first, second;
    ASSERT_TRUE(first.Start(TimerWithStart(L"first", 0, 10, 0))) << first.StartFailure();
    ASSERT_TRUE(second.Start(TimerWithStart(L"second", 0, 20, 0))) << second.StartFailure();
    // The second could not register Alt+T, and says nothing about it.
    EXPECT_EQ(OtherVisibleWindows(second.info.dwProcessId, second.window), kNoOtherWindow);
    EXPECT_EQ(first.Label(), "00:10:00");
    EXPECT_EQ(second.Label(), "00:20:00");

    // Both count down, each from its own start.
    ASSERT_TRUE(first.Click(ID_PLAY));
    ASSERT_TRUE(second.Click(ID_PLAY));
    EXPECT_TRUE(WaitUntil([&] { return Shown(first) < 600 && Shown(second) < 1200; }, 2500))
        << first.Label() << " and " << second.Label();
    EXPECT_EQ(first.RunState(), "Running");
    EXPECT_EQ(second.RunState(), "Running");

    // Alt+T toggles the first only.
    TypeAltT();
    EXPECT_TRUE(WaitUntil([&] { return !first.Visible(); }, 3000)) << "Alt+T did not hide the first copy";
    Sleep(300);
    EXPECT_TRUE(second.Visible()) << "Alt+T hid the second copy";
    TypeAltT();
    EXPECT_TRUE(WaitUntil([&] { return first.Visible(); }, 3000)) << "Alt+T did not show the first copy again";
    EXPECT_TRUE(second.Visible());

    // Closing the first frees Alt+T for anyone, while the second goes on.
    EXPECT_EQ(first.Close(), 0);
    EXPECT_TRUE(AltTIsFree()) << "Alt+T is still held after the first copy closed";
    const int before = Shown(second);
    EXPECT_TRUE(WaitUntil([&] { return Shown(second) < before; }, 2500)) << "the second stopped: " << second.Label();
    ASSERT_TRUE(second.Click(ID_STOP));
    EXPECT_EQ(second.RunState(), "Stopped");
    const std::string paused = second.Label();
    ASSERT_TRUE(second.Click(ID_PLAY));
    EXPECT_EQ(second.RunState(), "Running");
    EXPECT_TRUE(WaitUntil([&] { return second.Label() != paused; }, 2500)) << "Play did not resume from " << paused;

    // The second registered only at its start: Alt+T, free now, does not
    // reach it.
    TypeAltT();
    Sleep(500);
    EXPECT_TRUE(second.Visible()) << "the second copy took Alt+T after the first closed";
    EXPECT_TRUE(AltTIsFree()) << "Alt+T is held while only the second copy runs";
    EXPECT_EQ(OtherVisibleWindows(second.info.dwProcessId, second.window), kNoOtherWindow);
    EXPECT_EQ(second.Close(), 0);
}

TEST_F(HotkeyContention, AProgramHoldingAltTBeforeTheStartKeepsIt)
{
    ForgetHotkeyMessages();
    AltTHold other(0x7102);
    ASSERT_TRUE(other.held) << "another program holds Alt+T";

    TimerProcess timer;
    ASSERT_TRUE(timer.Start(TimerWithStart(L"timer", 0, 0, 30))) << timer.StartFailure();
    EXPECT_EQ(OtherVisibleWindows(timer.info.dwProcessId, timer.window), kNoOtherWindow);
    EXPECT_EQ(SessionProblem(timer, "00:00:30"), "");

    // Alt+T goes to its holder; the timer stays shown.
    TypeAltT();
    EXPECT_TRUE(HotkeyArrives(other.id, 3000)) << "the holder did not get Alt+T while the timer ran";
    EXPECT_TRUE(timer.Visible()) << "the timer took Alt+T from its holder";
    EXPECT_EQ(timer.Close(), 0);

    // After the timer has gone, Alt+T is still the holder's alone.
    TypeAltT();
    EXPECT_TRUE(HotkeyArrives(other.id, 3000)) << "the holder did not get Alt+T after the timer closed";
    AltTHold another(0x7103);
    EXPECT_FALSE(another.held) << "Alt+T was free after the timer closed";
}

} // namespace
