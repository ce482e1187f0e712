// Where the real timer executable finds its settings file: a folder name
// outside the ANSI code page, folders deep enough to reach the path limit,
// and the start on a Windows that is not of the NT family, which must not
// touch the file at all.
#include <gtest/gtest.h>

#include "timer_process.h"
#include "window/control_ids.h"

namespace {

class SettingsLocation : public ::testing::Test {
protected:
    void SetUp() override { root = MakeTestFolder(); }
    void TearDown() override { RemoveFolderTree(root); }
    std::wstring root;
};

TEST_F(SettingsLocation, AFolderNamedInCyrillicHoldsTheFile)
{
    const std::wstring name = L"\u0422\u0430\u0439\u043c\u0435\u0440"; // "Timer" in Russian
    const std::wstring folder = root + name + L"\\";
    ASSERT_TRUE(MakeFolders(folder));
    const std::wstring exe = CopyTimerInto(folder);
    ASSERT_FALSE(exe.empty());
    const std::wstring settings = folder + L"Configuracion.ini";

    TimerProcess timer;
    ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
    EXPECT_EQ(timer.Label(), "00:30:00");
    const std::string created = ReadFileBytes(settings);
    EXPECT_EQ(SettingsLines(created), FirstStartLines()) << created;
    EXPECT_EQ(FilesUnder(root), (std::vector<std::string>{Utf8(name + L"\\Configuracion.ini"),
                                                         Utf8(name + L"\\MarcasegundoPulse.exe")}));

    ASSERT_TRUE(WriteFileWithNewTime(settings, SettingsText(0, 0, 7)));
    ASSERT_TRUE(timer.Click(ID_RESET));
    EXPECT_EQ(timer.Label(), "00:00:07");
    EXPECT_EQ(timer.Close(), 0);
}

// A folder under base, made of as many sub-folders as needed, whose settings
// path "<folder>Configuracion.ini" is settingsLength UTF-16 units long.
std::wstring DeepFolder(const std::wstring& base, std::size_t settingsLength)
{
    const std::size_t folderLength = settingsLength - std::wstring(L"Configuracion.ini").size();
    std::wstring folder = base;
    while (folder.size() < folderLength) {
        // Names of at most 60 units, never leaving a single unit, which would
        // hold a backslash and no name.
        const std::size_t remaining = folderLength - folder.size();
        const std::size_t name = remaining > 61 ? (remaining == 62 ? 59 : 60) : remaining - 1;
        folder += std::wstring(name, L'd') + L"\\";
    }
    return folder;
}

// The folders from the drive down to folder, each with its backslash.
std::vector<std::wstring> FoldersAlong(const std::wstring& folder)
{
    std::vector<std::wstring> folders;
    for (std::size_t end = folder.find(L'\\'); end != std::wstring::npos; end = folder.find(L'\\', end + 1))
        folders.push_back(folder.substr(0, end + 1));
    return folders;
}

// A settings path fits when it has at most 259 units, the terminating zero
// making 260. A path that does not fit is not cut to one that would: the
// program then uses no file, neither reading nor creating one.
//
// Wine refuses to create a process from an executable path of 260 units or
// more (ERROR_INVALID_NAME), so the timer is copied under a name shorter than
// "Configuracion.ini": its own path then stays below the settings path.
TEST_F(SettingsLocation, TheFileIsUsedUpToThePathLimitAndNotBeyondIt)
{
    if (sizeof(void*) == 4) {
        GTEST_SKIP() << "32-bit Wine refuses to start any executable whose Unix path has about 240 characters "
                        "or more, and the timer must lie this deep; the 64-bit build runs this test";
    }
    const struct { std::size_t settingsLength; bool used; } depths[] = {
        {259, true},
        {260, false},
    };
    for (const auto& depth : depths) {
        SCOPED_TRACE("settings path of " + std::to_string(depth.settingsLength) + " units");
        const std::wstring base = root + std::to_wstring(depth.settingsLength) + L"\\";
        const std::wstring folder = DeepFolder(base, depth.settingsLength);
        const std::wstring settings = folder + L"Configuracion.ini";
        ASSERT_EQ(settings.size(), depth.settingsLength);
        ASSERT_TRUE(MakeFolders(folder)) << Utf8(folder);
        const std::wstring exe = CopyTimerInto(folder, L"Timer.exe");
        ASSERT_FALSE(exe.empty()) << "cannot copy the timer into " << Utf8(folder);
        const std::string inFolder = Utf8(folder.substr(base.size()));

        {
            TimerProcess firstStart;
            ASSERT_TRUE(firstStart.Start(exe)) << firstStart.StartFailure();
            EXPECT_EQ(firstStart.Label(), "00:30:00");
            EXPECT_EQ(firstStart.Close(), 0);
        }
        if (depth.used) {
            EXPECT_EQ(SettingsLines(ReadFileBytes(settings)), FirstStartLines()) << ReadFileBytes(settings);
            EXPECT_EQ(FilesUnder(base), (std::vector<std::string>{inFolder + "Configuracion.ini", inFolder + "Timer.exe"}));
        } else {
            EXPECT_EQ(FilesUnder(base), (std::vector<std::string>{inFolder + "Timer.exe"}));
            for (const std::wstring& along : FoldersAlong(folder))
                EXPECT_EQ(LastWriteTime(along + L"Configuracion.ini"), 0u) << "a settings file in " << Utf8(along);
        }

        // A file placed there is read at start and by Reset when the path
        // fits, and ignored when it does not; it is never written.
        const std::string placed = SettingsText(0, 0, 9);
        ASSERT_TRUE(WriteFileWithNewTime(settings, placed));
        const ULONGLONG placedTime = LastWriteTime(settings);
        const std::string expected = depth.used ? "00:00:09" : "00:30:00";
        TimerProcess again;
        ASSERT_TRUE(again.Start(exe)) << again.StartFailure();
        EXPECT_EQ(again.Label(), expected);
        ASSERT_TRUE(again.Click(ID_RESET));
        EXPECT_EQ(again.Label(), expected) << "after Reset";
        EXPECT_EQ(again.Close(), 0);
        EXPECT_EQ(ReadFileBytes(settings), placed);
        EXPECT_EQ(LastWriteTime(settings), placedTime) << "the placed file was written";
    }
}

// Wine reports the Windows version that the registry names for one
// executable: HKCU\Software\Wine\AppDefaults\<exe name>, value "Version".
// The value is removed again when this ends.
struct WineVersionFor {
    std::wstring key;
    bool set = false;
    WineVersionFor(const std::wstring& exeName, const wchar_t* version)
        : key(L"Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
            return;
        const DWORD bytes = static_cast<DWORD>((lstrlenW(version) + 1) * sizeof(wchar_t));
        set = RegSetValueExW(handle, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes) ==
              ERROR_SUCCESS;
        RegCloseKey(handle);
    }
    ~WineVersionFor() { RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()); }
};

TEST_F(SettingsLocation, OnAWindowsOutsideTheNTFamilyTheProgramRefusesAndTouchesNothing)
{
    // An executable name of its own, so that no other start sees the version.
    const std::wstring exeName = L"TimerOnOldWindows.exe";
    for (const wchar_t* version : {L"win98", L"win95"}) {
        SCOPED_TRACE(Utf8(version));
        const std::wstring folder = root + version + L"\\";
        ASSERT_TRUE(MakeFolders(folder));
        const std::wstring exe = CopyTimerInto(folder, exeName);
        ASSERT_FALSE(exe.empty());
        WineVersionFor oldWindows(exeName, version);
        ASSERT_TRUE(oldWindows.set) << "cannot set the Windows version for " << Utf8(exeName);

        TimerProcess timer;
        ASSERT_TRUE(timer.Launch(exe)) << timer.StartFailure();
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                box = FindProcessWindow(timer.info.dwProcessId, L"#32770", nullptr);
                return (box && IsWindowVisible(box)) || !timer.Running();
            },
            kStartLimit));
        ASSERT_TRUE(box) << "no message box; the process " << (timer.Running() ? "still runs" : "has ended");
        EXPECT_EQ(StaticTexts(box), "Win98 No Support");
        EXPECT_FALSE(FindProcessWindow(timer.info.dwProcessId, L"#32770", L"Marcasegundo Pulse"));
        EXPECT_EQ(FilesUnder(folder), (std::vector<std::string>{"TimerOnOldWindows.exe"}));

        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0, SMTO_NORMAL, kMessageLimit, &result))
            << "the box's OK button did not answer";
        EXPECT_EQ(timer.WaitForExit(), 255);
        EXPECT_EQ(FilesUnder(folder), (std::vector<std::string>{"TimerOnOldWindows.exe"}));
    }
}

} // namespace
