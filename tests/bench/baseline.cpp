// The floor the timer's costs are measured against: one window with one
// static text and nothing else. It is built and linked with the timer's
// options, so what the timer costs beyond it is what its own features cost.
//
// Built twice: by default with the timer's polling message loop, so that the
// loop's cost is on both sides of the comparison; with BASELINE_WAITS_FOR_MESSAGES
// defined, with a loop that blocks in GetMessageW, which shows what polling
// itself costs.
#include <windows.h>

namespace {

constexpr int kLabelId = 1001; // the id the measuring program reads

LRESULT CALLBACK BaselineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Ends the blocking loop; the polling loop ignores WM_QUIT and ends when
    // the window is gone.
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

extern "C" void WINAPI BaselineEntryPoint()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BaselineWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BaselineWindow";
    RegisterClassW(&windowClass);

    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"BaselineWindow", L"Baseline", WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 260, 120, nullptr, nullptr, instance, nullptr);
    CreateWindowExW(0, L"STATIC", L"00:30:00", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 250, 60, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), instance, nullptr);
    ShowWindow(window, SW_SHOW);

    MSG message;
#ifdef BASELINE_WAITS_FOR_MESSAGES
    // Sleeps in the system until a message comes; ends with the WM_QUIT that
    // the window's destruction posts.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
#else
    // The timer's loop: poll, sleep 1 ms on an empty queue, end with the window.
    for (;;) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsWindow(window))
                break;
            Sleep(1);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (!IsWindow(window))
            break;
    }
#endif
    ExitProcess(0);
}
