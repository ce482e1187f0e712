// The timer window as built by ShowTimerWindow: its frame, its controls and
// their places, its look, its keyboard interface and how it ends.
#include <gtest/gtest.h>

#include <vector>

#include "window/control_ids.h"
#include "window/timer_window.h"
#include "window_fixture.h"

namespace {

class TimerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteSettingsFile("[Tiempo]\r\nHoras=0\r\nMinutos=30\r\nSegundos=0\r\n");
        ASSERT_TRUE(run.Start()) << "the timer window did not appear";
    }
    void TearDown() override
    {
        run.Close();
        RemoveSettings();
    }
    TimerWindowRun run;
};

RECT DialogRect(HWND window, int x, int y, int width, int height)
{
    RECT area = {x, y, x + width, y + height};
    MapDialogRect(window, &area);
    return area;
}

RECT ClientRectOf(HWND control)
{
    RECT area;
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

TEST_F(TimerWindow, IsASmallCentredToolWindow)
{
    HWND window = run.Window();
    EXPECT_EQ(run.Caption(), "Marcasegundo Pulse");
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP | WS_CHILD), 0);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0) << "a tool window has no taskbar button";

    RECT client;
    GetClientRect(window, &client);
    const RECT expected = DialogRect(window, 0, 0, 127, 44);
    EXPECT_EQ(Describe(client), Describe(expected));

    RECT frame, workArea;
    GetWindowRect(window, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (workArea.left + workArea.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (workArea.top + workArea.bottom) / 2, 1);

    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(TimerWindow, ControlsSitAtTheirDialogUnitPlaces)
{
    HWND window = run.Window();
    const struct {
        int id; const char* className; const char* text; int x, y, width, height; DWORD style;
    } controls[] = {
        {ID_TIME_LABEL, "Static", "00:30:00", 0, 0, 125, 30, WS_CHILD | WS_VISIBLE | SS_CENTER},
        {ID_PLAY, "Button", "Play", 0, 33, 35, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
        {ID_STOP, "Button", "Stop", 43, 33, 40, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
        {ID_RESET, "Button", "Reset", 91, 33, 35, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    };
    HWND child = GetWindow(window, GW_CHILD);
    for (const auto& c : controls) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(child, run.Control(c.id)) << "controls out of creation order";
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_STRCASEEQ(className, c.className);
        EXPECT_EQ(TextOf(child), c.text);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        EXPECT_EQ(style & ~(WS_DISABLED | 0xFFFFu), c.style & ~0xFFFFu);
        EXPECT_EQ(style & 0xFu, c.style & 0xFu);
        EXPECT_EQ(Describe(ClientRectOf(child)), Describe(DialogRect(window, c.x, c.y, c.width, c.height)));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "an unexpected fifth control";
}

TEST_F(TimerWindow, TheLabelUsesBoldTahomaAndTheButtonsTheWindowFont)
{
    HWND window = run.Window();
    LOGFONTW font{};
    const HFONT labelFont = reinterpret_cast<HFONT>(SendMessageW(run.Control(ID_TIME_LABEL), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(labelFont, sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, DisplayFontHeight(GetDeviceCaps(screen, LOGPIXELSY)));
    ReleaseDC(nullptr, screen);

    const LRESULT windowFont = SendMessageW(window, WM_GETFONT, 0, 0);
    ASSERT_NE(windowFont, 0);
    for (int id : {ID_PLAY, ID_STOP, ID_RESET})
        EXPECT_EQ(SendMessageW(run.Control(id), WM_GETFONT, 0, 0), windowFont) << id;
}

TEST(DisplayFontHeight, TwentyEightPointsTruncated)
{
    const struct { int dpi; LONG height; } cases[] = {{96, -37}, {120, -46}, {144, -56}, {192, -74}};
    for (const auto& c : cases)
        EXPECT_EQ(DisplayFontHeight(c.dpi), c.height) << c.dpi << " dpi";
}

// The window's client area as it is on screen: nothing covers it under Xvfb.
std::vector<COLORREF> CaptureClient(HWND window, RECT& client)
{
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(TimerWindow, ShowsRedDigitsOnBlack)
{
    HWND window = run.Window();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(300);
    RECT client;
    const std::vector<COLORREF> pixels = CaptureClient(window, client);
    const RECT label = ClientRectOf(run.Control(ID_TIME_LABEL));
    int red = 0, black = 0, other = 0;
    for (int y = label.top; y < label.bottom; ++y) {
        for (int x = label.left; x < label.right; ++x) {
            const COLORREF c = pixels[y * client.right + x];
            if (c == RGB(255, 0, 0))
                ++red;
            else if (c == RGB(0, 0, 0))
                ++black;
            else if (GetGValue(c) != 0 || GetBValue(c) != 0)
                ++other; // smoothed edges of red on black stay pure shades of red
        }
    }
    EXPECT_GT(red, 100) << "no red digits";
    EXPECT_GT(black, red) << "no black ground";
    EXPECT_EQ(other, 0) << "colours other than red and black in the label";
    // The strip between the label and the buttons, and the right edge beside
    // the label, are client area painted black.
    const RECT gap = DialogRect(window, 0, 30, 127, 3);
    EXPECT_EQ(pixels[(gap.top + 1) * client.right + client.right / 2], RGB(0, 0, 0));
    EXPECT_EQ(pixels[5 * client.right + client.right - 1], RGB(0, 0, 0));
}

// Posts a key to the control that has the focus, as the keyboard would.
void PressKey(const TimerWindowRun& run, UINT key)
{
    HWND target = run.Focus() ? run.Focus() : run.Window();
    PostMessageW(target, WM_KEYDOWN, key, 0);
    PostMessageW(target, WM_KEYUP, key, 0xC0000000);
    Settle(100);
}

TEST_F(TimerWindow, TabMovesAmongTheEnabledButtonsAndSpaceClicks)
{
    ASSERT_EQ(run.RunState(), "Stopped");
    SetForegroundWindow(run.Window());
    Settle(200);
    PostMessageW(run.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(run.Control(ID_PLAY)), TRUE);
    Settle(100);
    ASSERT_EQ(run.Focus(), run.Control(ID_PLAY));
    // Stop is disabled while stopped, and the label is no tab stop.
    PressKey(run, VK_TAB);
    EXPECT_EQ(run.Focus(), run.Control(ID_RESET));
    PressKey(run, VK_TAB);
    EXPECT_EQ(run.Focus(), run.Control(ID_PLAY));

    PressKey(run, VK_SPACE);
    EXPECT_EQ(run.RunState(), "Running");
    // The only enabled button is Stop: Tab lands there and stays.
    PostMessageW(run.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(run.Control(ID_STOP)), TRUE);
    Settle(100);
    PressKey(run, VK_TAB);
    EXPECT_EQ(run.Focus(), run.Control(ID_STOP));
    PressKey(run, VK_SPACE);
    EXPECT_EQ(run.RunState(), "Stopped");
}

TEST_F(TimerWindow, OnlyTheSystemCloseCommandEndsIt)
{
    HWND window = run.Window();
    // Esc, Enter's IDOK, a bare WM_CLOSE, and WM_QUIT in the thread's queue.
    PressKey(run, VK_ESCAPE);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    PostThreadMessageW(run.threadId, WM_QUIT, 0, 0);
    Settle(200);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(run.RunState(), "Stopped");
    // The loop still delivers messages after WM_QUIT.
    run.Command(ID_PLAY);
    EXPECT_EQ(run.RunState(), "Running");

    EXPECT_EQ(run.Close(), 0) << "ShowTimerWindow's result";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(TimerWindow, ClosingDuringACountdownWritesNothing)
{
    const std::string before = ReadFileBytes(SettingsPath());
    const ULONGLONG written = LastWriteTime(SettingsPath());
    run.Command(ID_PLAY);
    run.Tick(ID_TICK_TIMER);
    run.Tick(ID_TICK_TIMER);
    EXPECT_EQ(run.Label(), "00:29:58");
    EXPECT_EQ(run.Close(), 0);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), before);
    EXPECT_EQ(LastWriteTime(SettingsPath()), written);
}

} // namespace
