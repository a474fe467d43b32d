// Sweeply.exe as a whole with the Chrome and Firefox stand-ins installed: Chrome is cleaned before
// Firefox whatever the order of the tokens, and a shown run centres both dialogs above the curtain
// on the work area's centre and keeps Chrome's window.
#include <cstdio>

#include "tests/cleaners/browser_test_support.h"

namespace {

using namespace testing_support;

class BrowsersRun : public StandinTest {
  protected:
    BrowsersRun()
        : StandinTest({L"chrome.exe", L"firefox.exe"}, [] {
              RemoveChromeLayouts();
              RemoveFirefoxKeys();
          }) {}
    void SetUp() override {
        StandinTest::SetUp();
        std::wstring chrome = ChromeFolder(CSIDL_LOCAL_APPDATA);
        ASSERT_TRUE(PlaceChrome(chrome + L"\\Application\\chrome.exe", chrome + L"\\User Data"));
        ASSERT_TRUE(PlaceFirefox(temp_ / L"Mozilla Firefox"));
        ASSERT_TRUE(RegisterFirefox(temp_ / L"Mozilla Firefox\\firefox.exe"));
    }
};

TEST_F(BrowsersRun, ShownRunCleansChromeThenFirefoxWithCentredDialogs) {
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    LONG x = work.right / 2;
    LONG y = work.bottom / 2;
    RunResult run = RunSweeply(L"\"firefox chrome\"", 120000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    char chrome[128];
    char firefox[96];
    snprintf(chrome, sizeof(chrome),
             "chrome enter on [Clear browsing data] dialog at %ld,%ld size 400x320 topmost 1",
             x - 200, y - 160);
    snprintf(firefox, sizeof(firefox), "firefox enter at %ld,%ld size 420x300 topmost 1", x - 210,
             y - 150);
    Lines lines = Log();
    EXPECT_TRUE(InOrder(lines, {chrome,
                                "chrome cleared 2 files in [" +
                                    Narrow(ChromeFolder(CSIDL_LOCAL_APPDATA)) + "\\User Data]",
                                "chrome main closed", firefox, "firefox cleared 3 files"}));
    EXPECT_FALSE(Has(lines, "chrome main hidden")) << "\"chrome\" keeps Chrome's window";
    EXPECT_TRUE(WaitNoProcess(L"chrome.exe", 10000));
    EXPECT_TRUE(WaitNoProcess(L"firefox.exe", 10000));
}

}  // namespace
