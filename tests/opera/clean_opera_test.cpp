// CleanOpera with the Opera stand-in already running: the dialog confirmed on ScreenCentre and
// Opera left open, then an abort while the cleaner waits for a dialog that does not come; the
// failures before anything is changed; and PreserveOperaSession.
#include "opera/opera_cleaner.h"

#include <gtest/gtest.h>

#include <string>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

using Lines = std::vector<std::string>;

DWORD WINAPI CleanOperaOnThread(void*) {
    return CleanOpera() ? 1 : 0;
}

TEST(CleanOpera, RunningOperaIsCleanedAndLeftOpenAndAnAbortEndsTheDialogWait) {
    OperaInstallation opera;  // no registry value: a running Opera needs no locating
    ASSERT_TRUE(opera.ready());
    TempFolder logs;
    std::wstring logPath = logs / L"opera.log";
    ScopedEnv log(L"SWEEPLY_STANDIN_LOG", logPath);
    ScopedEnv oneDialog(L"SWEEPLY_STANDIN_OPERA_DIALOGS", L"1");
    ASSERT_TRUE(StartProgram(Quote(opera.exePath())));
    ASSERT_TRUE(WaitFor([&] { return Has(ReadLog(logPath), "main window shown"); }, 5000));
    RunState = Running;
    ScreenCentre = {600, 450};

    ASSERT_TRUE(CleanOpera());
    HANDLE second = CreateThread(nullptr, 0, CleanOperaOnThread, nullptr, 0, nullptr);
    ASSERT_NE(second, nullptr);
    bool asked = WaitFor([&] { return Has(ReadLog(logPath), "menu D, no dialog"); }, 5000);
    RunState = Aborting;
    DWORD secondResult = 2;
    EXPECT_EQ(WaitForSingleObject(second, 30000), WAIT_OBJECT_0);
    GetExitCodeThread(second, &secondResult);
    CloseHandle(second);
    RunState = Running;
    EXPECT_TRUE(asked);
    EXPECT_EQ(secondResult, 0u) << "a dialog that never came was confirmed";

    Lines lines = ReadLog(logPath);
    EXPECT_EQ(LinesStartingWith(lines, {"menu", "dialog", "confirmed", "cancelled", "closed"}),
              (Lines{"menu Alt+T", "menu D", "dialog shown style=96CC0000 behind=1",
                     "confirmed centre=600,450 topmost=1", "menu Alt+T", "menu D, no dialog"}));
    EXPECT_EQ(CountProcesses(L"opera.exe"), 1);
}

TEST(CleanOpera, NothingIsStartedOrChangedAfterAnAbortOrWithoutBothPreferences) {
    struct Case {
        int startup;
        int defaultBrowser;
        RunStateValue state;
    };
    for (Case c : {Case{1, 1, Aborting}, Case{kOmit, 0, Running}, Case{0, kOmit, Running}}) {
        OperaSetup setup;
        setup.showStartupDialog = c.startup;
        setup.showDefaultBrowserDialog = c.defaultBrowser;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
        TempFolder logs;
        ScopedEnv log(L"SWEEPLY_STANDIN_LOG", logs / L"opera.log");
        std::wstring prefsPath = opera.profileDir() + L"\\operaprefs.ini";
        std::string prefs = ReadTextFile(prefsPath);
        RunState = c.state;
        EXPECT_FALSE(CleanOpera()) << c.startup << " " << c.defaultBrowser;
        RunState = Running;
        EXPECT_EQ(ReadTextFile(prefsPath), prefs);
        EXPECT_TRUE(ReadLog(logs / L"opera.log").empty()) << "Opera was started";
    }
}

// The line is the quoted program path and " about:blank": 24 characters beside the folder's.
TEST(BuildOperaCommandLine, FitsItsBufferOrFails) {
    wchar_t line[kOperaCommandLineChars];
    for (size_t folder : {247u, 248u}) {
        OperaLocation location = {};
        wcscpy(location.programDir, (L"C:\\" + std::wstring(folder - 3, L'a')).c_str());
        EXPECT_EQ(BuildOperaCommandLine(location, line, kOperaCommandLineChars), folder == 247);
    }
}

TEST(PreserveOperaSession, BackupIsPutBackOnlyWhenTheSessionWentAway) {
    OperaSetup setup;
    setup.multiUser = 1;
    setup.profileSubfolder = true;
    OperaInstallation opera(setup);
    ASSERT_TRUE(opera.ready());
    EXPECT_FALSE(PreserveOperaSession(true)) << "no Opera registered";
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
    EXPECT_FALSE(PreserveOperaSession(false)) << "no \"sessions\" folder to put anything back in";
    ASSERT_TRUE(opera.AddSession("tabs 1"));

    // CCleaner deleted the session: the backup goes back in its place.
    ASSERT_TRUE(PreserveOperaSession(true));
    EXPECT_EQ(ReadTextFile(opera.backupPath()), "tabs 1");
    ASSERT_TRUE(DeleteFileW(opera.sessionPath().c_str()));
    ASSERT_TRUE(PreserveOperaSession(false));
    EXPECT_EQ(ReadTextFile(opera.sessionPath()), "tabs 1");
    EXPECT_FALSE(FileExists(opera.backupPath()));

    // The session survived: it stays as it is and the backup stays beside it.
    ASSERT_TRUE(opera.AddSession("tabs 2"));
    ASSERT_TRUE(PreserveOperaSession(true));
    ASSERT_TRUE(opera.AddSession("tabs 3"));
    EXPECT_FALSE(PreserveOperaSession(false));
    EXPECT_EQ(ReadTextFile(opera.sessionPath()), "tabs 3");
    EXPECT_EQ(ReadTextFile(opera.backupPath()), "tabs 2");

    // No session to copy: the old backup is left alone.
    ASSERT_TRUE(DeleteFileW(opera.sessionPath().c_str()));
    EXPECT_FALSE(PreserveOperaSession(true));
    EXPECT_EQ(ReadTextFile(opera.backupPath()), "tabs 2");
}

}  // namespace
