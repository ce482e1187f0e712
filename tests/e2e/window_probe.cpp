// Reports and works the timer window of another process in this Wine
// session, for the shell tests: one drives the timer with the real X mouse
// and keyboard and needs to know where the buttons are and what state they
// are in; another makes conditions that only the Unix side can make.
//
//   window_probe          prints the window and its four controls, one line
//                         each: "window visible=V rect=L,T,R,B caption=TEXT"
//                         and "control ID enabled=E visible=V rect=L,T,R,B
//                         text=TEXT"; rectangles in screen coordinates;
//                         then "others N": the count of other visible
//                         top-level windows of the timer's process, such as
//                         a message box. Exit code 1 when no timer window
//                         exists.
//   window_probe alt-t    types Alt+T on this session's keyboard.
//   window_probe click ID clicks the timer's control ID (BM_CLICK).
//   window_probe close    sends the timer window the system Close command.
//
// The timer window is found by its controls, not by its caption, which Play
// replaces with the local time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "test_files.h"
#include "window/control_ids.h"

namespace {

BOOL CALLBACK MatchTimerWindow(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0 && GetDlgItem(window, ID_TIME_LABEL) && GetDlgItem(window, ID_PLAY) &&
        GetDlgItem(window, ID_STOP) && GetDlgItem(window, ID_RESET)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void PrintText(HWND window)
{
    std::printf("%s", TextOf(window).c_str());
}

void PrintRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("rect=%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom);
}

struct OtherWindowCount {
    HWND timer;
    DWORD processId;
    int count;
};

BOOL CALLBACK CountOtherWindow(HWND window, LPARAM data)
{
    auto& others = *reinterpret_cast<OtherWindowCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == others.processId && window != others.timer && IsWindowVisible(window))
        ++others.count;
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "alt-t") == 0) {
        TypeAltT();
        return 0;
    }
    HWND window = nullptr;
    EnumWindows(MatchTimerWindow, reinterpret_cast<LPARAM>(&window));
    if (!window) {
        std::printf("no timer window\n");
        return 1;
    }
    if (argc > 2 && std::strcmp(argv[1], "click") == 0) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(GetDlgItem(window, std::atoi(argv[2])), BM_CLICK, 0, 0, SMTO_NORMAL, 5000,
                                   &result)
                   ? 0
                   : 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "close") == 0)
        return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    std::printf("window visible=%d ", IsWindowVisible(window) ? 1 : 0);
    PrintRect(window);
    std::printf(" caption=");
    PrintText(window);
    std::printf("\n");
    for (int id : {ID_TIME_LABEL, ID_PLAY, ID_STOP, ID_RESET}) {
        HWND control = GetDlgItem(window, id);
        std::printf("control %d enabled=%d visible=%d ", id, IsWindowEnabled(control) ? 1 : 0,
                    IsWindowVisible(control) ? 1 : 0);
        PrintRect(control);
        std::printf(" text=");
        PrintText(control);
        std::printf("\n");
    }
    OtherWindowCount others = {window, 0, 0};
    GetWindowThreadProcessId(window, &others.processId);
    EnumWindows(CountOtherWindow, reinterpret_cast<LPARAM>(&others));
    std::printf("others %d\n", others.count);
    return 0;
}
