// Sweeply.exe run as a whole under Wine: a silent run from command line to exit, and the
// follow-up program of "--ext=" started with exactly the "--args=" text.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

TEST(SweeplyRun, EmptyLineEndsAtOnceWithZero) {
    RunResult run = RunSweeply(L"");
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(SweeplyRun, SilentTasksWithNothingInstalledEndWithZero) {
    // Nothing of CCleaner, Chrome or Firefox is installed in the prefix: each cleaner gives up at
    // once, and the run still goes through worker and window to its end.
    for (const wchar_t* task : {L"cc/auto", L"chrome/f firefox/f", L"unknown"}) {
        RunResult run = RunSweeply(task);
        EXPECT_TRUE(run.finished) << Narrow(task);
        EXPECT_EQ(run.exitCode, 0u) << Narrow(task);
        EXPECT_TRUE(WaitNoChildren(run.processId, 5000)) << Narrow(task);
    }
}

TEST(SweeplyRun, FollowUpProgramGetsTheArgumentsAsTheyStand) {
    TempFolder folder;
    // A program path with a blank: the value of "--ext=" runs up to the next option.
    std::wstring dir = folder / L"follow up";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    std::wstring recorder = dir + L"\\recorder.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
    std::wstring log = folder / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);

    RunResult run = RunSweeply(L"ie8/all --ext=" + recorder + L" --args=/clean  \"two words\" x");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    std::vector<std::string> lines = ReadLog(log, 2, 10000);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "started [/clean  \"two words\" x]");
    // Nothing the run started (the follow-up program, rundll32 for "ie8/all") is left running.
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));
}

TEST(SweeplyRun, FollowUpProgramWithoutArguments) {
    TempFolder folder;
    std::wstring log = folder / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    // With the option first the whole line is the task string: a copy in the temporary folder
    // keeps the build's own path (which may hold a token such as "opera") out of it.
    std::wstring recorder = folder / L"recorder.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));

    RunResult run = RunSweeply(L"--ext=" + recorder);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> lines = ReadLog(log, 1, 10000);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "started []");
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));
}

TEST(SweeplyRun, MissingFollowUpProgramIsIgnored) {
    TempFolder folder;
    RunResult run = RunSweeply(L"--ext=" + (folder / L"missing.exe") + L" --args=x");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
