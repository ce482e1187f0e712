#include "window/window_events.h"

#include "clock/countdown.h"
#include "settings/settings.h"
#include "window/ansi_text.h"
#include "window/control_ids.h"
#include "window/event_texts.h"
#include "window/hotkey.h"
#include "window/timer_window.h"

HWND SavedFocus = nullptr;

namespace {

// The run state is no variable: it is the timer together with these enabled
// states. Each handler changes the buttons in the order it lists them.
void EnableButton(int id, bool enabled)
{
    EnableWindow(GetDlgItem(WindowHandle, id), enabled ? TRUE : FALSE);
}

void OnInitialise(HWND window)
{
    StartHotkey(window);
    LoadSettingsAtStart();
    EnableButton(ID_STOP, false);
    EnableButton(ID_PLAY, true);
}

void OnPlay(HWND window)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    SetAnsiWindowText(WindowHandle, FormatClockTime(now.wHour, now.wMinute, now.wSecond).data());
    SetTimer(window, ID_TICK_TIMER, 1000, nullptr);
    EnableButton(ID_PLAY, false);
    EnableButton(ID_STOP, true);
    EnableButton(ID_RESET, false);
}

void OnStop(HWND window)
{
    KillTimer(window, ID_TICK_TIMER);
    EnableButton(ID_STOP, false);
    EnableButton(ID_PLAY, true);
    EnableButton(ID_RESET, true);
}

void OnReset()
{
    AccessSettings("get");
    ShowRemainingTime();
    EnableButton(ID_STOP, false);
    EnableButton(ID_PLAY, true);
    EnableButton(ID_RESET, true);
}

void OnCommand(HWND window, int id, int notification)
{
    // A click (BN_CLICKED) or an accelerator's command; other notifications
    // of the buttons are no request.
    if (notification != BN_CLICKED && notification != 1)
        return;
    switch (id) {
    case ID_PLAY: OnPlay(window); break;
    case ID_STOP: OnStop(window); break;
    case ID_RESET: OnReset(); break;
    default: break; // IDOK and IDCANCEL (Enter, Esc) among them: the window stays.
    }
}

// Keeps the keyboard focus across deactivation, hiding included.
void OnFrameActivation(bool active)
{
    if (!active) {
        SavedFocus = GetFocus();
    } else if (SavedFocus) {
        SetFocus(SavedFocus);
        SavedFocus = nullptr;
    }
}

} // namespace

int TimerWindowCallback(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnInitialise(window); break;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_TIMER:
        if (wParam == ID_TICK_TIMER)
            TickCountdown(window);
        break;
    case WM_NCACTIVATE: OnFrameActivation(wParam != FALSE); break;
    case WM_HOTKEY: ToggleWindowVisibility(window, wParam); break;
    case WM_DESTROY: ReleaseHotkey(window); break;
    default: break;
    }
    return 0;
}
