// Sweeply.exe as a whole under Wine against the CCleaner and Norton 360 stand-ins: "cc/auto"
// silent, "n360v3" shown with a Norton that stops answering, the Opera button's "opera/f cc", and
// "cc" without CCleaner.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/cleaners/runner_test_support.h"
#include "tests/opera/opera_fixture.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace runner_testing;
using namespace opera_fixture;

// The centre of the work area, where Sweeply centres what it shows above the curtain.
POINT WorkAreaCentre() {
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return POINT{(area.right - area.left) / 2, (area.bottom - area.top) / 2};
}

class SweeplyCCleanerNortonRun : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = folder_ / L"standins.log";
        ScopedEnvFor(L"SWEEPLY_STANDIN_LOG", log_);
    }
    void TearDown() override {
        EndProcesses(L"CCleaner.exe");
        EndProcesses(L"norton.exe");
    }
    void ScopedEnvFor(const wchar_t* name, const std::wstring& value) {
        variables_.push_back(std::make_unique<ScopedEnv>(name, value));
    }
    void InstallCCleaner(const wchar_t* standin) {
        std::wstring dir = folder_ / L"Piriform CCleaner";
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
        std::wstring program = dir + L"\\CCleaner.exe";
        ASSERT_TRUE(CopyFileW(BinPath(standin).c_str(), program.c_str(), FALSE));
        appPath_ = std::make_unique<ScopedCCleanerAppPath>(program);
    }

    TempFolder folder_;
    std::wstring log_;
    std::vector<std::unique_ptr<ScopedEnv>> variables_;
    std::unique_ptr<ScopedCCleanerAppPath> appPath_;
};

TEST_F(SweeplyCCleanerNortonRun, AutomaticCCleanerInASilentRun) {
    InstallCCleaner(L"ccleaner21.exe");
    std::wstring junk = folder_ / L"junk.tmp";
    ASSERT_TRUE(WriteTextFile(junk, "junk"));
    ScopedEnvFor(L"SWEEPLY_STANDIN_CCLEANER_TARGET", junk);
    CurtainWatcher curtain;

    RunResult run = RunSweeply(L"cc/auto", 120000);
    curtain.Stop();

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(curtain.sawCurtain());
    std::vector<std::string> lines = ReadLog(log_);
    std::vector<std::string> expected = {"started [/AUTO] version 2.1", "cleaned " + Narrow(junk),
                                         "automatic run done"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(CountProcesses(L"CCleaner.exe"), 0);
}

TEST_F(SweeplyCCleanerNortonRun, NortonThatStopsAnsweringLetsAShownRunBeAborted) {
    ScopedEnvFor(L"SWEEPLY_STANDIN_NORTON_POPUP", L"1");
    // Norton hangs in the dismissal: Sweeply's worker is then waiting for its answer.
    ScopedEnvFor(L"SWEEPLY_STANDIN_HANG_AFTER", L"dialog WM_DESTROY");
    RunningStandin norton(BinPath(L"norton.exe"));
    ASSERT_TRUE(norton.started());
    ASSERT_EQ(ReadLog(log_, 1, 10000).size(), 1u);
    CurtainWatcher curtain;

    RunResult run;
    {
        AbortWhenLogged escapeTwice(log_, "stops answering", AbortBy::EscapeTwice);
        // Far beyond any wait of the run: the bound only keeps a hung run from holding the suite.
        run = RunSweeply(L"n360v3", 30000);
    }
    curtain.Stop();

    ASSERT_TRUE(run.finished) << "the run hung on a window that stopped answering";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(curtain.sawCurtain());
    std::vector<std::string> lines = ReadLog(log_);
    EXPECT_EQ(LinesStartingWith(lines, {"button", "key"}).size(), 2u + 2 * (9 + 1 + 4 + 1));
    POINT centre = WorkAreaCentre();
    // The dialog is 480 x 400: centred above the curtain.
    std::string centred = "dialog at " + std::to_string(centre.x - 240) + "," +
                          std::to_string(centre.y - 200) + " topmost 1";
    std::vector<std::string> expected = {"popup hidden", "dialog shown", centred,
                                         "dialog WM_DESTROY", "stops answering"};
    EXPECT_EQ(LinesStartingWith(lines, {"popup", "dialog", "stops"}), expected);
}

TEST_F(SweeplyCCleanerNortonRun, OperaButtonTaskRunsCCleanerAndKeepsTheSession) {
    OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
    ASSERT_TRUE(opera.AddSession("tabs 1"));
    ScopedEnvFor(L"SWEEPLY_STANDIN_OPERA_PROFILE", opera.profileDir());
    InstallCCleaner(L"ccleaner21.exe");
    ScopedEnvFor(L"SWEEPLY_STANDIN_CCLEANER_TARGET", opera.sessionPath());
    CurtainWatcher curtain;

    RunResult run = RunSweeply(L"opera/f cc", 120000);
    curtain.Stop();

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(curtain.sawCurtain());
    std::vector<std::string> lines = ReadLog(log_);
    // Only CCleaner was started: the Opera cleaner stayed out of it.
    EXPECT_EQ(LinesStartingWith(lines, {"started"}),
              std::vector<std::string>{"started [] version 2.1"});
    EXPECT_EQ(CountProcesses(L"opera.exe"), 0);
    std::vector<std::string> expected = {"pressed Run Cleaner on tab 0", "run finished",
                                         "pressed Run Cleaner on tab 1", "run finished", "closed"};
    EXPECT_EQ(LinesStartingWith(lines, {"pressed", "run finished", "closed"}), expected);
    POINT centre = WorkAreaCentre();
    std::vector<std::string> placements = LinesStartingWith(lines, {"window visible"});
    ASSERT_FALSE(placements.empty());
    EXPECT_EQ(placements[0], "window visible 1 at " + std::to_string(centre.x - 325) + "," +
                                 std::to_string(centre.y - 225) + " size 600x400 topmost 1");
    // CCleaner deleted the session; it was put back.
    EXPECT_NE(IndexOf(lines, "cleaned " + Narrow(opera.sessionPath())), -1);
    EXPECT_EQ(ReadTextFile(opera.sessionPath()), "tabs 1");
    EXPECT_FALSE(FileExists(opera.backupPath()));
}

TEST_F(SweeplyCCleanerNortonRun, MissingCCleanerInAShownRunShowsTheWarningToTheEnd) {
    CurtainWatcher curtain;
    RunResult run = RunSweeply(L"cc", 120000);
    curtain.Stop();

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_TRUE(curtain.sawCurtain());
    const std::vector<std::string>& looks = curtain.statusLooks();
    auto warning = std::find(looks.begin(), looks.end(), "warning");
    ASSERT_NE(warning, looks.end()) << ::testing::PrintToString(looks);
    // Neither the close mark nor the completion text comes back after the warning.
    EXPECT_EQ(std::find(warning, looks.end(), "text"), looks.end())
        << ::testing::PrintToString(looks);
}

}  // namespace
