// Helpers for tests that run the program's real Win32 code under Wine: the
// settings file on disk, window texts and states, and the timer window run
// on a thread of its own so that a test can drive it the way a user would.
#pragma once

#include <windows.h>

#include <string>

#include "test_files.h"

// The settings file beside the test executable, where the program looks for it.
std::wstring ExecutableFolder();
std::wstring SettingsPath();

void WriteSettingsFile(const std::string& content);
void RemoveSettings();

// A top-level window holding the label and buttons with the program's ids,
// made the program's WindowHandle; destroyed with this object.
struct ControlsWindow {
    HWND window = nullptr;
    ControlsWindow();
    ~ControlsWindow();
    std::string Label() const;
    bool Enabled(int id) const;
};

// The real timer window, built by ShowTimerWindow on a thread of its own. The
// test thread reads its state and sends it messages as an automation tool
// would. A run still open at the end is closed, and a hang fails the test
// instead of stalling it.
struct TimerWindowRun {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    int result = -1;

    // Starts the window and waits until it is shown. False on time-out.
    bool Start();
    // The system Close command, as the close box gives it; waits for
    // ShowTimerWindow to return and gives its result, or -1 on time-out.
    int Close();
    ~TimerWindowRun();

    HWND Window() const;
    HWND Control(int id) const;
    std::string Label() const;
    std::string Caption() const;
    bool Enabled(int id) const;
    // "Stopped", "Running", "Finished", or the three enabled flags when the
    // buttons match none of them.
    std::string RunState() const;
    void Command(int id, int notification = BN_CLICKED) const;
    void Tick(WPARAM timerId) const;
    // The control that has the keyboard focus in the window's thread.
    HWND Focus() const;
};

// Lets the window's thread handle what is queued for it.
void Settle(DWORD milliseconds = 50);
