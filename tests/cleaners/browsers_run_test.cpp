// Sweeply.exe as a whole with the Chrome and Firefox stand-ins installed: Chrome is cleaned before
// Firefox whatever the order of the tokens; a shown run centres both dialogs above the curtain.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/cleaners/browser_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

constexpr wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";

std::wstring LocalAppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

void RemoveInstallations() {
    RemoveTree(LocalAppData() + L"\\Google\\Chrome");
    RemoveDirectoryW((LocalAppData() + L"\\Google").c_str());
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kFirefoxKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Mozilla");
}

class BrowsersRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(EndProcesses(L"chrome.exe"));
        ASSERT_TRUE(EndProcesses(L"firefox.exe"));
        RemoveInstallations();
        std::wstring chrome = LocalAppData() + L"\\Google\\Chrome";
        ASSERT_TRUE(MakeFolders(chrome + L"\\Application"));
        ASSERT_TRUE(MakeFolders(chrome + L"\\User Data\\Default"));
        ASSERT_TRUE(CopyFileW(BinPath(L"chrome.exe").c_str(),
                              (chrome + L"\\Application\\chrome.exe").c_str(), FALSE));
        chromeHistory_ = chrome + L"\\User Data\\Default\\History";
        ASSERT_TRUE(WriteTextFile(chromeHistory_, "visits"));

        std::wstring firefox = temp_ / L"Mozilla Firefox";
        ASSERT_TRUE(MakeFolders(firefox + L"\\Profile"));
        ASSERT_TRUE(CopyFileW(BinPath(L"firefox.exe").c_str(), (firefox + L"\\firefox.exe").c_str(),
                              FALSE));
        firefoxPlaces_ = firefox + L"\\Profile\\places.sqlite";
        ASSERT_TRUE(WriteTextFile(firefoxPlaces_, "visits"));
        RunResult registered =
            RunProgram(Quote(firefox + L"\\firefox.exe") + L" -standin-register", 30000);
        ASSERT_TRUE(registered.finished);
        ASSERT_EQ(registered.exitCode, 0u);
        DeleteFileW(log_.c_str());
    }
    void TearDown() override {
        EXPECT_TRUE(EndProcesses(L"chrome.exe"));
        EXPECT_TRUE(EndProcesses(L"firefox.exe"));
        RemoveInstallations();
    }

    TempFolder temp_;
    std::wstring log_ = temp_ / L"browsers.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
    std::wstring chromeHistory_;
    std::wstring firefoxPlaces_;
};

TEST_F(BrowsersRun, SilentRunCleansChromeBeforeFirefox) {
    // The "/f" forms keep the run silent; the tokens stand in the opposite order of the work.
    RunResult run = RunSweeply(L"\"firefox/f chrome/f\"", 120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    std::vector<std::string> lines = ReadLog(log_);
    int chromeCleared = IndexOfPrefix(lines, "chrome cleared 1 files");
    int chromeClosed = IndexOf(lines, "chrome main closed");
    int firefoxStarted = IndexOfPrefix(lines, "firefox started");
    int firefoxCleared = IndexOf(lines, "firefox cleared 1 files");
    EXPECT_EQ(IndexOfPrefix(lines, "chrome started"), 0);
    EXPECT_NE(IndexOf(lines, "chrome main hidden"), -1);
    EXPECT_NE(chromeCleared, -1);
    EXPECT_GT(chromeClosed, chromeCleared);
    EXPECT_GT(firefoxStarted, chromeClosed);
    EXPECT_GT(firefoxCleared, firefoxStarted);
    EXPECT_FALSE(FileExists(chromeHistory_));
    EXPECT_FALSE(FileExists(firefoxPlaces_));
    EXPECT_TRUE(WaitNoProcess(L"chrome.exe", 10000));
    EXPECT_TRUE(WaitNoProcess(L"firefox.exe", 10000));
}

TEST_F(BrowsersRun, ShownRunCentresBothDialogsAboveTheCurtain) {
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    LONG x = work.right / 2;
    LONG y = work.bottom / 2;
    RunResult run = RunSweeply(L"\"chrome firefox\"", 120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    std::vector<std::string> lines = ReadLog(log_);
    char chrome[96];
    char firefox[96];
    snprintf(chrome, sizeof(chrome),
             "chrome enter on [Clear browsing data] dialog at %ld,%ld topmost 1", x - 200, y - 160);
    snprintf(firefox, sizeof(firefox), "firefox enter at %ld,%ld size 420x300 topmost 1", x - 210,
             y - 150);
    int chromeEntered = IndexOf(lines, chrome);
    EXPECT_NE(chromeEntered, -1) << chrome;
    EXPECT_GT(IndexOf(lines, firefox), chromeEntered) << firefox;
    EXPECT_EQ(IndexOf(lines, "chrome main hidden"), -1) << "\"chrome\" keeps Chrome's window";
    EXPECT_FALSE(FileExists(chromeHistory_));
    EXPECT_FALSE(FileExists(firefoxPlaces_));
}

}  // namespace
