#include "window/timer_window.h"

#include <array>

#include "res/resource.h"
#include "window/ansi_text.h"
#include "window/control_ids.h"
#include "window/hotkey.h"
#include "window/window_events.h"

HWND WindowHandle = nullptr;

namespace {

// State of the one modal run; there is only one window.
WindowCallback RegisteredCallback = nullptr;
int ModalEndResult = 0;

// Objects owned by the window and released on WM_NCDESTROY.
HBRUSH BackgroundBrush = nullptr;
HICON BigIcon = nullptr;
HICON SmallIcon = nullptr;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// An extended dialog template without items, laid out as the dialog manager
// reads it: 16-bit units, 32-bit fields as two units, low half first.
struct DialogTemplate {
    alignas(4) std::array<WORD, 64> units{};
    std::size_t count = 0;

    void Add(WORD value) { units[count++] = value; }
    void Add32(DWORD value)
    {
        Add(LOWORD(value));
        Add(HIWORD(value));
    }
    void AddText(const wchar_t* text)
    {
        do
            Add(static_cast<WORD>(*text));
        while (*text++ != L'\0');
    }
};

DialogTemplate MakeWindowTemplate()
{
    DialogTemplate t;
    t.Add(1);      // dlgVer
    t.Add(0xFFFF); // signature of the extended template
    t.Add32(0);    // helpID
    t.Add32(WS_EX_TOOLWINDOW);
    t.Add32(WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK);
    t.Add(0); // no items: the controls are created one by one
    t.Add(0); // x and y: DS_CENTER places the window
    t.Add(0);
    t.Add(127); // client width and height in dialog units
    t.Add(44);
    t.Add(0); // no menu
    t.Add(0); // the system's dialog class
    t.AddText(L" "); // the caption is set right after creation
    t.Add(8);        // point size
    t.Add(FW_BOLD);
    t.Add(0); // italic and charset, one byte each
    t.AddText(L"MS Sans Serif");
    return t;
}

struct ControlLayout {
    int id;
    const wchar_t* className;
    const char* text;
    short x, y, width, height;
    DWORD style;
};

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr ControlLayout kLabelLayout = {ID_TIME_LABEL, L"STATIC", "", 0, 0, 125, 30,
                                        WS_CHILD | WS_VISIBLE | SS_CENTER};
constexpr std::array<ControlLayout, 3> kButtonLayouts = {{
    {ID_PLAY, L"BUTTON", "Play", 0, 33, 35, 10, kButtonStyle},
    {ID_STOP, L"BUTTON", "Stop", 43, 33, 40, 10, kButtonStyle},
    {ID_RESET, L"BUTTON", "Reset", 91, 33, 35, 10, kButtonStyle},
}};

// Creates one control at its place in dialog units. The corners are mapped, not
// the size, so that neighbouring controls keep their gaps exactly.
void CreateControl(const ControlLayout& layout, HINSTANCE instance, HFONT windowFont)
{
    RECT area = {layout.x, layout.y, layout.x + layout.width, layout.y + layout.height};
    MapDialogRect(WindowHandle, &area);
    wchar_t text[16];
    AnsiToWide(layout.text, text, 16);
    HWND control = CreateWindowExW(0, layout.className, text, layout.style, area.left, area.top,
                                   area.right - area.left, area.bottom - area.top, WindowHandle,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont), TRUE);
}

// Loads the icon in both sizes; without the big one the window gets none.
void SetWindowIcons(HINSTANCE instance)
{
    BigIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TIMER_ICON), IMAGE_ICON, 32, 32, 0));
    if (!BigIcon)
        return;
    SendMessageW(WindowHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(BigIcon));
    SmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TIMER_ICON), IMAGE_ICON, 16, 16, 0));
    SendMessageW(WindowHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon));
}

// Black ground for the window and the label, red digits in the label; the
// buttons keep the system's colours.
INT_PTR AnswerColourMessage(HWND window, UINT message, HDC dc, HWND target)
{
    if (message == WM_CTLCOLORDLG && target == window) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, kBlack);
        return reinterpret_cast<INT_PTR>(BackgroundBrush);
    }
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(target) == ID_TIME_LABEL) {
        SetTextColor(dc, kRed);
        SetBkColor(dc, kBlack);
        return reinterpret_cast<INT_PTR>(BackgroundBrush);
    }
    return 0;
}

void ReleaseWindowObjects()
{
    DeleteObject(BackgroundBrush);
    BackgroundBrush = nullptr;
    if (BigIcon)
        DestroyIcon(BigIcon);
    if (SmallIcon)
        DestroyIcon(SmallIcon);
    BigIcon = nullptr;
    SmallIcon = nullptr;
}

} // namespace

int ShowTimerWindow(HWND parent)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const DialogTemplate windowTemplate = MakeWindowTemplate();
    HWND window = CreateDialogIndirectParamW(
        instance, reinterpret_cast<LPCDLGTEMPLATEW>(windowTemplate.units.data()), parent, TimerDialogProc, 0);
    SetAnsiWindowText(window, "Marcasegundo Pulse");
    const HFONT windowFont = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    WindowHandle = window;

    SetWindowIcons(instance);
    BackgroundBrush = CreateSolidBrush(kBlack);
    CreateControl(kLabelLayout, instance, windowFont);
    for (const ControlLayout& layout : kButtonLayouts)
        CreateControl(layout, instance, windowFont);

    LOGFONTA font{};
    MakeDisplayFont(font);
    const HFONT displayFont = CreateFontIndirectA(&font);
    SendMessageA(GetDlgItem(WindowHandle, ID_TIME_LABEL), WM_SETFONT, reinterpret_cast<WPARAM>(displayFont), FALSE);

    const int result = RunWindowModal(WindowHandle, TimerWindowCallback);
    // Without a window no WM_DESTROY came to release what the initialisation made.
    if (!WindowHandle)
        ReleaseHotkey(nullptr);
    DeleteObject(displayFont);
    return result;
}

void MakeDisplayFont(LOGFONTA& font)
{
    HDC screen = GetDC(nullptr);
    const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font.lfHeight = DisplayFontHeight(dotsPerInch);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = ANSI_CHARSET;
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
}

int RunWindowModal(HWND window, WindowCallback callback)
{
    SetForegroundWindow(window);
    callback(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(window), 0);
    RECT client{};
    GetClientRect(window, &client);
    callback(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    ModalEndResult = 0;
    if (!IsWindow(window))
        return ModalEndResult;
    RegisteredCallback = callback;
    ShowWindow(window, SW_SHOW);

    // Polls rather than blocks; WM_QUIT means nothing here, only the
    // window's destruction ends the run. A message sent from another thread
    // or process can destroy the window inside PeekMessageW, so an empty
    // queue is a moment to check too.
    MSG message;
    for (;;) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsWindow(window))
                break;
            Sleep(1);
            continue;
        }
        if (!IsWindow(window) || !IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!IsWindow(window))
            break;
    }
    RegisteredCallback = nullptr;
    return ModalEndResult;
}

INT_PTR CALLBACK TimerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The WM_INITDIALOG of creation returns FALSE so that no focus is set
    // before the window is shown; activation is left to the system.
    if (message == WM_INITDIALOG || message == WM_ACTIVATE)
        return FALSE;
    if (RegisteredCallback)
        RegisteredCallback(window, message, wParam, lParam);
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return AnswerColourMessage(window, message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE)
            return FALSE;
        EndWindowModal(window, 0);
        return TRUE;
    case WM_NCDESTROY:
        ReleaseWindowObjects();
        // FALSE lets the dialog manager free the font it made from the template.
        return FALSE;
    default:
        return FALSE;
    }
}

void EndWindowModal(HWND window, int result)
{
    ModalEndResult = result;
    SendMessageA(window, WM_CLOSE, 0, 0);
    DestroyWindow(window);
}
