// CleanFirefox against the Firefox stand-in, registered under HKLM as Firefox's installer does,
// in a folder with a blank: the dialog found among browser windows, Enter, and the give-ups.
#include "cleaners/firefox.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "tests/cleaners/browser_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

constexpr wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";
constexpr const char* kProfileFiles[] = {"places.sqlite", "cookies.sqlite", "formhistory.sqlite"};

void RemoveFirefoxKeys() {
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kFirefoxKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Mozilla");  // only when nothing else is in it
}

class FirefoxCleaner : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(EndProcesses(L"firefox.exe"));
        RemoveFirefoxKeys();
        std::wstring folder = temp_ / L"Mozilla Firefox";
        program_ = folder + L"\\firefox.exe";
        ASSERT_TRUE(MakeFolders(folder + L"\\Profile"));
        ASSERT_TRUE(CopyFileW(BinPath(L"firefox.exe").c_str(), program_.c_str(), FALSE));
        for (const char* name : kProfileFiles) {
            ASSERT_TRUE(WriteTextFile(ProfileFile(name), "data"));
        }
    }
    void TearDown() override {
        EXPECT_TRUE(EndProcesses(L"firefox.exe"));
        RemoveFirefoxKeys();
    }

    std::wstring ProfileFile(const char* name) const {
        return temp_ / (L"Mozilla Firefox\\Profile\\" + Widen(name));
    }
    bool ProfileCleared() const {
        for (const char* name : kProfileFiles) {
            if (FileExists(ProfileFile(name))) {
                return false;
            }
        }
        return true;
    }
    void Register() {
        RunResult run = RunProgram(Quote(program_) + L" -standin-register", 30000);
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(run.exitCode, 0u);
    }
    std::vector<std::string> Log(size_t atLeast = 0, DWORD waitMs = 0) const {
        return ReadLog(log_, atLeast, waitMs);
    }

    TempFolder temp_;
    std::wstring log_ = temp_ / L"firefox.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
    ScopedRunSettings settings_{L"firefox/f"};
    std::wstring program_;
};

TEST_F(FirefoxCleaner, GivesUpAtOnceWithoutAUsableInstallation) {
    EXPECT_FALSE(CleanFirefox()) << "not installed";

    // A version that does not fit its 64-character buffer is no installation either.
    {
        ScopedEnv version(L"SWEEPLY_STANDIN_FIREFOX_VERSION", std::wstring(64, L'9'));
        Register();
        EXPECT_FALSE(CleanFirefox()) << "version too long";
        RemoveFirefoxKeys();
    }
    // A registered program that is gone cannot be started.
    ASSERT_EQ(SHSetValueW(HKEY_LOCAL_MACHINE, kFirefoxKey, L"CurrentVersion", REG_SZ, L"3.6", 8),
              static_cast<LONG>(ERROR_SUCCESS));
    std::wstring missing = temp_ / L"missing\\firefox.exe";
    ASSERT_EQ(SHSetValueW(HKEY_LOCAL_MACHINE, L"Software\\Mozilla\\Mozilla Firefox\\3.6\\Main",
                          L"PathToExe", REG_SZ, missing.c_str(),
                          static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t))),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_FALSE(CleanFirefox()) << "program missing";
    RemoveFirefoxKeys();

    Register();
    RunState = Aborting;
    EXPECT_FALSE(CleanFirefox()) << "aborted";

    std::vector<std::string> lines = Log();
    EXPECT_EQ(IndexOfPrefix(lines, "firefox started"), -1) << "nothing may be started";
    EXPECT_EQ(CountProcesses(L"firefox.exe"), 0);
    EXPECT_FALSE(ProfileCleared());
}

TEST_F(FirefoxCleaner, OpensOnlyTheSanitizeDialogAndConfirmsIt) {
    Register();
    ASSERT_TRUE(CleanFirefox());
    std::vector<std::string> lines = Log(6, 10000);
    EXPECT_NE(IndexOf(lines, "firefox command line [\"" + Narrow(program_) +
                                 "\" -chrome chrome://browser/content/sanitize.xul]"),
              -1);
    // "firefox/f": the dialog stays where Firefox put it.
    EXPECT_NE(IndexOf(lines, "firefox enter at 40,40 size 420x300 topmost 0"), -1);
    EXPECT_NE(IndexOf(lines, "firefox cleared 3 files"), -1);
    EXPECT_TRUE(ProfileCleared());
    EXPECT_TRUE(WaitNoProcess(L"firefox.exe", 10000));

    // A shown run centres the dialog on the screen centre and puts it above the curtain.
    for (const char* name : kProfileFiles) {
        ASSERT_TRUE(WriteTextFile(ProfileFile(name), "data"));
    }
    DeleteFileW(log_.c_str());
    TaskString = L"firefox";
    VisibleMode = true;
    ScreenCentre = ScreenPoint{600, 500};
    ASSERT_TRUE(CleanFirefox());
    lines = Log(6, 10000);
    EXPECT_NE(IndexOf(lines, "firefox enter at 390,350 size 420x300 topmost 1"), -1);
    EXPECT_TRUE(ProfileCleared());
}

TEST_F(FirefoxCleaner, StepsOverBrowserWindowsToTheDialog) {
    ScopedEnv browsers(L"SWEEPLY_STANDIN_FIREFOX_BROWSERS", L"3");
    ScopedEnv delay(L"SWEEPLY_STANDIN_FIREFOX_DIALOG_DELAY", L"1200");
    Register();
    ASSERT_TRUE(CleanFirefox());
    std::vector<std::string> lines = Log(5, 10000);
    EXPECT_EQ(IndexOf(lines, "firefox enter in a browser window"), -1);
    EXPECT_NE(IndexOfPrefix(lines, "firefox enter at "), -1);
    EXPECT_TRUE(ProfileCleared());
}

TEST_F(FirefoxCleaner, WaitsForASlowInnerWindow) {
    ScopedEnv delay(L"SWEEPLY_STANDIN_FIREFOX_INNER_DELAY", L"2500");
    Register();
    ASSERT_TRUE(CleanFirefox());
    std::vector<std::string> lines = Log(5, 10000);
    int created = IndexOf(lines, "firefox inner window created");
    int entered = IndexOfPrefix(lines, "firefox enter at ");
    ASSERT_NE(created, -1);
    EXPECT_GT(entered, created);
}

TEST_F(FirefoxCleaner, GivesUpWhenTheInnerWindowNeverComesAndLeavesTheDialogOpen) {
    ScopedEnv noInner(L"SWEEPLY_STANDIN_FIREFOX_NO_INNER", L"1");
    Register();
    EXPECT_FALSE(CleanFirefox());
    EXPECT_NE(FindWindowW(L"MozillaUIWindowClass", L"Clear Recent History"), nullptr);
    std::vector<std::string> lines = Log();
    EXPECT_NE(IndexOf(lines, "firefox dialog shown"), -1);
    EXPECT_EQ(IndexOfPrefix(lines, "firefox enter"), -1);
    EXPECT_FALSE(ProfileCleared());
}

}  // namespace
