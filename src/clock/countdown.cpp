#include "clock/countdown.h"

#include "window/ansi_text.h"
#include "window/control_ids.h"
#include "window/timer_window.h"

TimeRecord RemainingTime{};

static void ShowTimeText(HWND window)
{
    SetAnsiWindowText(GetDlgItem(window, ID_TIME_LABEL), FormatTimeText(RemainingTime).data());
}

void ShowRemainingTime()
{
    NormaliseTime(RemainingTime);
    ShowTimeText(WindowHandle);
}

void TickCountdown(HWND window)
{
    StepTime(RemainingTime);
    ShowTimeText(window);
    if (!IsTimeZero(RemainingTime))
        return;
    KillTimer(window, ID_TICK_TIMER);
    EnableWindow(GetDlgItem(window, ID_STOP), FALSE);
    EnableWindow(GetDlgItem(window, ID_PLAY), FALSE);
    EnableWindow(GetDlgItem(window, ID_RESET), TRUE);
}
