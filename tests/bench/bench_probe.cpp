// Measures a GUI program from outside, as a user's machine would see it: the
// program runs as a child of this one, found by its window caption, and is
// read through public Win32 state only (window visibility and texts, process
// times and memory counters). A 64-bit build measures 32-bit and 64-bit
// programs alike; each line says which the program was (bits=32 or 64).
// Prints one line of name=value pairs.
//
//   bench_probe start EXE CAPTION
//       time from CreateProcess to the window being visible with the text of
//       its label (id 1001) and the CPU time the program used until then,
//       then the peak working set one second later.
//   bench_probe run EXE CAPTION IDLE_SECONDS COUNT_SECONDS PACE_SECONDS
//       CPU time over IDLE_SECONDS stopped; then clicks the button with id
//       1002 (Play) and takes the CPU time over COUNT_SECONDS; then counts
//       how many steps the label took in PACE_SECONDS from the click, and
//       when the step numbered PACE_SECONDS came. A program without that
//       button is measured the same way and simply takes no steps.
//
// Both end the program with the system Close command and report its exit code.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kLabelId = 1001;
constexpr int kPlayId = 1002;
constexpr DWORD kShowTimeoutMs = 30000;

double NowMs()
{
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Sleeps until the performance counter reaches deadlineMs.
void SleepUntil(double deadlineMs)
{
    for (double left = deadlineMs - NowMs(); left > 0; left = deadlineMs - NowMs())
        Sleep(left > 20 ? static_cast<DWORD>(left - 10) : 1);
}

struct Child {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

bool StartChild(const wchar_t* exe, Child& child)
{
    wchar_t commandLine[MAX_PATH + 3];
    swprintf(commandLine, MAX_PATH + 3, L"\"%ls\"", exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &child.process) != FALSE;
}

// The label's text as seconds from "HH:MM:SS"; -1 for any other text. Read
// through GetWindowTextW, which for another process's window asks the system
// for the stored text instead of sending the program a message, so reading
// it costs the program nothing.
long LabelSeconds(HWND window)
{
    wchar_t text[32] = L"";
    GetWindowTextW(GetDlgItem(window, kLabelId), text, 32);
    unsigned hours, minutes, seconds;
    if (swscanf(text, L"%u:%u:%u", &hours, &minutes, &seconds) != 3)
        return -1;
    return static_cast<long>(hours * 3600 + minutes * 60 + seconds);
}

bool HasLabelText(HWND window)
{
    return GetWindowTextLengthW(GetDlgItem(window, kLabelId)) > 0;
}

// The child's top-level window with this caption, or null. Other programs,
// measured at the same time, may have windows with the same caption.
HWND FindChildWindow(const Child& child, const wchar_t* caption)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, caption); window;
         window = FindWindowExW(nullptr, window, nullptr, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == child.process.dwProcessId)
            return window;
    }
    return nullptr;
}

// Polls until the child's window with this caption is visible and its label
// shows text. Returns the time it happened, or a negative value.
double WaitUntilShown(Child& child, const wchar_t* caption)
{
    const double deadline = NowMs() + kShowTimeoutMs;
    while (NowMs() < deadline) {
        HWND window = FindChildWindow(child, caption);
        if (window && IsWindowVisible(window) && HasLabelText(window)) {
            child.window = window;
            return NowMs();
        }
        if (WaitForSingleObject(child.process.hProcess, 0) == WAIT_OBJECT_0)
            return -1;
        Sleep(1);
    }
    return -1;
}

// Under Wine, GetProcessTimes does not follow another process: its figures
// stay as they were soon after start-up. There the times come from the Linux
// processes behind the program and behind the wineserver, which does part of
// the work of every window call: their /proc/PID/stat, read through Wine's
// drive Z:. A 32-bit program is a Linux process of its own as well, run by
// the 32-bit loader; either is found by the program's path, and a program
// whose process is not found is reported with cpu_source=none.
bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ReadUnixFile(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

// The NUL-separated entries of /proc/PID/cmdline or /proc/PID/environ.
std::vector<std::string> SplitAtNul(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\0', start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::string OwnWinePrefixEntry()
{
    for (const std::string& entry : SplitAtNul(ReadUnixFile("/proc/self/environ")))
        if (entry.rfind("WINEPREFIX=", 0) == 0)
            return entry;
    return {};
}

// Fields of /proc/PID/stat after the command name; [0] is field 3 (state).
std::vector<std::string> StatFields(unsigned long pid)
{
    const std::string stat = ReadUnixFile("/proc/" + std::to_string(pid) + "/stat");
    std::vector<std::string> fields;
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return fields;
    std::size_t start = close + 2;
    while (start < stat.size()) {
        std::size_t end = stat.find(' ', start);
        if (end == std::string::npos)
            end = stat.size();
        fields.push_back(stat.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// The newest live Linux process of this Wine prefix whose first command-line
// word, blanks at its end removed, satisfies matches; 0 when there is none.
template <typename Match>
unsigned long FindUnixProcess(Match matches)
{
    const std::string prefix = OwnWinePrefixEntry();
    unsigned long found = 0;
    unsigned long long foundStart = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry.cFileName, &end, 10);
        if (pid == 0 || *end != '\0')
            continue;
        const std::string base = "/proc/" + std::to_string(pid);
        std::vector<std::string> words = SplitAtNul(ReadUnixFile(base + "/cmdline"));
        if (words.empty())
            continue;
        std::string first = words[0];
        while (!first.empty() && first.back() == ' ')
            first.pop_back();
        if (!matches(first))
            continue;
        const std::vector<std::string> environment = SplitAtNul(ReadUnixFile(base + "/environ"));
        bool samePrefix = false;
        for (const std::string& variable : environment)
            samePrefix = samePrefix || variable == prefix;
        const std::vector<std::string> fields = StatFields(pid);
        if (!samePrefix || fields.size() < 20 || fields[0] == "Z")
            continue;
        const unsigned long long started = std::strtoull(fields[19].c_str(), nullptr, 10);
        if (!found || started > foundStart) {
            found = pid;
            foundStart = started;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// User and system time of a Linux process in ms; its clock ticks are
// USER_HZ, which is 100 on x86 Linux.
double UnixCpuMs(unsigned long pid)
{
    const std::vector<std::string> fields = StatFields(pid);
    if (fields.size() < 13)
        return -1;
    return (std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr)) * 10.0;
}

// Where the CPU times of the program (and under Wine of the wineserver) come from.
struct CpuSource {
    HANDLE process = nullptr;
    bool underWine = false;
    unsigned long programPid = 0; // Linux process ids, under Wine only
    unsigned long serverPid = 0;
};

CpuSource FindCpuSource(HANDLE process, const wchar_t* exe)
{
    CpuSource source;
    source.process = process;
    source.underWine = RunsUnderWine();
    if (!source.underWine)
        return source;
    char exePath[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, exe, -1, exePath, sizeof exePath, nullptr, nullptr);
    source.programPid = FindUnixProcess([&](const std::string& first) { return lstrcmpiA(first.c_str(), exePath) == 0; });
    source.serverPid = FindUnixProcess([](const std::string& first) {
        return first.find("/wineserver") != std::string::npos;
    });
    return source;
}

// The program's CPU time in ms; -1 under Wine when its Linux process was not
// found, rather than GetProcessTimes' stale figures.
double CpuMs(const CpuSource& source)
{
    if (source.programPid)
        return UnixCpuMs(source.programPid);
    if (source.underWine)
        return -1;
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(source.process, &created, &exited, &kernel, &user))
        return -1;
    const auto ticks = [](FILETIME time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

double ServerCpuMs(const CpuSource& source)
{
    return source.serverPid ? UnixCpuMs(source.serverPid) : -1;
}

const char* CpuSourceName(const CpuSource& source)
{
    return source.programPid ? "linux" : source.underWine ? "none" : "windows";
}

// A CPU time taken over a period: after minus before, or -1 when either is missing.
double CpuDelta(double before, double after)
{
    return before < 0 || after < 0 ? -1 : after - before;
}

// 32 for a 32-bit program on a 64-bit system (or a 32-bit probe), else 64.
int ProgramBits(HANDLE process)
{
    BOOL wow64 = FALSE;
    if (sizeof(void*) == 4 || (IsWow64Process(process, &wow64) && wow64))
        return 32;
    return 64;
}

double PeakWorkingSetKb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
}

// Closes the window as a user would and returns the exit code; a program that
// does not end within 10 s is terminated and reported as -1.
long CloseChild(Child& child)
{
    if (child.window)
        PostMessageW(child.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    long code = -1;
    if (WaitForSingleObject(child.process.hProcess, 10000) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(child.process.hProcess, &exitCode);
        code = static_cast<long>(exitCode);
    } else {
        TerminateProcess(child.process.hProcess, 1);
        WaitForSingleObject(child.process.hProcess, 5000);
    }
    CloseHandle(child.process.hThread);
    CloseHandle(child.process.hProcess);
    return code;
}

int MeasureStart(const wchar_t* exe, const wchar_t* caption)
{
    Child child;
    const double started = NowMs();
    if (!StartChild(exe, child)) {
        std::printf("error=cannot-start code=%lu\n", GetLastError());
        return 1;
    }
    const double shown = WaitUntilShown(child, caption);
    if (shown < 0) {
        std::printf("error=window-not-shown exit_code=%ld\n", CloseChild(child));
        return 1;
    }
    // The CPU time spent so far is steadier than the wall-clock time on a
    // busy machine, where start-up also waits for other processes.
    const CpuSource cpu = FindCpuSource(child.process.hProcess, exe);
    const double startupCpu = CpuMs(cpu);
    const int bits = ProgramBits(child.process.hProcess);
    Sleep(1000);
    const double peakKb = PeakWorkingSetKb(child.process.hProcess);
    const long exitCode = CloseChild(child);
    std::printf("bits=%d cpu_source=%s unix_pid=%lu startup_ms=%.1f startup_cpu_ms=%.0f peak_working_set_kb=%.0f "
                "exit_code=%ld\n",
                bits, CpuSourceName(cpu), cpu.programPid, shown - started, startupCpu, peakKb, exitCode);
    return 0;
}

int MeasureRun(const wchar_t* exe, const wchar_t* caption, int idleSeconds, int countSeconds, int paceSeconds)
{
    Child child;
    if (!StartChild(exe, child)) {
        std::printf("error=cannot-start code=%lu\n", GetLastError());
        return 1;
    }
    if (WaitUntilShown(child, caption) < 0) {
        std::printf("error=window-not-shown exit_code=%ld\n", CloseChild(child));
        return 1;
    }
    HANDLE process = child.process.hProcess;
    HWND window = child.window;
    const CpuSource cpu = FindCpuSource(process, exe);
    const int bits = ProgramBits(process);
    // Start-up's own work is over before the first period begins.
    Sleep(2000);

    double begin = NowMs();
    const double idleCpuBefore = CpuMs(cpu);
    const double idleServerBefore = ServerCpuMs(cpu);
    SleepUntil(begin + idleSeconds * 1000.0);
    const double idleCpu = CpuDelta(idleCpuBefore, CpuMs(cpu));
    const double idleServer = CpuDelta(idleServerBefore, ServerCpuMs(cpu));
    const double idleWall = NowMs() - begin;

    // The click returns once the program has handled it, with its timer set.
    const long startLabel = LabelSeconds(window);
    DWORD_PTR ignored;
    SendMessageTimeoutW(GetDlgItem(window, kPlayId), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
    const double clicked = NowMs();
    const double countCpuBefore = CpuMs(cpu);
    const double countServerBefore = ServerCpuMs(cpu);
    SleepUntil(clicked + countSeconds * 1000.0);
    const double countCpu = CpuDelta(countCpuBefore, CpuMs(cpu));
    const double countServer = CpuDelta(countServerBefore, ServerCpuMs(cpu));
    const double countWall = NowMs() - clicked;

    // The label is read every millisecond, without a message to the program,
    // from here until paceSeconds after the click and the step numbered
    // paceSeconds have both come, or 5 s past that time. A program without
    // the button (a baseline) has no countdown and is only kept running as
    // long, unread, so that the probes of the programs that count have the
    // machine to themselves.
    const double paceEnd = clicked + paceSeconds * 1000.0;
    const bool counts = GetDlgItem(window, kPlayId) != nullptr;
    long stepsInWindow = counts ? -1 : 0;
    double lastStepMs = -1;
    if (!counts)
        SleepUntil(paceEnd);
    while (counts) {
        const long label = LabelSeconds(window);
        const double now = NowMs();
        const long steps = (label >= 0 && startLabel >= 0) ? startLabel - label : 0;
        if (now >= paceEnd && stepsInWindow < 0)
            stepsInWindow = steps;
        if (steps >= paceSeconds && lastStepMs < 0)
            lastStepMs = now - clicked;
        // A program that took no step by the end has no countdown.
        if (now >= paceEnd && (lastStepMs >= 0 || steps <= 0 || now >= paceEnd + 5000))
            break;
        Sleep(1);
    }

    const double peakKb = PeakWorkingSetKb(process);
    const long exitCode = CloseChild(child);
    std::printf("bits=%d cpu_source=%s unix_pid=%lu idle_cpu_ms=%.1f idle_server_cpu_ms=%.1f idle_wall_ms=%.0f "
                "count_cpu_ms=%.1f count_server_cpu_ms=%.1f count_wall_ms=%.0f "
                "steps_in_window=%ld last_step_ms=%.0f peak_working_set_kb=%.0f exit_code=%ld\n",
                bits, CpuSourceName(cpu), cpu.programPid, idleCpu, idleServer, idleWall, countCpu, countServer,
                countWall, stepsInWindow, lastStepMs, peakKb, exitCode);
    return 0;
}

} // namespace

int wmain(int count, wchar_t** arguments)
{
    if (count == 4 && std::wcscmp(arguments[1], L"start") == 0)
        return MeasureStart(arguments[2], arguments[3]);
    if (count == 7 && std::wcscmp(arguments[1], L"run") == 0)
        return MeasureRun(arguments[2], arguments[3], _wtoi(arguments[4]), _wtoi(arguments[5]),
                          _wtoi(arguments[6]));
    std::fprintf(stderr, "usage: bench_probe start EXE CAPTION\n"
                         "       bench_probe run EXE CAPTION IDLE_SECONDS COUNT_SECONDS PACE_SECONDS\n");
    return 2;
}
