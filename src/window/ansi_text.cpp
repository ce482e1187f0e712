#include "window/ansi_text.h"

void AnsiToWide(const char* text, wchar_t* wide, int wideCount)
{
    const int written = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, wideCount);
    // A text too long for the buffer converts to nothing; keep the buffer terminated.
    if (written == 0)
        wide[0] = L'\0';
    wide[wideCount - 1] = L'\0';
}

void SetAnsiWindowText(HWND window, const char* text)
{
    wchar_t wide[64];
    AnsiToWide(text, wide, 64);
    SetWindowTextW(window, wide);
}
