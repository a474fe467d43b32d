// RunCCleaner against the CCleaner stand-in, found through its App Paths entry as the real one
// is: what it gives up on without starting anything, the automatic mode, and version 2 driven.
#include "cleaners/ccleaner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/runner_test_support.h"

namespace {

using namespace testing_support;
using namespace runner_testing;
using Lines = std::vector<std::string>;

class CCleanerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EndProcesses(L"CCleaner.exe");
        RunState = Running;
        VisibleMode = false;
    }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"ccleaner.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
};

TEST_F(CCleanerTest, GivesUpWithoutStartingAnything) {
    enum Modes { kInteractive = 1, kAutomatic = 2, kBoth = 3 };
    struct Case {
        const char* what;
        const wchar_t* standin;  // installed; else the entry names `entry`
        const wchar_t* entry;    // null: no entry
        bool visible;
        LONG before, after;  // RunState
        int modes;
    };
    const Case cases[] = {
        {"not installed, silent", nullptr, nullptr, false, Running, Running, kBoth},
        // Only a shown run tells an empty entry from a found one: it warns.
        {"empty entry, shown", nullptr, L"", true, Running, CCleanerMissing, kAutomatic},
        {"entry names no file", nullptr, L"C:\\no\\CCleaner.exe", true, Running, Running, kBoth},
        {"abort confirmed before", L"ccleaner21.exe", nullptr, true, Aborting, Aborting, kBoth},
        // Started hidden and then not driven, version 3 would stay running unseen.
        {"version 3 interactive", L"ccleaner30.exe", nullptr, false, Running, Running,
         kInteractive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder installed;
        auto entry = c.standin != nullptr
                         ? InstallCCleaner(installed.path(), c.standin)
                         : std::make_unique<ScopedRegistryText>(
                               HKEY_LOCAL_MACHINE, kCCleanerAppPaths, nullptr, c.entry);
        VisibleMode = c.visible;
        for (bool automatic : {false, true}) {
            if ((c.modes & (automatic ? kAutomatic : kInteractive)) == 0) {
                continue;
            }
            RunState = c.before;
            EXPECT_FALSE(RunCCleaner(automatic)) << automatic;
            EXPECT_EQ(RunState, c.after) << automatic;
        }
        EXPECT_EQ(ReadLog(log_), Lines{});
        EXPECT_EQ(CountProcesses(L"CCleaner.exe"), 0);
    }
}

TEST_F(CCleanerTest, AutomaticModeStartsOnceWithAutoAndWaitsForTheEnd) {
    // Version 3 is never driven through its window, yet its automatic mode runs: no version test.
    auto entry = InstallCCleaner(folder_.path(), L"ccleaner30.exe");
    std::wstring target = folder_ / L"junk.tmp";
    ASSERT_TRUE(WriteTextFile(target, "junk"));
    ScopedEnv targetVariable(L"SWEEPLY_STANDIN_CCLEANER_TARGET", target);

    EXPECT_TRUE(RunCCleaner(true));

    // Returned only once CCleaner had ended, and no window was made.
    EXPECT_EQ(CountProcesses(L"CCleaner.exe"), 0);
    EXPECT_EQ(ReadLog(log_), (Lines{"started [/AUTO] version 3.0", "cleaned " + Narrow(target),
                                    "automatic run done"}));
}

// Started hidden without arguments and kept hidden in a silent run; the run button is the third
// "Button" for version 2.0 and the second otherwise; the second tab is reached by the click at
// x 70 (the one at x 100 is the shown run's case); a CCleaner closed while it works ends the wait.
TEST_F(CCleanerTest, Version2IsDrivenThroughItsWindow) {
    struct Case {
        const wchar_t* standin;
        const wchar_t* quitWhileWorking;
        bool result;
        Lines actions;
    };
    const Lines all = {
        "pressed Run Cleaner on tab 0", "run finished", "tab click 70,10", "tab selected 1",
        "pressed Run Cleaner on tab 1", "run finished", "closed"};
    const Case cases[] = {
        {L"ccleaner20.exe", L"0", true, all},
        {L"ccleaner21.exe", L"1", false, {"pressed Run Cleaner on tab 0", "quit while working"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.standin));
        TempFolder installed;
        auto entry = InstallCCleaner(installed.path(), c.standin);
        ScopedEnv quits(L"SWEEPLY_STANDIN_CCLEANER_QUIT_WHILE_WORKING", c.quitWhileWorking);
        DeleteFileW(log_.c_str());

        EXPECT_EQ(RunCCleaner(false), c.result);

        EXPECT_TRUE(WaitNoProcess(L"CCleaner.exe", 10000));
        Lines lines = ReadLog(log_);
        EXPECT_EQ(LinesStartingWith(lines, {"pressed", "run finished", "tab", "closed", "quit"}),
                  c.actions);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].rfind("started [] version 2.", 0), 0u) << lines[0];
        EXPECT_NE(IndexOfPrefix(lines, "window visible 0 "), -1);
        EXPECT_EQ(IndexOfPrefix(lines, "window visible 1 "), -1);
    }
}

}  // namespace
