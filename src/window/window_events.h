// The timer window's event handler: initialisation, the Play, Stop and Reset
// buttons, the one-second timer, the keyboard focus, and the hotkey.
#pragma once

#include <windows.h>

// The control that had the focus when the window was last deactivated, to be
// given it back on activation; NULL when there is nothing to restore.
extern HWND SavedFocus;

// Handles one message of the timer window and returns 0 in all cases, so that
// the dialog procedure's own handling always follows.
int TimerWindowCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
