#include "timer_process.h"

#include <algorithm>
#include <cstdio>

#include "window/control_ids.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD limit)
{
    const ULONGLONG end = GetTickCount64() + limit;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(10);
    }
}


namespace {


void CollectFiles(const std::wstring& folder, const std::wstring& relative, std::vector<std::string>& files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongPath(folder + relative + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(folder, relative + name + L"\\", files);
        else
            files.push_back(Utf8(relative + name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

std::wstring TestExecutableFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, length);
    return full.substr(0, full.rfind(L'\\') + 1);
}

std::wstring MakeTestFolder()
{
    static int count = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++count) + L"\\";
    RemoveFolderTree(folder);
    MakeFolders(folder);
    return folder;
}

bool MakeFolders(const std::wstring& path)
{
    const std::wstring folder = path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
    // Each backslash after the drive's ends one folder of the path.
    for (std::size_t end = folder.find(L'\\', 3); end != std::wstring::npos; end = folder.find(L'\\', end + 1))
        CreateDirectoryW(LongPath(folder.substr(0, end)).c_str(), nullptr);
    CreateDirectoryW(LongPath(folder).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(LongPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFolderTree(const std::wstring& folder)
{
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongPath(base + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolderTree(base + name);
            } else {
                SetFileAttributesW(LongPath(base + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(LongPath(base + name).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(LongPath(base.substr(0, base.size() - 1)).c_str());
}

std::vector<std::string> FilesUnder(const std::wstring& folder)
{
    std::vector<std::string> files;
    CollectFiles(folder.back() == L'\\' ? folder : folder + L"\\", L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring CopyTimerInto(const std::wstring& folder, const std::wstring& exeName)
{
    const std::wstring source = TestExecutableFolder() + L"MarcasegundoPulse.exe";
    const std::wstring target = folder + exeName;
    if (!CopyFileW(source.c_str(), LongPath(target).c_str(), FALSE))
        return L"";
    return target;
}

std::string SettingsText(int hours, int minutes, int seconds)
{
    char text[80];
    std::snprintf(text, sizeof text, "[Tiempo]\r\nHoras=%02d\r\nMinutos=%02d\r\nSegundos=%02d\r\n", hours, minutes, seconds);
    return text;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId)
        return TRUE;
    wchar_t text[256] = {};
    if (search.className) {
        GetClassNameW(window, text, 256);
        if (lstrcmpiW(text, search.className) != 0)
            return TRUE;
    }
    if (search.caption) {
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, search.caption) != 0)
            return TRUE;
    }
    search.found = window;
    return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM data)
{
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    if (lstrcmpiW(className, L"Static") == 0) {
        const std::string text = TextOf(child);
        if (!text.empty()) {
            auto& texts = *reinterpret_cast<std::string*>(data);
            texts += (texts.empty() ? "" : "|") + text;
        }
    }
    return TRUE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* caption)
{
    WindowSearch search = {processId, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string StaticTexts(HWND window)
{
    std::string texts;
    EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

int TimeTextSeconds(const std::string& text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return -1;
    for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
    }
    const auto two = [&](std::size_t i) { return (text[i] - '0') * 10 + (text[i + 1] - '0'); };
    return two(0) * 3600 + two(3) * 60 + two(6);
}

bool TimerProcess::Launch(const std::wstring& exePath, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + exePath + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        startError = GetLastError();
        info = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool TimerProcess::Start(const std::wstring& exePath, const std::wstring& arguments)
{
    if (!Launch(exePath, arguments))
        return false;
    WaitUntil(
        [&] {
            window = FindProcessWindow(info.dwProcessId, L"#32770", L"Marcasegundo Pulse");
            return (window && IsWindowVisible(window)) || !Running();
        },
        kStartLimit);
    return window && IsWindowVisible(window);
}

std::string TimerProcess::StartFailure() const
{
    if (startError != 0)
        return "CreateProcessW failed with error " + std::to_string(startError);
    if (info.hProcess && !Running()) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return "the process ended with code " + std::to_string(code) + " before its window showed";
    }
    return "no visible window captioned \"Marcasegundo Pulse\" within " + std::to_string(kStartLimit) + " ms";
}

bool TimerProcess::Running() const
{
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

int TimerProcess::WaitForExit(DWORD limit)
{
    if (!info.hProcess || WaitForSingleObject(info.hProcess, limit) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return static_cast<int>(code);
}

int TimerProcess::Close()
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForExit();
}

TimerProcess::~TimerProcess()
{
    if (Running()) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, kExitLimit);
    }
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
}

HWND TimerProcess::Control(int id) const { return GetDlgItem(window, id); }
std::string TimerProcess::Label() const { return TextOf(Control(ID_TIME_LABEL)); }
std::string TimerProcess::Caption() const { return TextOf(window); }
bool TimerProcess::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
bool TimerProcess::Visible() const { return IsWindowVisible(window) != FALSE; }

std::string TimerProcess::RunState() const { return RunStateOf(window); }

bool TimerProcess::Click(int id) const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(Control(id), BM_CLICK, 0, 0, SMTO_NORMAL, kMessageLimit, &result) != 0;
}

namespace {

struct VisibleWindowSearch {
    DWORD processId;
    HWND except;
    std::vector<std::string> windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<VisibleWindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && window != search.except && IsWindowVisible(window)) {
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        search.windows.push_back(Utf8(className) + ":" + TextOf(window));
    }
    return TRUE;
}

} // namespace

std::vector<std::string> OtherVisibleWindows(DWORD processId, HWND except)
{
    VisibleWindowSearch search = {processId, except, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::string FileChange(const std::wstring& path, const std::string& content, ULONGLONG writeTime)
{
    const std::string bytes = ReadFileBytes(path);
    std::string change;
    if (bytes != content) {
        std::size_t first = 0;
        while (first < bytes.size() && first < content.size() && bytes[first] == content[first])
            ++first;
        std::string excerpt = bytes.substr(first, 40);
        for (char& c : excerpt)
            c = c >= ' ' && c <= '~' ? c : '.';
        change = "now " + std::to_string(bytes.size()) + " bytes, was " + std::to_string(content.size()) +
                 "; from byte " + std::to_string(first) + " on it reads \"" + excerpt + "\". ";
    }
    const ULONGLONG now = LastWriteTime(path);
    if (now != writeTime)
        change += "Modification time now " + std::to_string(now) + ", was " + std::to_string(writeTime) + ".";
    return change;
}

std::string SessionProblem(const TimerProcess& timer, const std::string& start)
{
    const auto seen = [&](const char* step) {
        return std::string(step) + ": label " + timer.Label() + ", buttons " + timer.RunState();
    };
    if (timer.Label() != start || timer.RunState() != "Stopped")
        return seen("at start") + "; expected " + start + ", Stopped";
    if (!timer.Click(ID_PLAY) || timer.RunState() != "Running")
        return seen("after Play");
    std::string ticked;
    if (!WaitUntil([&] { return (ticked = timer.Label()) != start; }, 2500))
        return seen("no tick within 2.5 s of Play");
    if (TimeTextSeconds(ticked) != TimeTextSeconds(start) - 1)
        return "the first tick from " + start + " gave " + ticked;
    if (!timer.Click(ID_STOP) || timer.RunState() != "Stopped")
        return seen("after Stop");
    if (!timer.Click(ID_RESET) || timer.Label() != start || timer.RunState() != "Stopped")
        return seen("after Reset") + "; expected " + start + ", Stopped";
    return "";
}

std::wstring TimerFolderTest::CaseFolder(const std::wstring& name)
{
    const std::wstring folder = root + name + L"\\";
    EXPECT_TRUE(MakeFolders(folder)) << Utf8(folder);
    exe = CopyTimerInto(folder);
    EXPECT_FALSE(exe.empty()) << "cannot copy the timer into " << Utf8(folder);
    settings = folder + L"Configuracion.ini";
    return folder;
}
