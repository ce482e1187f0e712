// Window texts are composed as 8-bit text in the ANSI code page and handed to
// the window in UTF-16.
#pragma once

#include <windows.h>

// Converts zero-terminated ANSI text into a zero-terminated UTF-16 buffer,
// cutting it to fit.
void AnsiToWide(const char* text, wchar_t* wide, int wideCount);
void SetAnsiWindowText(HWND window, const char* text);
