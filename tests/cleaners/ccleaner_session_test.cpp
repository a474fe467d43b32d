// The worker's CCleaner step with Opera's saved session kept around it, and a shown run whose
// CCleaner is missing: the warning stays and the next step still runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/worker.h"
#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/in_process_norton.h"
#include "tests/cleaners/runner_test_support.h"
#include "tests/opera/opera_fixture.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace runner_testing;
using namespace opera_fixture;

void NoPause(DWORD) {}

// The product's step table run for `task` as the worker runs it, without its pauses.
void RunTask(const wchar_t* task) {
    TaskString = task;
    RunCleaningSequence(CleaningSteps(), NoPause);
    TaskString = L"";
}

class CCleanerSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RunState = Running;
        VisibleMode = false;
        log_ = folder_ / L"ccleaner.log";
        logVariable_ = std::make_unique<ScopedEnv>(L"SWEEPLY_STANDIN_LOG", log_);
        ASSERT_TRUE(opera_.ready());
        ASSERT_TRUE(opera_.RegisterCommandLine(kCommandLineV2, true, L""));
        ASSERT_TRUE(opera_.AddSession("tabs 1"));
        program_ = folder_ / L"CCleaner.exe";
        ASSERT_TRUE(CopyFileW(BinPath(L"ccleaner21.exe").c_str(), program_.c_str(), FALSE));
        appPath_ = std::make_unique<ScopedCCleanerAppPath>(program_);
    }
    void TearDown() override { EndProcesses(L"CCleaner.exe"); }

    TempFolder folder_;
    OperaInstallation opera_;
    std::wstring log_;
    std::wstring program_;
    std::unique_ptr<ScopedEnv> logVariable_;
    std::unique_ptr<ScopedCCleanerAppPath> appPath_;
};

TEST_F(CCleanerSessionTest, SessionDeletedByCCleanerIsPutBack) {
    ScopedEnv target(L"SWEEPLY_STANDIN_CCLEANER_TARGET", opera_.sessionPath());
    RunTask(L"cc/auto");
    ASSERT_NE(IndexOf(ReadLog(log_), "cleaned " + Narrow(opera_.sessionPath())), -1);
    EXPECT_EQ(ReadTextFile(opera_.sessionPath()), "tabs 1");
    EXPECT_FALSE(FileExists(opera_.backupPath()));
}

TEST_F(CCleanerSessionTest, SessionsFolderThatIsALinkIsLeftAlone) {
    // Another program made "sessions" a link to a folder of its choice: the elevated run reads
    // nothing through it and puts nothing back through it.
    TempFolder outside;
    std::wstring sessions = opera_.profileDir() + L"\\sessions";
    ASSERT_TRUE(WriteTextFile(outside / L"autosave.win", "tabs elsewhere"));
    RemoveTree(sessions);
    if (!MakeFolderLink(sessions, outside.path())) {
        GTEST_SKIP() << "no way to make a folder link here";
    }
    ScopedEnv target(L"SWEEPLY_STANDIN_CCLEANER_TARGET", opera_.sessionPath());
    RunTask(L"cc/auto");
    RemoveFolderLink(sessions);
    ASSERT_NE(IndexOf(ReadLog(log_), "cleaned " + Narrow(opera_.sessionPath())), -1);
    EXPECT_FALSE(FileExists(opera_.backupPath()));
    EXPECT_FALSE(FileExists(outside / L"autosave.win"));
}

TEST_F(CCleanerSessionTest, SessionIsPutBackAfterAnAbortedCCleaner) {
    ScopedEnv target(L"SWEEPLY_STANDIN_CCLEANER_TARGET", opera_.sessionPath());
    ScopedEnv stopsAfterCleaning(L"SWEEPLY_STANDIN_CCLEANER_WORK_MS", L"600000");
    {
        // The interactive way: CCleaner deletes the session as its run begins, and the user
        // aborts while it works.
        AbortWhenLogged abort(log_, "cleaned");
        RunTask(L"cc");
    }
    EXPECT_EQ(RunState, Aborting);
    EXPECT_EQ(ReadTextFile(opera_.sessionPath()), "tabs 1");
}

TEST_F(CCleanerSessionTest, AnOlderBackupIsNotBroughtBackWhenThereWasNoSession) {
    // The user closed Opera with no session worth keeping; a backup from an earlier run lies
    // beside the profile. Nothing was copied this time, so nothing may be put back.
    ASSERT_TRUE(DeleteFileW(opera_.sessionPath().c_str()));
    ASSERT_TRUE(WriteTextFile(opera_.backupPath(), "tabs of last week"));
    RunTask(L"cc/auto");
    ASSERT_NE(IndexOf(ReadLog(log_), "automatic run done"), -1);
    EXPECT_FALSE(FileExists(opera_.sessionPath()));
    EXPECT_EQ(ReadTextFile(opera_.backupPath()), "tabs of last week");
}

TEST(CCleanerMissingRun, WarningStaysAndTheNextStepStillRuns) {
    TempFolder folder;
    std::wstring log = folder / L"norton.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    RunState = Running;
    VisibleMode = true;
    MainWindow = nullptr;
    // Norton's windows in this process, so that its wait ends as soon as the content is white.
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());

    RunTask(L"cc n360v3");

    EXPECT_EQ(RunState, CCleanerMissing);  // not replaced by Complete
    EXPECT_NE(IndexOf(ReadLog(log, 0, 0), "dialog WM_NCDESTROY"), -1);
    RunState = Running;
    VisibleMode = false;
}

}  // namespace
