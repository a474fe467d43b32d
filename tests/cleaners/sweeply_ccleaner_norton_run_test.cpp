// The worker's CCleaner step with Opera's saved session kept around it (the product's step table
// run in this process), and Sweeply.exe as a whole against the CCleaner and Norton 360 stand-ins:
// the Opera button's "opera/f cc", and "n360v3" with a Norton that stops answering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/worker.h"
#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/runner_test_support.h"
#include "tests/opera/opera_fixture.h"

namespace {

using namespace testing_support;
using namespace runner_testing;
using namespace opera_fixture;
using Lines = std::vector<std::string>;

void NoPause(DWORD) {}

// The centre of the work area, where Sweeply centres what it shows above the curtain.
POINT WorkAreaCentre() {
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return POINT{(area.right - area.left) / 2, (area.bottom - area.top) / 2};
}

// Opera with the saved session "tabs 1"; CCleaner's stand-in deletes it as its run begins.
class CCleanerNortonRun : public ::testing::Test {
  protected:
    void SetUp() override {
        RunState = Running;
        VisibleMode = false;
        ASSERT_TRUE(opera_.ready());
        ASSERT_TRUE(opera_.RegisterCommandLine(kCommandLineV2, true, L""));
        ASSERT_TRUE(opera_.AddSession("tabs 1"));
    }
    void TearDown() override {
        EndProcesses(L"CCleaner.exe");
        RunState = Running;
        VisibleMode = false;
    }
    // The product's step table run for `task` as the worker runs it, without its pauses.
    void RunTask(const wchar_t* task) {
        TaskString = task;
        RunCleaningSequence(CleaningSteps(), NoPause);
        TaskString = L"";
    }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"standins.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
    OperaInstallation opera_;
    ScopedEnv target_{L"SWEEPLY_STANDIN_CCLEANER_TARGET", opera_.sessionPath()};
};

TEST_F(CCleanerNortonRun, WithoutASessionAnOlderBackupIsNotBroughtBack) {
    // The user closed Opera with no session worth keeping; a backup from an earlier run lies
    // beside the profile. Nothing was copied this time, so nothing may be put back.
    ASSERT_TRUE(DeleteFileW(opera_.sessionPath().c_str()));
    ASSERT_TRUE(WriteTextFile(opera_.backupPath(), "tabs of last week"));
    auto entry = InstallCCleaner(folder_.path(), L"ccleaner21.exe");
    RunTask(L"cc/auto");
    ASSERT_TRUE(Has(ReadLog(log_), "automatic run done"));
    EXPECT_FALSE(FileExists(opera_.sessionPath()));
    EXPECT_EQ(ReadTextFile(opera_.backupPath()), "tabs of last week");
}

TEST_F(CCleanerNortonRun, SessionsFolderThatIsALinkIsLeftAlone) {
    // Another program made "sessions" a link to a folder of its choice: the elevated run reads
    // nothing through it and puts nothing back through it.
    TempFolder outside;
    std::wstring sessions = opera_.profileDir() + L"\\sessions";
    ASSERT_TRUE(WriteTextFile(outside / L"autosave.win", "tabs elsewhere"));
    RemoveTree(sessions);
    if (!MakeFolderLink(sessions, outside.path())) {
        GTEST_SKIP() << "no way to make a folder link here";
    }
    auto entry = InstallCCleaner(folder_.path(), L"ccleaner21.exe");
    RunTask(L"cc/auto");
    RemoveFolderLink(sessions);
    ASSERT_TRUE(Has(ReadLog(log_), "cleaned " + Narrow(opera_.sessionPath())));
    EXPECT_FALSE(FileExists(opera_.backupPath()));
    EXPECT_FALSE(FileExists(outside / L"autosave.win"));
}

TEST_F(CCleanerNortonRun, AbortWhileCCleanerWorksLeavesItShownAndPutsTheSessionBack) {
    VisibleMode = true;
    auto entry = InstallCCleaner(folder_.path(), L"ccleaner21.exe");
    ScopedEnv longRun(L"SWEEPLY_STANDIN_CCLEANER_WORK_MS", L"600000");
    AbortWhenLogged(log_, "cleaned", [this] { RunTask(L"cc"); });
    EXPECT_EQ(RunState, Aborting);
    EXPECT_EQ(ReadTextFile(opera_.sessionPath()), "tabs 1");
    EXPECT_EQ(LinesStartingWith(ReadLog(log_), {"pressed", "tab", "closed"}),
              Lines{"pressed Run Cleaner on tab 0"});
    // Left as it was: running, shown above the curtain, where the user can close it.
    HWND window = FindWindowW(nullptr, L"Piriform CCleaner");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
}

// Started by the Opera button: only CCleaner is started, shown above the curtain at the centre
// of the work area; its wide tabs need the second click; the session it deleted comes back and
// an older backup goes.
TEST_F(CCleanerNortonRun, OperaButtonTaskRunsCCleanerAboveTheCurtainAndKeepsTheSession) {
    ASSERT_TRUE(WriteTextFile(opera_.backupPath(), "tabs of last week"));
    auto entry = InstallCCleaner(folder_.path(), L"ccleaner21.exe");
    ScopedEnv wideTabs(L"SWEEPLY_STANDIN_CCLEANER_WIDE_TABS", L"1");

    RunResult run = RunSweeply(L"opera/f cc", 120000);

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    Lines lines = ReadLog(log_);
    EXPECT_EQ(LinesStartingWith(lines, {"started"}), Lines{"started [] version 2.1"});
    // The second click is the wide tabs' need.
    Lines actions = {"pressed Run Cleaner on tab 0", "run finished", "tab click 70,10"};
    actions.insert(actions.end(), {"tab click 100,10", "tab selected 1",
                                   "pressed Run Cleaner on tab 1", "run finished", "closed"});
    EXPECT_EQ(LinesStartingWith(lines, {"pressed", "run finished", "tab", "closed"}), actions);
    POINT centre = WorkAreaCentre();
    int placement = IndexOfPrefix(lines, "window visible");
    ASSERT_NE(placement, -1);
    EXPECT_EQ(lines[placement], "window visible 1 at " + std::to_string(centre.x - 325) + "," +
                                    std::to_string(centre.y - 225) + " size 600x400 topmost 1");
    EXPECT_TRUE(Has(lines, "cleaned " + Narrow(opera_.sessionPath())));
    EXPECT_EQ(ReadTextFile(opera_.sessionPath()), "tabs 1");
    EXPECT_FALSE(FileExists(opera_.backupPath()));
}

// Norton in a process of its own, where Wine never lets the runner see the content white: after
// its 20 polls the runner dismisses the dialog all the same; Norton hangs there, and the run
// still ends. The dialog was centred above the curtain, the pop-up hidden.
TEST_F(CCleanerNortonRun, NortonAcrossProcessesIsDismissedAfterItsPollsAndAHangEndsTheRun) {
    ScopedEnv popup(L"SWEEPLY_STANDIN_NORTON_POPUP", L"1");
    ScopedEnv neverWhite(L"SWEEPLY_STANDIN_NORTON_WHITE_MS", L"600000");
    ScopedEnv hang(L"SWEEPLY_STANDIN_HANG_AFTER", L"dialog WM_DESTROY");
    ChildProcess norton;
    ASSERT_TRUE(norton.Start(Quote(BinPath(L"norton.exe"))));
    ASSERT_EQ(ReadLog(log_, 1, 10000), Lines{"started [Norton 360]"});

    // Far beyond any wait of the run: the bound only keeps a hung run from holding the suite.
    RunResult run = RunSweeply(L"n360v3", 60000);

    ASSERT_TRUE(run.finished) << "the run hung on a window that stopped answering";
    EXPECT_EQ(run.exitCode, 0u);
    Lines lines = ReadLog(log_);
    EXPECT_EQ(LinesStartingWith(lines, {"button", "key"}).size(), 2u + 2 * (9 + 1 + 4 + 1));
    POINT centre = WorkAreaCentre();
    std::string centred = "dialog at " + std::to_string(centre.x - 240) + "," +
                          std::to_string(centre.y - 200) + " size 480x400 topmost 1";
    Lines expected = {"popup hidden", "dialog shown", centred, "dialog WM_DESTROY",
                      "stops answering"};
    EXPECT_EQ(LinesStartingWith(lines, {"popup", "dialog", "content", "stops"}), expected);
}

}  // namespace
