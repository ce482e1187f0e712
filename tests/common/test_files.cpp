#include "test_files.h"

#include "window/control_ids.h"

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

std::wstring LongPath(const std::wstring& path)
{
    return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

bool WriteFileWithNewTime(const std::wstring& path, const std::string& content)
{
    static ULONGLONG nextTime = 0;
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    // Whole seconds apart and an hour back, so that no two writes share a time
    // and none shares one with a write made now.
    if (nextTime == 0) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        nextTime = ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart - 3600ull * 10000000ull;
    }
    nextTime += 20000000ull;
    const FILETIME stamp = {static_cast<DWORD>(nextTime), static_cast<DWORD>(nextTime >> 32)};
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return written == content.size();
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0)
        bytes.append(buffer, count);
    CloseHandle(file);
    return bytes;
}

ULONGLONG LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ULARGE_INTEGER{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}}.QuadPart;
}

std::vector<std::string> SettingsLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && equals + 1 < line.size() && line[equals + 1] == ' ')
            line.erase(equals + 1, 1);
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> FirstStartLines()
{
    return {"[Tiempo]", "Horas=0", "Minutos=30", "Segundos=0", "[Color]", "Fuente=255"};
}

std::string TextOf(HWND window)
{
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                             &copied))
        return "<no answer>";
    return Utf8(text);
}

void TypeAltT()
{
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_MENU, 'T', 'T', VK_MENU};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
}

std::string RunStateOf(HWND timerWindow)
{
    const auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(timerWindow, id)) != FALSE; };
    const bool play = enabled(ID_PLAY), stop = enabled(ID_STOP), reset = enabled(ID_RESET);
    if (play && !stop && reset)
        return "Stopped";
    if (!play && stop && !reset)
        return "Running";
    if (!play && !stop && reset)
        return "Finished";
    return std::string("play=") + (play ? "1" : "0") + " stop=" + (stop ? "1" : "0") + " reset=" + (reset ? "1" : "0");
}
