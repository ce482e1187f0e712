// The timer window: a small tool window built from an in-memory dialog
// template, run modally by a message loop of its own, and ended by the system
// Close command.
#pragma once

#include <windows.h>

// The timer window, set as soon as it is created and never cleared.
extern HWND WindowHandle;

// The event handler that RunWindowModal hands every message of the window to.
// A result of 0 lets the dialog procedure go on with its own handling.
using WindowCallback = int (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the window, runs it until it is destroyed and returns the end result,
// always 0. Deletes the display font afterwards.
int ShowTimerWindow(HWND parent);

// Fills a zeroed LOGFONTA for the time label: bold Tahoma, 28 points at the
// screen's current resolution.
void MakeDisplayFont(LOGFONTA& font);

// The font height in pixels for 28 points at dotsPerInch, truncated.
constexpr LONG DisplayFontHeight(int dotsPerInch) { return -(28 * dotsPerInch) / 72; }

// Calls callback with WM_INITDIALOG and WM_SIZE while the window is hidden,
// then shows it and pumps messages until the window no longer exists.
int RunWindowModal(HWND window, WindowCallback callback);

INT_PTR CALLBACK TimerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stores result for RunWindowModal and destroys the window.
void EndWindowModal(HWND window, int result);
