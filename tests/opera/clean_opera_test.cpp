// CleanOpera end to end with the Opera stand-in: running or started here, the dialog confirmed
// and centred, the preferences put back, the failure paths; and PreserveOperaSession.
#include "opera/opera_cleaner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

using Lines = std::vector<std::string>;

// One test's scene: an installation, the stand-in's log and profile, a known centre.
class CleanOperaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RunState = Running;
        ScreenCentre = {600, 450};
    }
    void TearDown() override {
        EndOperaStandins();
        RunState = Running;
    }

    void Prepare(OperaInstallation& opera) {
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(opera.AddPrivateData());
        logVariable_ = std::make_unique<ScopedEnv>(L"SWEEPLY_STANDIN_LOG", log_ / L"opera.log");
        profileVariable_ =
            std::make_unique<ScopedEnv>(L"SWEEPLY_STANDIN_OPERA_PROFILE", opera.profileDir());
    }

    Lines Log(size_t atLeast = 0, DWORD waitMs = 0) {
        return ReadLog(log_ / L"opera.log", atLeast, waitMs);
    }

    // Starts the stand-in as the user would and waits for its main window.
    void StartOperaHere(const OperaInstallation& opera) {
        ASSERT_TRUE(StartProgram(Quote(opera.exePath())));
        ASSERT_TRUE(WaitFor([&] { return Has(Log(), "main window shown"); }, 5000));
    }

    TempFolder log_;
    std::unique_ptr<ScopedEnv> logVariable_;
    std::unique_ptr<ScopedEnv> profileVariable_;
};

TEST_F(CleanOperaTest, OperaNotRunningIsStartedCleanedAndClosed) {
    OperaSetup setup;
    setup.showStartupDialog = 2;
    setup.showDefaultBrowserDialog = 0;
    OperaInstallation opera(setup);
    Prepare(opera);
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L"http://example.com/"));
    // Started from an unquoted line, Windows would run this "Opera.exe" in the folder above.
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), (opera.root() + L"\\Opera.exe").c_str(),
                          FALSE));
    // The main window comes late, so the cleaner has to wait for it.
    ScopedEnv windowDelay(L"SWEEPLY_STANDIN_OPERA_WINDOW_DELAY", L"1200");

    ASSERT_TRUE(CleanOpera());
    ASSERT_TRUE(WaitNoProcess(L"opera.exe", 10000)) << "closed after the cleaning";

    Lines lines = Log();
    EXPECT_TRUE(Has(lines, "started [about:blank]"));
    EXPECT_TRUE(Has(
        lines, "command line [\"" + Narrow(opera.programDir()) + "\\\\opera.exe\" about:blank]"));
    EXPECT_TRUE(Has(lines, "prefs startup=0 default-browser=0"));
    EXPECT_TRUE(Has(lines, "menu Alt+T"));
    EXPECT_TRUE(Has(lines, "menu D"));
    EXPECT_TRUE(Has(lines, "dialog shown style=96CC0000 first=Delete"));
    EXPECT_TRUE(Has(lines, "confirmed centre=600,450 topmost=1"));
    EXPECT_TRUE(Has(lines, "cleared 4 files"));
    EXPECT_FALSE(Has(lines, "cancelled"));
    EXPECT_EQ(lines.back(), "closed");
    EXPECT_EQ(opera.CountPrivateData(), 0);
    EXPECT_EQ(opera.ReadPref(L"Show Startup Dialog"), 2);
    EXPECT_EQ(opera.ReadPref(L"Show Default Browser Dialog"), 0);
    EXPECT_FALSE(FileExists(log_ / L"recorder.log"));
}

TEST_F(CleanOperaTest, RunningOperaIsCleanedAndLeftOpen) {
    OperaInstallation opera;  // no registry value: a running Opera needs no locating
    Prepare(opera);
    std::string prefsBefore = ReadTextFile(opera.prefsPath());
    StartOperaHere(opera);
    ScreenCentre = {512, 384};

    ASSERT_TRUE(CleanOpera());

    Lines lines = Log();
    EXPECT_TRUE(Has(lines, "confirmed centre=512,384 topmost=1"));
    EXPECT_TRUE(Has(lines, "cleared 4 files"));
    EXPECT_FALSE(Has(lines, "closed"));
    EXPECT_EQ(CountProcesses(L"opera.exe"), 1);
    EXPECT_EQ(ReadTextFile(opera.prefsPath()), prefsBefore);
    EXPECT_EQ(opera.CountPrivateData(), 0);
}

TEST_F(CleanOperaTest, DialogThatNeverOpensIsNotTakenForTheMainWindow) {
    OperaInstallation opera;
    Prepare(opera);
    ScopedEnv noDialog(L"SWEEPLY_STANDIN_OPERA_NODIALOG", L"1");
    StartOperaHere(opera);
    HWND main = FindWindowW(L"OpWindow", nullptr);
    ASSERT_NE(main, nullptr);
    RECT before = {};
    GetWindowRect(main, &before);

    EXPECT_FALSE(CleanOpera());

    Lines lines = Log();
    EXPECT_TRUE(Has(lines, "menu D, no dialog"));
    EXPECT_TRUE(LinesStartingWith(lines, {"confirmed"}).empty());
    EXPECT_FALSE(Has(lines, "closed"));
    RECT after = {};
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the main window was moved like the dialog";
    EXPECT_EQ(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(opera.CountPrivateData(), 4);
}

TEST_F(CleanOperaTest, OperaNotReadyInTimeStillGetsItsPreferencesBack) {
    OperaInstallation opera;
    Prepare(opera);
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
    ScopedEnv busy(L"SWEEPLY_STANDIN_OPERA_BUSY", L"10800");

    EXPECT_FALSE(CleanOpera());
    EXPECT_EQ(opera.ReadPref(L"Show Startup Dialog"), 1);
    EXPECT_EQ(opera.ReadPref(L"Show Default Browser Dialog"), 1);
    EXPECT_TRUE(Has(Log(), "prefs startup=0 default-browser=0"));
    EXPECT_TRUE(LinesStartingWith(Log(), {"menu"}).empty());
}

// WAIT_FAILED from WaitForInputIdle (at once here: the stand-in is marked as a console program)
// counts as ready, as for every program the cleaners start.
TEST_F(CleanOperaTest, WaitFailedCountsAsReady) {
    OperaSetup setup;
    setup.version = L"10.0_console";
    OperaInstallation opera(setup);
    Prepare(opera);
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
    EXPECT_TRUE(CleanOpera());
}

TEST_F(CleanOperaTest, NothingChangesAfterAnAbortOrWithoutBothPreferencesOrOpera) {
    {
        OperaInstallation opera;
        Prepare(opera);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        RunState = Aborting;
        EXPECT_FALSE(CleanOpera());
        RunState = Running;
    }
    {
        OperaSetup setup;
        setup.showDefaultBrowserDialog = kOmit;
        OperaInstallation opera(setup);
        Prepare(opera);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        std::string prefsBefore = ReadTextFile(opera.prefsPath());
        EXPECT_FALSE(CleanOpera());
        EXPECT_EQ(ReadTextFile(opera.prefsPath()), prefsBefore);
    }
    {
        OperaSetup setup;
        setup.version = L"9.27";
        OperaInstallation opera(setup);
        Prepare(opera);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        EXPECT_FALSE(CleanOpera());
    }
    EXPECT_TRUE(Log().empty()) << "no Opera was started";
}

TEST(BuildOperaCommandLine, QuotesTheProgramPath) {
    OperaLocation location = {};
    wcscpy(location.programDir, L"C:\\Program Files\\Opera");
    wchar_t line[kOperaCommandLineChars];
    ASSERT_TRUE(BuildOperaCommandLine(location, line, kOperaCommandLineChars));
    EXPECT_STREQ(line, L"\"C:\\Program Files\\Opera\\opera.exe\" about:blank");

    // 259 characters of folder do not fit the 272 of the line.
    std::wstring longDir = L"C:\\" + std::wstring(256, L'a');
    wcscpy(location.programDir, longDir.c_str());
    EXPECT_FALSE(BuildOperaCommandLine(location, line, kOperaCommandLineChars));
}

TEST(PreserveOperaSession, BackupIsPutBackOnlyWhenTheSessionWentAway) {
    OperaSetup setup;
    setup.multiUser = 1;
    setup.profileSubfolder = true;
    OperaInstallation opera(setup);
    ASSERT_TRUE(opera.ready());
    EXPECT_FALSE(PreserveOperaSession(true)) << "no Opera registered";
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
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
