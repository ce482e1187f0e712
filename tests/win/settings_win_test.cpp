// The settings file on disk, read and written through the real profile
// functions beside the test executable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clock/countdown.h"
#include "settings/settings.h"
#include "window_fixture.h"

namespace {

std::string TimeOf(const TimeRecord& t) { return FormatTimeText(t).data(); }

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { RemoveSettings(); }
    void TearDown() override { RemoveSettings(); }
};

TEST_F(SettingsFile, FirstStartShowsTheDefaultAndCreatesTheFile)
{
    ControlsWindow controls;
    LoadSettingsAtStart();
    EXPECT_EQ(controls.Label(), "00:30:00");
    EXPECT_EQ(FontColorSetting, 255);
    EXPECT_EQ(SettingsLines(ReadFileBytes(SettingsPath())), FirstStartLines()) << ReadFileBytes(SettingsPath());
}

TEST_F(SettingsFile, ValuesAreParsedRoundedAndLimited)
{
    const struct { const char* file; const char* time; int32_t color; } cases[] = {
        {"[Tiempo]\r\nHoras=2\r\n", "02:30:00", 255},
        {"[Tiempo]\r\nMinutos=\r\n", "00:00:00", 255},
        {"[Tiempo]\r\nMinutos=abc\r\n", "00:00:00", 255},
        {"[Tiempo]\r\nHoras= 7\r\nMinutos=12abc\r\nSegundos=1.5\r\n", "07:12:02", 255},
        {"[Tiempo]\r\nHoras=2.5\r\nMinutos=1e1\r\nSegundos=&H1E\r\n", "02:10:30", 255},
        {"[Tiempo]\r\nHoras=-3\r\nMinutos=59.5\r\nSegundos=75\r\n", "00:59:59", 255},
        {"[Tiempo]\r\nHoras=150\r\n", "99:30:00", 255},
        {"[Tiempo]\r\nHoras=40000\r\nMinutos=&HFFFF\r\n", "99:00:00", 255},
        {"[Color]\r\nFuente=abc\r\n", "00:30:00", 0},
        {"[Color]\r\nFuente=-1\r\n", "00:30:00", -1},
        {"[Color]\r\nFuente=2147483648\r\n", "00:30:00", INT32_MIN},
        {"garbage without sections\r\nHoras=5\r\n", "00:30:00", 255},
    };
    for (const auto& c : cases) {
        WriteSettingsFile(c.file);
        AccessSettings("get");
        EXPECT_EQ(TimeOf(RemainingTime), c.time) << c.file;
        EXPECT_EQ(FontColorSetting, c.color) << c.file;
    }
}

TEST_F(SettingsFile, AnExistingFileIsNeverRewrittenAtStart)
{
    ControlsWindow controls;
    const std::string content = "[Tiempo]\r\nHoras=150\r\nMinutos=abc\r\n";
    WriteSettingsFile(content);
    const ULONGLONG written = LastWriteTime(SettingsPath());
    LoadSettingsAtStart();
    EXPECT_EQ(controls.Label(), "99:00:00");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), content);
    EXPECT_EQ(LastWriteTime(SettingsPath()), written);
}

TEST_F(SettingsFile, EditsArePickedUpByTheNextGet)
{
    WriteSettingsFile("[Tiempo]\r\nHoras=1\r\n");
    AccessSettings("get");
    EXPECT_EQ(TimeOf(RemainingTime), "01:30:00");
    WriteSettingsFile("[Tiempo]\r\nHoras=3\r\nMinutos=0\r\n");
    AccessSettings("get");
    EXPECT_EQ(TimeOf(RemainingTime), "03:00:00");
    RemoveSettings();
    AccessSettings("get");
    EXPECT_EQ(TimeOf(RemainingTime), "00:30:00");
}

TEST_F(SettingsFile, SaveWritesTheValuesInMemory)
{
    RemainingTime = {12, 34, 56};
    FontColorSetting = -7;
    AccessSettings("save");
    EXPECT_EQ(SettingsLines(ReadFileBytes(SettingsPath())),
              (std::vector<std::string>{"[Tiempo]", "Horas=12", "Minutos=34", "Segundos=56", "[Color]", "Fuente=-7"}));
    RemainingTime = {};
    FontColorSetting = 0;
    AccessSettings("get");
    EXPECT_EQ(TimeOf(RemainingTime), "12:34:56");
    EXPECT_EQ(FontColorSetting, -7);
}

TEST_F(SettingsFile, OnlyTheExactActionsDoAnything)
{
    WriteSettingsFile("[Tiempo]\r\nHoras=5\r\n");
    const std::string content = ReadFileBytes(SettingsPath());
    for (const char* action : {"GET", "Get", "get ", " get", "", "SAVE", "save "}) {
        RemainingTime = {1, 2, 3};
        AccessSettings(action);
        EXPECT_EQ(TimeOf(RemainingTime), "01:02:03") << "action \"" << action << "\"";
        EXPECT_EQ(ReadFileBytes(SettingsPath()), content) << "action \"" << action << "\"";
    }
    RemoveSettings();
    AccessSettings("Save");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "<missing>");
}

TEST_F(SettingsFile, AFolderOfTheSameNameCountsAsAFileThatCannotBeRead)
{
    ControlsWindow controls;
    ASSERT_TRUE(CreateDirectoryW(SettingsPath().c_str(), nullptr));
    LoadSettingsAtStart();
    EXPECT_EQ(controls.Label(), "00:30:00");
    EXPECT_NE(GetFileAttributesW(SettingsPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << "the folder was replaced";
}

TEST(FileExists, FilesAndFoldersButNoWildcards)
{
    const std::wstring folder = ExecutableFolder();
    WriteFileWithNewTime(folder + L"exists.txt", "x");
    EXPECT_TRUE(FileExists((folder + L"exists.txt").c_str()));
    EXPECT_TRUE(FileExists(folder.c_str()));
    EXPECT_FALSE(FileExists((folder + L"missing.txt").c_str()));
    EXPECT_FALSE(FileExists((folder + L"exists.tx?").c_str()));
    EXPECT_FALSE(FileExists((folder + L"*").c_str()));
    DeleteFileW((folder + L"exists.txt").c_str());
}

TEST(FileExists, LooksAtTheWholeOfALongPath)
{
    // A path of more than 255 units whose first 255 name nothing: it must
    // still be found, or the program would rewrite an existing file.
    std::wstring folder = ExecutableFolder() + L"deep";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> made = {folder};
    while (folder.size() < 230) {
        folder += L"\\" + std::wstring(20, L'd');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        made.push_back(folder);
    }
    const std::wstring file = folder + L"\\" + std::wstring(258 - folder.size(), L'f');
    ASSERT_GT(file.size(), 255u);
    ASSERT_LT(file.size(), static_cast<size_t>(MAX_PATH));
    WriteFileWithNewTime(file, "x");
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_FALSE(FileExists(file.substr(0, 255).c_str()));
    DeleteFileW(file.c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        RemoveDirectoryW(it->c_str());
}

TEST(MakeConfigPath, IsTheFileBesideTheExecutable)
{
    ConfigPathBuffer path;
    ASSERT_TRUE(MakeConfigPath(path));
    EXPECT_EQ(std::wstring(path), SettingsPath());
}

} // namespace
