#include "window/hotkey.h"

#include "window/event_texts.h"

uint32_t HotkeyAtom = 0;
int WindowVisible = 0;

namespace {
constexpr UINT kKeyT = 0x54;
constexpr UINT kRepaintNow = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;
} // namespace

void StartHotkey(HWND window)
{
    // The window is shown right after the initialisation.
    WindowVisible = 1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const AtomName name = MakeHotkeyAtomName(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    HotkeyAtom = GlobalAddAtomA(name.data());
    // Fails quietly when another program holds Alt+T; the window then simply
    // has no hotkey.
    RegisterHotKey(window, static_cast<int>(HotkeyAtom), MOD_ALT, kKeyT);
}

void ToggleWindowVisibility(HWND window, WPARAM hotkeyId)
{
    if (hotkeyId != HotkeyAtom)
        return;
    if (WindowVisible) {
        ShowWindow(window, SW_HIDE);
        RedrawWindow(window, nullptr, nullptr, kRepaintNow);
        WindowVisible = 0;
    } else {
        ShowWindow(window, SW_SHOW);
        RedrawWindow(window, nullptr, nullptr, kRepaintNow);
        WindowVisible = 1;
    }
}

void ReleaseHotkey(HWND window)
{
    UnregisterHotKey(window, static_cast<int>(HotkeyAtom));
    GlobalDeleteAtom(static_cast<ATOM>(HotkeyAtom));
}
