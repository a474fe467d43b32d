// RunCCleaner against the CCleaner stand-in, found through its App Paths entry as the real one
// is: not installed, the automatic mode, versions 2.0, 2.1 and 3 driven or not, and aborts.
#include "cleaners/ccleaner.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/runner_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace runner_testing;

constexpr wchar_t kExe[] = L"CCleaner.exe";

class CCleanerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RunState = Running;
        VisibleMode = false;
        MainWindow = nullptr;
        ScreenCentre = ScreenPoint{};
        log_ = folder_ / L"ccleaner.log";
        logVariable_ = std::make_unique<ScopedEnv>(L"SWEEPLY_STANDIN_LOG", log_);
    }
    void TearDown() override {
        EndProcesses(kExe);
        RunState = Running;
        VisibleMode = false;
    }

    // Copies the stand-in of `version` (20, 21, 30) into a folder with a blank in its name and
    // registers it as CCleaner.
    void Install(int version) {
        std::wstring dir = folder_ / L"Piriform CCleaner";
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
        std::wstring standin = L"ccleaner" + std::to_wstring(version) + L".exe";
        program_ = dir + L"\\" + kExe;
        ASSERT_TRUE(CopyFileW(BinPath(standin.c_str()).c_str(), program_.c_str(), FALSE));
        appPath_ = std::make_unique<ScopedCCleanerAppPath>(program_);
    }

    std::vector<std::string> Log() const { return ReadLog(log_); }

    // The presses, tab changes and close, in order.
    std::vector<std::string> Actions() const {
        return LinesStartingWith(Log(), {"pressed", "run finished", "tab", "closed", "quit"});
    }

    TempFolder folder_;
    std::wstring log_;
    std::wstring program_;
    std::unique_ptr<ScopedEnv> logVariable_;
    std::unique_ptr<ScopedCCleanerAppPath> appPath_;
};

TEST_F(CCleanerTest, NotInstalledInSilentRunGivesUpWithoutWarning) {
    EXPECT_FALSE(RunCCleaner(false));
    EXPECT_FALSE(RunCCleaner(true));
    EXPECT_EQ(RunState, Running);
}

TEST_F(CCleanerTest, NotInstalledInShownRunSetsTheWarning) {
    VisibleMode = true;
    EXPECT_FALSE(RunCCleaner(false));
    EXPECT_EQ(RunState, CCleanerMissing);
}

TEST_F(CCleanerTest, AppPathsValueThatIsNoPathCountsAsNotInstalled) {
    VisibleMode = true;
    {
        // Expanded, the path would not fit its buffer: no cut path is taken for CCleaner's.
        ScopedEnv folder(L"SWEEPLY_TEST_FOLDER", L"C:\\" + std::wstring(250, L'f'));
        std::wstring path = L"%SWEEPLY_TEST_FOLDER%\\CCleaner.exe";
        ScopedCCleanerAppPath tooLong(REG_EXPAND_SZ, path.c_str(),
                                      static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        EXPECT_FALSE(RunCCleaner(true));
        EXPECT_EQ(RunState, CCleanerMissing);
    }
    RunState = Running;
    {
        ScopedCCleanerAppPath empty(L"");
        EXPECT_FALSE(RunCCleaner(true));
        EXPECT_EQ(RunState, CCleanerMissing);
    }
}

TEST_F(CCleanerTest, AutomaticModeStartsOnceWithAutoAndWaitsForTheEnd) {
    // Version 3 is never driven through its window, yet its automatic mode runs: no version test.
    Install(30);
    std::wstring target = folder_ / L"junk.tmp";
    ASSERT_TRUE(WriteTextFile(target, "junk"));
    ScopedEnv targetVariable(L"SWEEPLY_STANDIN_CCLEANER_TARGET", target);
    ScopedEnv slow(L"SWEEPLY_STANDIN_CCLEANER_AUTO_MS", L"1200");

    EXPECT_TRUE(RunCCleaner(true));

    // Returned only once CCleaner had ended.
    EXPECT_EQ(CountProcesses(kExe), 0);
    EXPECT_FALSE(FileExists(target));
    std::vector<std::string> starts = LinesStartingWith(Log(), {"started"});
    EXPECT_EQ(starts, std::vector<std::string>{"started [/AUTO] version 3.0"});
    EXPECT_NE(IndexOf(Log(), "automatic run done"), -1);
    EXPECT_EQ(IndexOf(Log(), "window shown"), -1);
    EXPECT_EQ(IndexOf(Log(), "window hidden"), -1);
}

TEST_F(CCleanerTest, Version20PressesTheThirdButtonAndReachesTheTabWithTheFirstClick) {
    Install(20);
    EXPECT_TRUE(RunCCleaner(false));
    std::vector<std::string> expected = {
        "pressed Run Cleaner on tab 0", "run finished", "tab click 70,10", "tab selected 1",
        "pressed Run Cleaner on tab 1", "run finished", "closed"};
    EXPECT_EQ(Actions(), expected);
    // Started hidden without arguments, and kept hidden in a silent run.
    std::vector<std::string> lines = Log();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "started [] version 2.0");
    EXPECT_EQ(lines[1], "window hidden");
    for (const std::string& placement : LinesStartingWith(lines, {"window visible"})) {
        EXPECT_EQ(placement.rfind("window visible 0 ", 0), 0u) << placement;
    }
    EXPECT_TRUE(WaitNoProcess(kExe, 10000));
}

TEST_F(CCleanerTest, Version21InShownRunIsPlacedAboveTheCurtainAndNeedsTheSecondClick) {
    VisibleMode = true;
    ScreenCentre = ScreenPoint{640, 512};
    Install(21);
    ScopedEnv wideTabs(L"SWEEPLY_STANDIN_CCLEANER_WIDE_TABS", L"1");

    EXPECT_TRUE(RunCCleaner(false));

    std::vector<std::string> expected = {"pressed Run Cleaner on tab 0",
                                         "run finished",
                                         "tab click 70,10",
                                         "tab click 100,10",
                                         "tab selected 1",
                                         "pressed Run Cleaner on tab 1",
                                         "run finished",
                                         "closed"};
    EXPECT_EQ(Actions(), expected);
    std::vector<std::string> placements = LinesStartingWith(Log(), {"window visible"});
    ASSERT_FALSE(placements.empty());
    EXPECT_EQ(placements[0], "window visible 1 at 315,287 size 600x400 topmost 1");
    EXPECT_EQ(RunState, Running);
}

TEST_F(CCleanerTest, Version3IsNotStartedWhereItCouldNotBeDriven) {
    // Started, it would stay running, hidden, until told to end: nothing may be left behind.
    Install(30);
    EXPECT_FALSE(RunCCleaner(false));
    EXPECT_TRUE(Log().empty()) << ::testing::PrintToString(Log());
    EXPECT_EQ(CountProcesses(kExe), 0);
}

TEST_F(CCleanerTest, AbortWhileTheRunButtonIsDisabledLeavesCCleanerRunning) {
    VisibleMode = true;
    Install(21);
    ScopedEnv longRun(L"SWEEPLY_STANDIN_CCLEANER_WORK_MS", L"600000");
    {
        AbortWhenLogged abort(log_, "pressed Run Cleaner");
        EXPECT_FALSE(RunCCleaner(false));
    }
    EXPECT_EQ(Actions(), std::vector<std::string>{"pressed Run Cleaner on tab 0"});
    EXPECT_EQ(CountProcesses(kExe), 1);
    // Left as it was: shown above the curtain, where the user can close it.
    HWND window = FindWindowW(nullptr, L"Piriform CCleaner");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(CCleanerTest, CCleanerClosedWhileWorkingEndsTheWait) {
    Install(21);
    ScopedEnv quits(L"SWEEPLY_STANDIN_CCLEANER_QUIT_WHILE_WORKING", L"1");
    EXPECT_FALSE(RunCCleaner(false));
    std::vector<std::string> expected = {"pressed Run Cleaner on tab 0", "quit while working"};
    EXPECT_EQ(Actions(), expected);
}

}  // namespace
