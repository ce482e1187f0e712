// The real timer executable against settings files that are malformed,
// oversized or in the way: whatever the file holds or however it is locked,
// moved or removed, the program shows a start, counts down, closes with 0
// and never writes an existing file.
//
// Where Wine's profile reader decides what a value is (byte-order marks,
// NUL bytes, repeated sections and keys, quotes, line ends), the expected
// start below is what Wine 8 gave, as noted at each case.
#include <gtest/gtest.h>

#include <cstdint>

#include "timer_process.h"
#include "window/control_ids.h"

namespace {

class HostileFiles : public TimerFolderTest {};

const std::vector<std::string> kNoOtherWindow;
const std::vector<std::string> kFileAndTimer = {"Configuracion.ini", "MarcasegundoPulse.exe"};
const std::vector<std::string> kExeOnly = {"MarcasegundoPulse.exe"};

// The three time keys with the start 01:02:03.
const std::string kKeys = "Horas=1\r\nMinutos=2\r\nSegundos=3\r\n";

// Bytes from a fixed seed, every value from 0 to 255 among them.
std::string Garbage(std::size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 23);
    }
    // Not a byte-order mark by chance.
    bytes[0] = 'G';
    return bytes;
}

// Little-endian UTF-16 of text, with the byte-order mark when asked.
std::string Utf16(const std::wstring& text, bool byteOrderMark)
{
    std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// About 10 MB of keys in a section of no interest, then the time keys.
std::string TenMegabytes()
{
    std::string bytes = "[Relleno]\r\n";
    const std::string filler(88, 'x');
    for (int line = 0; bytes.size() < 10 * 1024 * 1024; ++line)
        bytes += "Linea" + std::to_string(line) + "=" + filler + "\r\n";
    return bytes + "[Tiempo]\r\n" + kKeys;
}

struct BadFile {
    const char* name;
    std::string content;
    const char* start;
    DWORD attributes;
};

std::vector<BadFile> BadFiles()
{
    const DWORD normal = FILE_ATTRIBUTE_NORMAL;
    return {
        {"binary garbage", Garbage(64 * 1024), "00:30:00", normal},
        // For Wine's reader a NUL byte ends the text of its line: Minutos
        // reads "2", not "29", and the lines after it are read as usual.
        {"NUL bytes inside",
         std::string("[Tiempo]\r\nHoras=1\r\nMinutos=2") + '\0' + "9\r\n" + '\0' + '\0' + "\r\nSegundos=3\r\n",
         "01:02:03", normal},
        {"an empty file", "", "00:30:00", normal},
        {"10 MB", TenMegabytes(), "01:02:03", normal},
        {"a line of 100 000 characters",
         "[Tiempo]\r\nHoras=1\r\nNota=" + std::string(100000, 'n') + "\r\nMinutos=2\r\nSegundos=3\r\n", "01:02:03",
         normal},
        // The value buffer holds 259 characters: the 300 digits of Minutos
        // are cut to 259 zeros, so its 7 is never read; the 259 digits of
        // Segundos fit, ending in their 7.
        {"values longer than the value buffer",
         "[Tiempo]\r\nHoras=1\r\nMinutos=" + std::string(299, '0') + "7\r\nSegundos=" + std::string(258, '0') +
             "7\r\n",
         "01:00:07", normal},
        // Wine skips the UTF-8 mark and reads the first line as a section.
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[Tiempo]\r\n" + kKeys, "01:02:03", normal},
        {"UTF-16 LE with a byte-order mark", Utf16(L"[Tiempo]\r\nHoras=1\r\nMinutos=2\r\nSegundos=3\r\n", true),
         "01:02:03", normal},
        // Without the mark Wine reads the file as 8-bit text, in which a NUL
        // byte follows every character and ends each line's text at once.
        {"UTF-16 LE without a byte-order mark", Utf16(L"[Tiempo]\r\nHoras=1\r\nMinutos=2\r\nSegundos=3\r\n", false),
         "00:30:00", normal},
        // Full-width and Arabic-Indic digits are no digits here: no
        // code-page mapping may turn them into ASCII ones (Wine's best fit
        // for code page 1252 makes "2" of the full-width one).
        {"digits outside ASCII",
         Utf16(L"[Tiempo]\r\nHoras=1\r\nMinutos=\xFF12\r\nSegundos=\x0663\r\n", true), "01:00:00", normal},
        {"Unix line ends", "[Tiempo]\nHoras=1\nMinutos=2\nSegundos=3\n", "01:02:03", normal},
        // Wine ends a line at a lone CR too.
        {"old Mac line ends", "[Tiempo]\rHoras=1\rMinutos=2\rSegundos=3\r", "01:02:03", normal},
        // Wine takes the first of repeated keys and looks for a key in the
        // first of repeated sections only: Minutos in the second [Tiempo]
        // is not found and takes its default.
        {"repeated sections and keys",
         "[Tiempo]\r\nHoras=1\r\nHoras=5\r\nSegundos=3\r\n[Color]\r\nFuente=1\r\n[Tiempo]\r\nMinutos=2\r\nHoras=7\r\n",
         "01:30:03", normal},
        {"blanks around names, \"=\" and values",
         "  [Tiempo]  \r\n Horas = 1 \r\n\tMinutos\t=\t2\t\r\nSegundos =3\r\n", "01:02:03", normal},
        // A ";" line is a key of another name; text after a value's number
        // is ignored; keys of other sections and unknown keys change nothing.
        {"comments, unknown sections and keys",
         "; Tiempo de la cuenta\r\n[Otra]\r\nHoras=9\r\n[Tiempo]\r\n;Minutos=7\r\nHoras=1\r\nDesconocida=5\r\n"
         "# Minutos=8\r\nMinutos=2 ; dos\r\nSegundos=3\r\n[Desconocida]\r\nSegundos=9\r\n",
         "01:02:03", normal},
        // Wine strips a pair of quotes, double or single, around a value; a
        // lone quote stays and makes the value no number.
        {"values in quotes", "[Tiempo]\r\nHoras=\"1\"\r\nMinutos='2'\r\nSegundos=\"3\r\n", "01:02:00", normal},
        {"section and key names in other letter cases", "[TIEMPO]\r\nhoras=1\r\nMINUTOS=2\r\nSegundos=3\r\n",
         "01:02:03", normal},
        {"a read-only file", "[Tiempo]\r\n" + kKeys, "01:02:03", FILE_ATTRIBUTE_READONLY},
    };
}

TEST_F(HostileFiles, BadContentLeavesTheProgramWorkingAndTheFileUntouched)
{
    const std::vector<BadFile> files = BadFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const BadFile& file = files[i];
        SCOPED_TRACE(std::string(file.name) + ", expected start " + file.start);
        const std::wstring folder = CaseFolder(L"case" + std::to_wstring(i));
        ASSERT_TRUE(WriteFileWithNewTime(settings, file.content));
        ASSERT_TRUE(SetFileAttributesW(settings.c_str(), file.attributes));
        const ULONGLONG writeTime = LastWriteTime(settings);

        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        EXPECT_EQ(OtherVisibleWindows(timer.info.dwProcessId, timer.window), kNoOtherWindow);
        EXPECT_EQ(SessionProblem(timer, file.start), "");
        EXPECT_EQ(timer.Close(), 0);

        EXPECT_EQ(FileChange(settings, file.content, writeTime), "");
        EXPECT_EQ(GetFileAttributesW(settings.c_str()) & FILE_ATTRIBUTE_READONLY,
                  file.attributes & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(FilesUnder(folder), kFileAndTimer);
    }
}

// A handle of this process on a file, opened without sharing, so that no
// other process can open the file until it is released.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::wstring& path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    bool Held() const { return handle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held())
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    ~HeldFile() { Release(); }
};

// A file that exists but cannot be opened reads as the defaults; as it
// exists, it is not created either.
TEST_F(HostileFiles, AFileHeldOpenWithoutSharingReadsAsDefaultsAndStaysUnharmed)
{
    const std::string content = "[Tiempo]\r\nHoras=0\r\nMinutos=4\r\nSegundos=5\r\n";
    {
        SCOPED_TRACE("held from before the start");
        const std::wstring folder = CaseFolder(L"held at start");
        ASSERT_TRUE(WriteFileWithNewTime(settings, content));
        const ULONGLONG writeTime = LastWriteTime(settings);
        HeldFile held(settings);
        ASSERT_TRUE(held.Held()) << "cannot open " << Utf8(settings) << ": error " << GetLastError();

        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        EXPECT_EQ(OtherVisibleWindows(timer.info.dwProcessId, timer.window), kNoOtherWindow);
        EXPECT_EQ(SessionProblem(timer, "00:30:00"), "");
        // Once released, the next Reset reads it.
        held.Release();
        ASSERT_TRUE(timer.Click(ID_RESET));
        EXPECT_EQ(timer.Label(), "00:04:05");
        EXPECT_EQ(timer.Close(), 0);
        EXPECT_EQ(FileChange(settings, content, writeTime), "");
        EXPECT_EQ(FilesUnder(folder), kFileAndTimer);
    }
    {
        SCOPED_TRACE("held only while Reset reads it");
        const std::wstring folder = CaseFolder(L"held at reset");
        ASSERT_TRUE(WriteFileWithNewTime(settings, content));
        const ULONGLONG writeTime = LastWriteTime(settings);

        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        EXPECT_EQ(SessionProblem(timer, "00:04:05"), "");
        {
            HeldFile held(settings);
            ASSERT_TRUE(held.Held()) << "cannot open " << Utf8(settings) << ": error " << GetLastError();
            ASSERT_TRUE(timer.Click(ID_RESET));
            EXPECT_EQ(timer.Label(), "00:30:00");
            EXPECT_EQ(timer.RunState(), "Stopped");
        }
        EXPECT_EQ(OtherVisibleWindows(timer.info.dwProcessId, timer.window), kNoOtherWindow);
        ASSERT_TRUE(timer.Click(ID_RESET));
        EXPECT_EQ(SessionProblem(timer, "00:04:05"), "") << "after the file was released";
        EXPECT_EQ(timer.Close(), 0);
        EXPECT_EQ(FileChange(settings, content, writeTime), "");
        EXPECT_EQ(FilesUnder(folder), kFileAndTimer);
    }
}

// While the program runs the file is edited, deleted or replaced by a
// folder; each Reset shows the file as it is at that moment, and nothing is
// ever re-created or written.
TEST_F(HostileFiles, ResetShowsTheFileAsItIsNowWhateverHappenedToIt)
{
    enum Kind { Edit, Delete, ReplaceByFolder };
    struct Change {
        Kind kind;
        std::string content; // for Edit
        const char* start;   // shown by the Reset after the change
    };
    const struct {
        const char* name;
        std::vector<Change> changes;
    } cases[] = {
        {"edited between two Resets",
         {{Edit, "[Tiempo]\r\nHoras=0\r\nMinutos=6\r\nSegundos=7\r\n", "00:06:07"},
          {Edit, "[Tiempo]\nHoras=1\n", "01:30:00"}}},
        {"deleted", {{Delete, "", "00:30:00"}}},
        {"replaced by a folder of the same name", {{ReplaceByFolder, "", "00:30:00"}}},
    };
    int number = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const std::wstring folder = CaseFolder(L"case" + std::to_wstring(++number));
        std::string content = "[Tiempo]\r\nHoras=0\r\nMinutos=4\r\nSegundos=5\r\n";
        ASSERT_TRUE(WriteFileWithNewTime(settings, content));
        ULONGLONG writeTime = LastWriteTime(settings);
        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        EXPECT_EQ(SessionProblem(timer, "00:04:05"), "");

        for (const Change& change : testCase.changes) {
            switch (change.kind) {
            case Edit:
                ASSERT_TRUE(WriteFileWithNewTime(settings, change.content));
                content = change.content;
                writeTime = LastWriteTime(settings);
                break;
            case Delete: ASSERT_TRUE(DeleteFileW(settings.c_str())) << "error " << GetLastError(); break;
            case ReplaceByFolder:
                ASSERT_TRUE(DeleteFileW(settings.c_str())) << "error " << GetLastError();
                ASSERT_TRUE(CreateDirectoryW(settings.c_str(), nullptr)) << "error " << GetLastError();
                break;
            }
            ASSERT_TRUE(timer.Click(ID_RESET));
            EXPECT_EQ(timer.Label(), change.start);
            // The run goes on from the start just shown.
            EXPECT_EQ(SessionProblem(timer, change.start), "");
        }
        EXPECT_EQ(OtherVisibleWindows(timer.info.dwProcessId, timer.window), kNoOtherWindow);
        EXPECT_EQ(timer.Close(), 0);

        switch (testCase.changes.back().kind) {
        case Edit:
            EXPECT_EQ(FileChange(settings, content, writeTime), "");
            EXPECT_EQ(FilesUnder(folder), kFileAndTimer);
            break;
        case Delete: EXPECT_EQ(FilesUnder(folder), kExeOnly) << "the deleted file was re-created"; break;
        case ReplaceByFolder:
            EXPECT_EQ(GetFileAttributesW(settings.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
                      static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
            EXPECT_EQ(FilesUnder(folder), kExeOnly) << "something was written into or beside the folder";
            break;
        }
    }
}

} // namespace
