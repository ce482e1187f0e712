// The real timer executable in a process of its own, driven from this one:
// first start, the countdown and its pace, Reset, the end at zero, closing,
// and Alt+T typed on the keyboard.
#include <gtest/gtest.h>

#include "timer_process.h"
#include "window/control_ids.h"

namespace {

// Each test gets a fresh folder; the cases of a table get sub-folders of it.
class TimerSession : public TimerFolderTest {};

// Seconds since local midnight now.
int LocalSeconds()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
}

void SleepUntil(ULONGLONG tick)
{
    const ULONGLONG now = GetTickCount64();
    if (tick > now)
        Sleep(static_cast<DWORD>(tick - now));
}

TEST_F(TimerSession, FirstStartShowsTheDefaultStartAndCreatesTheFile)
{
    // The program has no options: arguments change nothing.
    const struct { const wchar_t* name; const wchar_t* arguments; } starts[] = {
        {L"plain", L""},
        {L"arguments", L"--help /x 123"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(Utf8(start.name));
        const std::wstring folder = CaseFolder(start.name);
        const std::wstring settings = folder + L"Configuracion.ini";
        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe, start.arguments)) << timer.StartFailure();

        EXPECT_EQ(timer.Label(), "00:30:00");
        EXPECT_EQ(timer.Caption(), "Marcasegundo Pulse");
        EXPECT_EQ(timer.RunState(), "Stopped");
        for (int id : {ID_TIME_LABEL, ID_PLAY, ID_STOP, ID_RESET})
            EXPECT_TRUE(IsWindowVisible(timer.Control(id))) << "control " << id;
        const std::string created = ReadFileBytes(settings);
        EXPECT_EQ(SettingsLines(created), FirstStartLines()) << created;
        EXPECT_EQ(FilesUnder(folder), (std::vector<std::string>{"Configuracion.ini", "MarcasegundoPulse.exe"}));

        EXPECT_EQ(timer.Close(), 0);
        EXPECT_EQ(ReadFileBytes(settings), created) << "the file changed after the window was closed";
    }
}

TEST_F(TimerSession, PlayCountsDownOnceASecondStopPausesAndPlayResumes)
{
    const std::wstring folder = CaseFolder(L"pace");
    ASSERT_TRUE(WriteFileWithNewTime(folder + L"Configuracion.ini", SettingsText(0, 1, 2)));
    TimerProcess timer;
    ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
    ASSERT_EQ(timer.Label(), "00:01:02");

    const int beforeClick = LocalSeconds();
    ASSERT_TRUE(timer.Click(ID_PLAY));
    const ULONGLONG played = GetTickCount64();
    const int afterClick = LocalSeconds();
    EXPECT_EQ(timer.RunState(), "Running");
    // The caption is the local time of the click (not checked across midnight).
    const std::string caption = timer.Caption();
    const int captionSeconds = TimeTextSeconds(caption);
    if (beforeClick <= afterClick) {
        EXPECT_TRUE(captionSeconds >= beforeClick && captionSeconds <= afterClick)
            << "caption " << caption << ", clicked between " << beforeClick << " and " << afterClick << " s";
    }

    // Three steps of one second each, across the minute's borrow: the times
    // at which the label changes show the pace.
    std::vector<std::string> steps;
    std::vector<ULONGLONG> stepTimes;
    WaitUntil(
        [&] {
            const std::string label = timer.Label();
            if (label != (steps.empty() ? "00:01:02" : steps.back())) {
                steps.push_back(label);
                stepTimes.push_back(GetTickCount64());
            }
            return steps.size() == 3;
        },
        5000);
    ASSERT_EQ(steps, (std::vector<std::string>{"00:01:01", "00:01:00", "00:00:59"}));
    const ULONGLONG firstStep = stepTimes[0] - played, twoSteps = stepTimes[2] - stepTimes[0];
    EXPECT_TRUE(firstStep >= 700 && firstStep <= 1600) << "first step after " << firstStep << " ms";
    EXPECT_TRUE(twoSteps >= 1600 && twoSteps <= 2400) << "two more steps in " << twoSteps << " ms";
    SleepUntil(played + 3300);
    const std::string counted = timer.Label();
    EXPECT_NEAR(TimeTextSeconds(counted), 62 - 3, 1) << counted;

    ASSERT_TRUE(timer.Click(ID_STOP));
    EXPECT_EQ(timer.RunState(), "Stopped");
    const std::string paused = timer.Label();
    Sleep(1500);
    EXPECT_EQ(timer.Label(), paused) << "the label moved while stopped";
    EXPECT_EQ(timer.Caption(), caption) << "Stop changed the caption";

    // Play goes on from what remained, not from the start.
    ASSERT_TRUE(timer.Click(ID_PLAY));
    const ULONGLONG resumed = GetTickCount64();
    EXPECT_EQ(timer.RunState(), "Running");
    EXPECT_NE(TimeTextSeconds(timer.Caption()), -1) << timer.Caption();
    SleepUntil(resumed + 1300);
    const std::string goneOn = timer.Label();
    EXPECT_NEAR(TimeTextSeconds(goneOn), TimeTextSeconds(paused) - 1, 1) << "paused at " << paused << ", now " << goneOn;

    EXPECT_EQ(timer.Close(), 0);
}

TEST_F(TimerSession, ResetLoadsTheFileAsItIsNowAndWritesNothing)
{
    const std::wstring settings = CaseFolder(L"reset") + L"Configuracion.ini";
    ASSERT_TRUE(WriteFileWithNewTime(settings, SettingsText(0, 10, 0)));
    TimerProcess timer;
    ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
    ASSERT_EQ(timer.Label(), "00:10:00");

    ASSERT_TRUE(WriteFileWithNewTime(settings, SettingsText(1, 2, 3)));
    ASSERT_TRUE(timer.Click(ID_RESET));
    EXPECT_EQ(timer.Label(), "01:02:03");
    EXPECT_EQ(timer.RunState(), "Stopped");

    // After part of a run, Reset gives the file's start, not what remained.
    ASSERT_TRUE(timer.Click(ID_PLAY));
    EXPECT_TRUE(WaitUntil([&] { return timer.Label() != "01:02:03"; }, 2500)) << timer.Label();
    ASSERT_TRUE(timer.Click(ID_STOP));
    const std::string edited = SettingsText(0, 0, 42);
    ASSERT_TRUE(WriteFileWithNewTime(settings, edited));
    const ULONGLONG editedTime = LastWriteTime(settings);
    ASSERT_TRUE(timer.Click(ID_RESET));
    EXPECT_EQ(timer.Label(), "00:00:42");
    EXPECT_EQ(timer.RunState(), "Stopped");

    EXPECT_EQ(timer.Close(), 0);
    EXPECT_EQ(ReadFileBytes(settings), edited);
    EXPECT_EQ(LastWriteTime(settings), editedTime);
}

TEST_F(TimerSession, TheRunEndsAtZeroAndResetRestoresTheStart)
{
    // A start of zero ends at the first tick.
    const struct { const wchar_t* name; int seconds; const char* start; } runs[] = {
        {L"two seconds", 2, "00:00:02"},
        {L"zero", 0, "00:00:00"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.start);
        ASSERT_TRUE(WriteFileWithNewTime(CaseFolder(run.name) + L"Configuracion.ini", SettingsText(0, 0, run.seconds)));
        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        ASSERT_EQ(timer.Label(), run.start);

        ASSERT_TRUE(timer.Click(ID_PLAY));
        EXPECT_TRUE(WaitUntil([&] { return timer.RunState() == "Finished"; }, run.seconds * 1000 + 2500))
            << timer.RunState() << " " << timer.Label();
        EXPECT_EQ(timer.Label(), "00:00:00");
        // Nothing ticks after the end.
        Sleep(1200);
        EXPECT_EQ(timer.Label(), "00:00:00");
        EXPECT_EQ(timer.RunState(), "Finished");

        ASSERT_TRUE(timer.Click(ID_RESET));
        EXPECT_EQ(timer.Label(), run.start);
        EXPECT_EQ(timer.RunState(), "Stopped");
        EXPECT_EQ(timer.Close(), 0);
    }
}

TEST_F(TimerSession, CloseEndsWithZeroInEveryStateAndTheFileStaysAsItWas)
{
    enum Step { Play, Stop, Reset, AwaitTick, AwaitEnd };
    const struct {
        const wchar_t* name;
        int seconds;
        std::vector<Step> steps;
        const char* stateAtClose;
    } sessions[] = {
        {L"at once", 600, {}, "Stopped"},
        {L"counting down", 600, {Play}, "Running"},
        {L"after the end", 1, {Play, AwaitEnd}, "Finished"},
        {L"whole session", 600, {Play, AwaitTick, Stop, Reset}, "Stopped"},
    };
    for (const auto& session : sessions) {
        SCOPED_TRACE(Utf8(session.name));
        const std::wstring settings = CaseFolder(session.name) + L"Configuracion.ini";
        const std::string content = SettingsText(0, session.seconds / 60, session.seconds % 60);
        ASSERT_TRUE(WriteFileWithNewTime(settings, content));
        const ULONGLONG writeTime = LastWriteTime(settings);
        TimerProcess timer;
        ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
        for (Step step : session.steps) {
            switch (step) {
            case Play: EXPECT_TRUE(timer.Click(ID_PLAY)); break;
            case Stop: EXPECT_TRUE(timer.Click(ID_STOP)); break;
            case Reset: EXPECT_TRUE(timer.Click(ID_RESET)); break;
            case AwaitTick: {
                const std::string before = timer.Label();
                EXPECT_TRUE(WaitUntil([&] { return timer.Label() != before; }, 2500)) << before;
                break;
            }
            case AwaitEnd:
                EXPECT_TRUE(WaitUntil([&] { return timer.RunState() == "Finished"; }, 3500)) << timer.RunState();
                break;
            }
        }
        EXPECT_EQ(timer.RunState(), session.stateAtClose);

        EXPECT_EQ(timer.Close(), 0);
        EXPECT_FALSE(IsWindow(timer.window)) << "the window outlived its process";
        EXPECT_EQ(ReadFileBytes(settings), content);
        EXPECT_EQ(LastWriteTime(settings), writeTime) << "the settings file was written";
    }
}

// True when no program holds Alt+T, so that the timer can register it.
bool AltTIsFree()
{
    if (!RegisterHotKey(nullptr, 0x7001, MOD_ALT, 'T'))
        return false;
    UnregisterHotKey(nullptr, 0x7001);
    return true;
}

TEST_F(TimerSession, AltTTypedAnywhereHidesAndShowsTheWindowWhileTheCountdownGoesOn)
{
    ASSERT_TRUE(AltTIsFree()) << "another program holds Alt+T";
    ASSERT_TRUE(WriteFileWithNewTime(CaseFolder(L"hotkey") + L"Configuracion.ini", SettingsText(0, 10, 0)));
    TimerProcess timer;
    ASSERT_TRUE(timer.Start(exe)) << timer.StartFailure();
    ASSERT_TRUE(timer.Click(ID_PLAY));

    TypeAltT();
    EXPECT_TRUE(WaitUntil([&] { return !timer.Visible(); }, 3000)) << "the first Alt+T did not hide the window";
    Sleep(1200);
    EXPECT_FALSE(timer.Visible()) << "the window showed again by itself";

    TypeAltT();
    EXPECT_TRUE(WaitUntil([&] { return timer.Visible(); }, 3000)) << "the second Alt+T did not show the window";
    const std::string shown = timer.Label();
    EXPECT_LT(TimeTextSeconds(shown), 600) << "the countdown stood still while hidden: " << shown;
    EXPECT_EQ(timer.RunState(), "Running");

    TypeAltT();
    EXPECT_TRUE(WaitUntil([&] { return !timer.Visible(); }, 3000)) << "the third Alt+T did not hide the window";
    // A hidden window closes as a shown one does.
    EXPECT_EQ(timer.Close(), 0);
    EXPECT_TRUE(AltTIsFree()) << "Alt+T is still held after the timer ended";
}

} // namespace
