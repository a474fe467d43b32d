// Sweeply.exe itself against the Opera stand-in: "opera" cleans through Opera's dialog in a
// shown run; "opera/f" keeps the Opera cleaner from running.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

// An installed Opera stand-in with private data, logging to a folder of the test's own.
class SweeplyOperaRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(opera.AddPrivateData());
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L""));
    }
    TempFolder logFolder;
    OperaInstallation opera;
    ScopedEnv log{L"SWEEPLY_STANDIN_LOG", logFolder / L"opera.log"};
    ScopedEnv profile{L"SWEEPLY_STANDIN_OPERA_PROFILE", opera.profileDir()};
};

// A shown run: the curtain starts the worker after its fade-in, and the dialog is centred on
// the work area and put above the curtain. A relative "--ext=" program is found in the folder
// Sweeply was started in: the Opera step leaves the current folder alone.
TEST_F(SweeplyOperaRun, OperaTaskClearsPrivateDataInAShownRun) {
    RECT workArea = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));
    TempFolder startFolder;
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), (startFolder / L"followup.exe").c_str(),
                          FALSE));

    ASSERT_TRUE(SetCurrentDirectoryW(startFolder.path().c_str()));
    RunResult run = RunSweeply(L"opera --ext=followup.exe --args=from the start folder", 90000);
    SetCurrentDirectoryW(BinDir().c_str());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(WaitNoProcess(L"opera.exe", 10000));
    EndOperaStandins();
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));

    std::vector<std::string> lines = ReadLog(logFolder / L"opera.log");
    EXPECT_TRUE(Has(lines, "started [from the start folder]"));
    EXPECT_TRUE(Has(lines, "confirmed centre=" + std::to_string(workArea.right / 2) + "," +
                               std::to_string(workArea.bottom / 2) + " topmost=1"));
    EXPECT_TRUE(Has(lines, "cleared 4 files"));
    EXPECT_TRUE(Has(lines, "closed"));
    EXPECT_EQ(opera.CountPrivateData(), 0);
    EXPECT_EQ(opera.ReadPref(L"Show Startup Dialog"), 1);
}

TEST_F(SweeplyOperaRun, OperaSlashFLeavesOperaAlone) {
    for (const wchar_t* task : {L"opera/f", L"OPERA/F"}) {
        RunResult run = RunSweeply(task, 90000);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
    }
    EXPECT_TRUE(ReadLog(logFolder / L"opera.log").empty()) << "Opera was started";
    EXPECT_EQ(opera.CountPrivateData(), 4);
}

}  // namespace
