// The timer window under strain: a failed creation, a long countdown driven
// as fast as messages can be sent, and many windows built and destroyed in
// one process.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "clock/countdown.h"
#include "window/control_ids.h"
#include "window/hotkey.h"
#include "window/timer_window.h"
#include "window_fixture.h"

namespace {

bool AltTIsFree()
{
    if (!RegisterHotKey(nullptr, 0x7003, MOD_ALT, 'T'))
        return false;
    UnregisterHotKey(nullptr, 0x7003);
    return true;
}

bool AtomExists(uint32_t atom)
{
    char name[64];
    return atom != 0 && GlobalGetAtomNameA(static_cast<ATOM>(atom), name, sizeof name) != 0;
}

TEST(FailedCreation, EndsCleanlyShowingNothingAndLeavingNoAtom)
{
    RemoveSettings();
    // A parent that no longer exists makes the dialog's creation fail.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    HotkeyAtom = 0;
    const DWORD started = GetTickCount();
    EXPECT_EQ(ShowTimerWindow(gone), 0);
    EXPECT_LT(GetTickCount() - started, 5000u) << "the failed run did not return at once";
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(FindWindowW(nullptr, L"Marcasegundo Pulse"), nullptr);
    EXPECT_NE(HotkeyAtom, 0u) << "the start-up did not run";
    EXPECT_FALSE(AtomExists(HotkeyAtom)) << "the hotkey's atom was left in the global table";
    EXPECT_TRUE(AltTIsFree());
    // The settings were still loaded, and the missing file created.
    EXPECT_EQ(FormatTimeText(RemainingTime).data(), std::string("00:30:00"));
    EXPECT_NE(ReadFileBytes(SettingsPath()), "<missing>");
    RemoveSettings();
}

// The objects a window run made, read back from the window itself.
struct WindowObjects {
    HGDIOBJ brush, windowFont, displayFont;
    HICON bigIcon, smallIcon;
};

WindowObjects ObjectsOf(const TimerWindowRun& run)
{
    HDC dc = GetDC(run.Window());
    WindowObjects objects = {
        reinterpret_cast<HGDIOBJ>(SendMessageW(run.Window(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(run.Window()))),
        reinterpret_cast<HGDIOBJ>(SendMessageW(run.Window(), WM_GETFONT, 0, 0)),
        reinterpret_cast<HGDIOBJ>(SendMessageW(run.Control(ID_TIME_LABEL), WM_GETFONT, 0, 0)),
        reinterpret_cast<HICON>(SendMessageW(run.Window(), WM_GETICON, ICON_BIG, 0)),
        reinterpret_cast<HICON>(SendMessageW(run.Window(), WM_GETICON, ICON_SMALL, 0)),
    };
    ReleaseDC(run.Window(), dc);
    return objects;
}

bool IconExists(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

TEST(WindowObjects, AreAllFreedWhenTheWindowCloses)
{
    WriteSettingsFile("[Tiempo]\r\nMinutos=30\r\n");
    TimerWindowRun run;
    ASSERT_TRUE(run.Start());
    const WindowObjects objects = ObjectsOf(run);
    EXPECT_EQ(GetObjectType(objects.brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(objects.windowFont), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectType(objects.displayFont), static_cast<DWORD>(OBJ_FONT));
    EXPECT_TRUE(IconExists(objects.bigIcon));
    EXPECT_TRUE(IconExists(objects.smallIcon));
    ASSERT_EQ(run.Close(), 0);
    EXPECT_EQ(GetObjectType(objects.brush), 0u) << "the black brush was not deleted";
    EXPECT_EQ(GetObjectType(objects.windowFont), 0u) << "the window's template font was not deleted";
    EXPECT_EQ(GetObjectType(objects.displayFont), 0u) << "the display font was not deleted";
    EXPECT_FALSE(IconExists(objects.bigIcon)) << "the big icon was not destroyed";
    EXPECT_FALSE(IconExists(objects.smallIcon)) << "the small icon was not destroyed";
    RemoveSettings();
}

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

TEST(WindowObjects, DoNotPileUpOverManyWindows)
{
    WriteSettingsFile("[Tiempo]\r\nMinutos=30\r\n");
    auto buildAndClose = [] {
        TimerWindowRun run;
        ASSERT_TRUE(run.Start());
        run.Command(ID_PLAY);
        run.Tick(ID_TICK_TIMER);
        ASSERT_EQ(run.Close(), 0);
    };
    for (int i = 0; i < 3; ++i)
        buildAndClose();
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const SIZE_T memoryBefore = WorkingSet();
    for (int i = 0; i < 30; ++i)
        buildAndClose();
    // Wine may count no GUI objects at all (0); the per-object test above
    // shows the release either way.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore);
    EXPECT_LT(WorkingSet(), memoryBefore + 4 * 1024 * 1024) << "memory grew by " << (WorkingSet() - memoryBefore);
    RemoveSettings();
}

std::string ClockText(int seconds)
{
    char text[16];
    snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// Waits until the label shows text: posted ticks are handled in order, so
// the label reaching the text of the last one means all were handled.
bool WaitForLabel(const TimerWindowRun& run, const std::string& text)
{
    for (int waited = 0; waited < 20000; waited += 5) {
        if (run.Label() == text)
            return true;
        Sleep(5);
    }
    return false;
}

TEST(Stress, TheLongestCountdownDrivenAsFastAsPossibleEndsExactlyAtZero)
{
    WriteSettingsFile("[Tiempo]\r\nHoras=99\r\nMinutos=59\r\nSegundos=59\r\n");
    TimerWindowRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_EQ(run.Label(), "99:59:59");
    // No Play, so that the real one-second timer adds no steps of its own:
    // every step here is one posted timer message.
    constexpr int kStart = 99 * 3600 + 59 * 60 + 59;
    constexpr int kBatch = 4000;
    const SIZE_T memoryBefore = WorkingSet();
    int steps = 0;
    while (steps < kStart) {
        const int batchEnd = std::min(steps + kBatch, kStart);
        for (; steps < batchEnd; ++steps)
            PostMessageW(run.Window(), WM_TIMER, ID_TICK_TIMER, 0);
        ASSERT_TRUE(WaitForLabel(run, ClockText(kStart - steps)))
            << "after " << steps << " steps the label shows " << run.Label();
        ASSERT_EQ(run.RunState(), steps < kStart ? "Stopped" : "Finished") << "after " << steps << " steps";
    }
    // Ticks that still arrive after the end change nothing.
    for (int i = 0; i < 100; ++i)
        run.Tick(ID_TICK_TIMER);
    EXPECT_EQ(run.Label(), "00:00:00");
    EXPECT_EQ(run.RunState(), "Finished");
    EXPECT_LT(WorkingSet(), memoryBefore + 4 * 1024 * 1024) << "memory grew by " << (WorkingSet() - memoryBefore);
    RemoveSettings();
}

} // namespace
