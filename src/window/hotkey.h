// Alt+T hides and shows the timer window from any application. The hotkey's
// identifier is a global atom named after the local time of the start.
#pragma once

#include <windows.h>

#include <cstdint>

// The atom, which is also the hotkey's identifier; 0 when it could not be made.
extern uint32_t HotkeyAtom;
// 1 while the window counts as shown. The toggle goes by this flag alone.
extern int WindowVisible;

// Creates the atom and registers Alt+T for window.
void StartHotkey(HWND window);
// On WM_HOTKEY: hides a shown window, shows a hidden one.
void ToggleWindowVisibility(HWND window, WPARAM hotkeyId);
// Unregisters the hotkey and deletes the atom.
void ReleaseHotkey(HWND window);
