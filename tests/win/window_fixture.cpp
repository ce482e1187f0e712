#include "window_fixture.h"

#include <gtest/gtest.h>

#include "clock/countdown.h"
#include "window/control_ids.h"
#include "window/hotkey.h"
#include "window/timer_window.h"
#include "window/window_events.h"

std::wstring ExecutableFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring SettingsPath() { return ExecutableFolder() + L"Configuracion.ini"; }

void WriteSettingsFile(const std::string& content)
{
    EXPECT_TRUE(WriteFileWithNewTime(SettingsPath(), content)) << "cannot write the settings file";
}

void RemoveSettings()
{
    const std::wstring path = SettingsPath();
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.c_str());
}

ControlsWindow::ControlsWindow()
{
    window = CreateWindowExW(0, L"STATIC", L"controls", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                             nullptr, nullptr);
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 40, window,
                    reinterpret_cast<HMENU>(ID_TIME_LABEL), nullptr, nullptr);
    for (int id : {ID_PLAY, ID_STOP, ID_RESET})
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 50, 50, 20, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    WindowHandle = window;
}

ControlsWindow::~ControlsWindow()
{
    DestroyWindow(window);
    WindowHandle = nullptr;
}

std::string ControlsWindow::Label() const { return TextOf(GetDlgItem(window, ID_TIME_LABEL)); }
bool ControlsWindow::Enabled(int id) const { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

namespace {

DWORD WINAPI RunTimerWindow(LPVOID run)
{
    static_cast<TimerWindowRun*>(run)->result = ShowTimerWindow(nullptr);
    return 0;
}

constexpr DWORD kWaitLimit = 10000;

} // namespace

bool TimerWindowRun::Start()
{
    WindowHandle = nullptr;
    SavedFocus = nullptr;
    thread = CreateThread(nullptr, 0, RunTimerWindow, this, 0, &threadId);
    for (DWORD waited = 0; waited < kWaitLimit; waited += 10) {
        if (WindowHandle && IsWindowVisible(WindowHandle))
            return true;
        Sleep(10);
    }
    return false;
}

int TimerWindowRun::Close()
{
    if (!thread)
        return result;
    if (IsWindow(Window()))
        SendMessageTimeoutW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, kWaitLimit, nullptr);
    if (WaitForSingleObject(thread, kWaitLimit) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the timer window did not end its run";
        return -1;
    }
    CloseHandle(thread);
    thread = nullptr;
    return result;
}

TimerWindowRun::~TimerWindowRun() { Close(); }

HWND TimerWindowRun::Window() const { return WindowHandle; }
HWND TimerWindowRun::Control(int id) const { return GetDlgItem(Window(), id); }
std::string TimerWindowRun::Label() const { return TextOf(Control(ID_TIME_LABEL)); }
std::string TimerWindowRun::Caption() const { return TextOf(Window()); }
bool TimerWindowRun::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

std::string TimerWindowRun::RunState() const { return RunStateOf(Window()); }

void TimerWindowRun::Command(int id, int notification) const
{
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(Control(id)));
}

void TimerWindowRun::Tick(WPARAM timerId) const { SendMessageW(Window(), WM_TIMER, timerId, 0); }

HWND TimerWindowRun::Focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId, &info);
    return info.hwndFocus;
}

void Settle(DWORD milliseconds)
{
    Sleep(milliseconds);
}
