// The real timer started from a folder that holds a DLL beside it: once the
// program has started, a DLL asked for by its bare name, as system components
// ask for theirs, is not taken from the program's folder.
#include "timer_process.h"

#include <tlhelp32.h>

namespace {

class DllSearch : public TimerFolderTest {};

constexpr wchar_t kPlantedName[] = L"planted.dll";

// Has the process call LoadLibraryW(name) on a thread of its own, as a
// component inside it would, and waits for the call to return.
bool LoadLibraryIn(HANDLE process, const std::wstring& name)
{
    const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
    void* remoteName = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remoteName)
        return false;
    bool returned = false;
    if (WriteProcessMemory(process, remoteName, name.c_str(), bytes, nullptr)) {
        // kernel32 lies at the same address in every process of one bitness.
        const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remoteName, 0, nullptr);
        if (thread) {
            returned = WaitForSingleObject(thread, kMessageLimit) == WAIT_OBJECT_0;
            CloseHandle(thread);
        }
    }
    if (returned)
        VirtualFreeEx(process, remoteName, 0, MEM_RELEASE);
    return returned;
}

// The full paths of the process's modules whose file name is fileName.
std::vector<std::string> LoadedModules(DWORD processId, const wchar_t* fileName)
{
    std::vector<std::string> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {"<no module list: error " + std::to_string(GetLastError()) + ">"};
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module)) {
        if (lstrcmpiW(module.szModule, fileName) == 0)
            found.push_back(Utf8(module.szExePath));
    }
    CloseHandle(snapshot);
    return found;
}

TEST_F(DllSearch, ADllBesideTheTimerIsNotLoadedByItsBareName)
{
    const std::wstring folder = CaseFolder(L"downloads");
    const std::wstring planted = folder + kPlantedName;
    ASSERT_TRUE(CopyFileW((TestExecutableFolder() + kPlantedName).c_str(), planted.c_str(), FALSE))
        << "cannot place " << Utf8(kPlantedName) << " in " << Utf8(folder);
    TimerProcess timer;
    ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
    const DWORD processId = timer.info.dwProcessId;
    ASSERT_EQ(LoadedModules(processId, kPlantedName), std::vector<std::string>{}) << "at start";

    ASSERT_TRUE(LoadLibraryIn(timer.info.hProcess, kPlantedName)) << "the load by the bare name did not return";
    EXPECT_EQ(LoadedModules(processId, kPlantedName), std::vector<std::string>{})
        << "the bare name found the DLL beside the timer";

    // By its full path the same DLL loads: the call reaches the process, and
    // the DLL itself is loadable.
    ASSERT_TRUE(LoadLibraryIn(timer.info.hProcess, planted)) << "the load by the full path did not return";
    EXPECT_EQ(LoadedModules(processId, kPlantedName), std::vector<std::string>{Utf8(planted)});

    EXPECT_EQ(timer.Label(), "00:30:00");
    EXPECT_EQ(timer.Close(), 0);
}

} // namespace
