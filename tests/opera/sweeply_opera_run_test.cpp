// Sweeply.exe itself against the Opera stand-in, which is not running: a shown "opera" run starts
// Opera with its start-up questions switched off, waits for its late window, confirms the dialog
// centred on the work area above the curtain, closes Opera and puts the preferences back.
#include <gtest/gtest.h>

#include <string>

#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

// A relative "--ext=" program is found in the folder Sweeply was started in: the Opera step
// leaves the current folder alone.
TEST(SweeplyOperaRun, StartsOperaConfirmsItsDialogAndClosesItAgain) {
    OperaSetup setup;
    setup.showDefaultBrowserDialog = 0;  // already off: left as it is
    OperaInstallation opera(setup);
    ASSERT_TRUE(opera.ready());
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L"http://example.com/"));
    std::wstring prefsPath = opera.profileDir() + L"\\operaprefs.ini";
    std::string prefs = ReadTextFile(prefsPath);
    TempFolder logs;
    TempFolder startFolder;
    ScopedEnv log(L"SWEEPLY_STANDIN_LOG", logs / L"opera.log");
    ScopedEnv profile(L"SWEEPLY_STANDIN_OPERA_PROFILE", opera.profileDir());
    ScopedEnv windowDelay(L"SWEEPLY_STANDIN_OPERA_WINDOW_DELAY", L"600");
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), (startFolder / L"followup.exe").c_str(),
                          FALSE));
    RECT workArea = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));

    ASSERT_TRUE(SetCurrentDirectoryW(startFolder.path().c_str()));
    RunResult run = RunSweeply(L"opera --ext=followup.exe --args=from the start folder", 90000);
    SetCurrentDirectoryW(BinDir().c_str());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(WaitNoProcess(L"opera.exe", 10000)) << "Opera was left running";
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));

    std::vector<std::string> lines = ReadLog(logs / L"opera.log");
    std::string program = "\"" + Narrow(opera.programDir()) + "\\\\opera.exe\"";
    std::string centre =
        std::to_string(workArea.right / 2) + "," + std::to_string(workArea.bottom / 2);
    EXPECT_EQ(
        LinesStartingWith(lines, {"started", "command line [" + program, "prefs", "menu", "dialog",
                                  "confirmed", "cancelled", "closed"}),
        (std::vector<std::string>{
            "started [about:blank]", "command line [" + program + " about:blank]",
            "prefs startup=0 default-browser=0", "menu Alt+T", "menu D",
            "dialog shown style=96CC0000 behind=1", "confirmed centre=" + centre + " topmost=1",
            "closed", "started [from the start folder]"}));
    EXPECT_EQ(ReadTextFile(prefsPath), prefs);
}

}  // namespace
