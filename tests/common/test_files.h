// Helpers shared by the tests that run the program's Win32 code under Wine,
// in this process or in another: files on disk as the program sees them,
// window texts, and keys typed as the keyboard would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// UTF-8 of a path, for failure messages.
std::string Utf8(const std::wstring& text);

// The path in the form that the file system takes at any length.
std::wstring LongPath(const std::wstring& path);

// Writes path with content and gives it a modification time of its own, in
// the past, so that a profile cache keyed on that time cannot serve an older
// content and a later write by the program would show.
bool WriteFileWithNewTime(const std::wstring& path, const std::string& content);
// The file's bytes; "<missing>" when it cannot be opened.
std::string ReadFileBytes(const std::wstring& path);
// 0 when the file is missing.
ULONGLONG LastWriteTime(const std::wstring& path);
// The lines of a settings file without line ends and blank lines; a value's
// leading blank, kept or dropped by the profile writer, is dropped.
std::vector<std::string> SettingsLines(const std::string& bytes);

// SettingsLines of the file that the program creates at first start.
std::vector<std::string> FirstStartLines();

// The text of a window of any process; "<no answer>" when it does not answer.
std::string TextOf(HWND window);
// Alt+T typed on the keyboard of this session.
void TypeAltT();

// The run state that the timer window's buttons show: "Stopped", "Running",
// "Finished", or the three enabled flags when they match none of them.
std::string RunStateOf(HWND timerWindow);
