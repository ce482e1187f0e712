// The countdown as the timer window shows it: the remaining time, its display
// in the time label, and the one-second step that ends the run at zero.
#pragma once

#include <windows.h>

#include "clock/time_record.h"

// All fields 0 until the settings are loaded.
extern TimeRecord RemainingTime;

// Normalises RemainingTime and shows it in the label of the timer window.
void ShowRemainingTime();
// One timer tick: one second off, shown in window's label; at zero the timer
// is killed and only Reset stays enabled.
void TickCountdown(HWND window);
