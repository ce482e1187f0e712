// The process around the timer window.
#pragma once

#include <windows.h>

// Runs the timer window until it is closed and returns 0. The arguments are
// those of a classic Windows entry and none of them is used.
int AppMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int showCommand);
