// Process start-up and exit: the DLL search, the Windows version test, COM and
// the common controls, the timer window, and ExitProcess with its result.
#include "app/app.h"

#include <commctrl.h>
#include <objbase.h>

#include "window/timer_window.h"

int AppMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    ShowTimerWindow(nullptr);
    return 0;
}

namespace {

// True on a Windows of the NT family, the only one the program supports.
bool IsWindowsNT()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The show command the program was started with. The window is always shown
// with SW_SHOW, so this is only handed on.
int StartupShowCommand()
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// The command line after the program's name; the program has no options.
LPWSTR CommandLineArguments()
{
    LPWSTR text = GetCommandLineW();
    bool quoted = false;
    for (; *text != L'\0'; ++text) {
        if (*text == L'"')
            quoted = !quoted;
        else if (!quoted && (*text == L' ' || *text == L'\t'))
            break;
    }
    while (*text == L' ' || *text == L'\t')
        ++text;
    return text;
}

// A portable program is often started from a downloads folder, where anything
// may lie beside it; a system DLL that some component loads by its bare name
// would be taken from there first. From here on such names are looked up in
// the system folder only. The function is looked up rather than imported, so
// that the program still starts on a Windows that lacks it.
void RestrictDllSearchToSystemFolder()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

extern "C" void WINAPI TimerEntryPoint()
{
    RestrictDllSearchToSystemFolder();
    if (!IsWindowsNT()) {
        MessageBoxA(nullptr, "Win98 No Support", nullptr, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
        ExitProcess(255);
    }
    const int showCommand = StartupShowCommand();
    LPWSTR commandLine = CommandLineArguments();
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                         ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS |
                                         ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS |
                                         ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const int exitCode = AppMain(instance, nullptr, commandLine, showCommand);

    CoUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}
