// Helpers for tests that run the real timer executable in a process of its
// own and drive it from outside, as a UI-automation tool would: folders and
// files for it, its start and end, and its window's texts and states. Every
// wait has a time limit, so a hang fails a test instead of stalling it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "test_files.h"

#include <functional>
#include <string>
#include <vector>

// Limits of the waits, in milliseconds.
constexpr DWORD kStartLimit = 15000;
constexpr DWORD kExitLimit = 10000;
constexpr DWORD kMessageLimit = 5000;

// Polls condition every 10 ms until it holds or limit ms have passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD limit);

// Folders and files. Paths may be longer than MAX_PATH: the helpers hand
// them to the file system with the "\\?\" prefix.
std::wstring TestExecutableFolder();
// A fresh, empty folder under the temporary folder, ending with a backslash.
std::wstring MakeTestFolder();
// Creates each missing folder of path; true when the last one exists.
bool MakeFolders(const std::wstring& path);
void RemoveFolderTree(const std::wstring& folder);
// Every file under folder, as UTF-8 paths relative to it, sorted.
std::vector<std::string> FilesUnder(const std::wstring& folder);
// Copies the timer executable from beside this test into folder, named
// exeName; gives the copy's full path, or an empty text on failure.
std::wstring CopyTimerInto(const std::wstring& folder, const std::wstring& exeName = L"MarcasegundoPulse.exe");

// A settings file with the start hours:minutes:seconds, in a form that the
// program would never write: two digits each and no "Color" section. A
// rewrite of the file, even with the same values, therefore shows.
std::string SettingsText(int hours, int minutes, int seconds);
// A top-level window of the process whose class is className (null: any) and
// whose caption is caption (null: any).
HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* caption);
// The texts of a window's children of class "Static", joined by "|".
std::string StaticTexts(HWND window);
// "HH:MM:SS" as seconds; -1 when the text has another form.
int TimeTextSeconds(const std::string& text);
// The visible top-level windows of a process other than except, each as
// "class:caption": a message box or any other window beside the timer's.
std::vector<std::string> OtherVisibleWindows(DWORD processId, HWND except);
// Empty when the file at path holds exactly content and was last written at
// writeTime; otherwise what differs (sizes, the first differing byte, the
// times), short enough for a failure message even for a large file.
std::string FileChange(const std::wstring& path, const std::string& content, ULONGLONG writeTime);

// The timer executable running in a process of its own. A process still
// running when this ends is terminated, so a failed test leaves none behind.
struct TimerProcess {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    DWORD startError = 0;

    // Starts exePath with arguments after its quoted name. False, with
    // startError set, when the process cannot be created.
    bool Launch(const std::wstring& exePath, const std::wstring& arguments = L"");
    // Launch, then waits until the timer window is shown. False on failure,
    // time-out or an early exit.
    bool Start(const std::wstring& exePath, const std::wstring& arguments = L"");
    // Why Launch or Start failed, for a failure message.
    std::string StartFailure() const;
    bool Running() const;
    // The process's exit code once it has ended, -1 when it is still running
    // after limit ms.
    int WaitForExit(DWORD limit = kExitLimit);
    // The system Close command, as the close box gives it; then WaitForExit.
    int Close();
    ~TimerProcess();

    HWND Control(int id) const;
    std::string Label() const;
    std::string Caption() const;
    bool Enabled(int id) const;
    bool Visible() const;
    // "Stopped", "Running", "Finished", or the three enabled flags when the
    // buttons match none of them.
    std::string RunState() const;
    // BM_CLICK on a button; false when the window does not answer.
    bool Click(int id) const;
};

// Drives a stopped timer through Play, its first tick, Stop and Reset, and
// checks each step: the label shows start (which must not be 00:00:00) at
// first, one second less after the tick, and start again after Reset; the
// buttons follow the run. Empty when all held, else the first step that
// went wrong with what the window showed.
std::string SessionProblem(const TimerProcess& timer, const std::string& start);

// A fresh folder for each test, removed afterwards; each case of a test gets
// a folder of its own under it, holding a copy of the timer.
class TimerFolderTest : public ::testing::Test {
protected:
    void SetUp() override { root = MakeTestFolder(); }
    void TearDown() override { RemoveFolderTree(root); }

    // Makes root + name with a copy of the timer in it; sets exe and settings
    // to the copy and its settings file, and gives the folder.
    std::wstring CaseFolder(const std::wstring& name);

    std::wstring root;
    std::wstring exe;
    std::wstring settings;
};
