// CleanFirefox against the Firefox stand-in, registered under HKLM as Firefox's installer does,
// in a folder with a blank: the dialog found among browser windows, Enter, and the give-ups.
#include "cleaners/firefox.h"

#include "tests/cleaners/browser_test_support.h"

namespace {

using namespace testing_support;

class FirefoxCleaner : public StandinTest {
  protected:
    FirefoxCleaner() : StandinTest({L"firefox.exe"}, RemoveFirefoxKeys) {}
    void SetUp() override {
        StandinTest::SetUp();
        ASSERT_TRUE(PlaceFirefox(folder_));
    }
    std::wstring folder_ = temp_ / L"Mozilla Firefox";
    std::wstring program_ = folder_ + L"\\firefox.exe";
    ScopedRunSettings settings_{L"firefox/f"};
};

TEST_F(FirefoxCleaner, GivesUpAtOnceWithoutAUsableInstallation) {
    EXPECT_FALSE(CleanFirefox()) << "not installed";
    // A version that does not fit its 64-character buffer is no installation either.
    ASSERT_TRUE(RegisterFirefox(program_, std::wstring(64, L'9')));
    EXPECT_FALSE(CleanFirefox()) << "version too long";
    RemoveFirefoxKeys();
    ASSERT_TRUE(RegisterFirefox(temp_ / L"missing\\firefox.exe"));
    EXPECT_FALSE(CleanFirefox()) << "program missing";
    RemoveFirefoxKeys();
    ASSERT_TRUE(RegisterFirefox(program_));
    RunState = Aborting;
    EXPECT_FALSE(CleanFirefox()) << "aborted";
    EXPECT_EQ(Log(), Lines{}) << "nothing may be started";
}

// Only the sanitize dialog is opened; a browser window above it is stepped over, a late inner
// window waited for, and in a silent run the dialog stays where Firefox put it. The longest
// version that fits is read.
TEST_F(FirefoxCleaner, OpensOnlyTheSanitizeDialogAndConfirmsIt) {
    ScopedEnv browsers(L"SWEEPLY_STANDIN_FIREFOX_BROWSERS", L"1");
    ScopedEnv delay(L"SWEEPLY_STANDIN_FIREFOX_INNER_DELAY", L"1800");
    ASSERT_TRUE(RegisterFirefox(program_, std::wstring(63, L'9')));
    ASSERT_TRUE(CleanFirefox());
    Lines lines = LogUntil("firefox dialog closed");
    EXPECT_TRUE(InOrder(
        lines, {"firefox started [\"" + Narrow(program_) +
                    "\" -chrome chrome://browser/content/sanitize.xul]",
                "firefox inner window created", "firefox enter at 40,40 size 420x300 topmost 0",
                "firefox cleared 3 files"}));
    EXPECT_FALSE(Has(lines, "firefox enter in a browser window"));
    EXPECT_TRUE(WaitNoProcess(L"firefox.exe", 10000));
}

// A shown run centres the dialog above the curtain; an abort while the cleaner waits for the
// inner window gives up and leaves the dialog open. The inner window comes late, so an abort that
// is not honoured ends in Enter however slowly this thread gets to set it.
TEST_F(FirefoxCleaner, ShownDialogIsCentredAndAbortLeavesItOpen) {
    ScopedEnv delay(L"SWEEPLY_STANDIN_FIREFOX_INNER_DELAY", L"4000");
    ASSERT_TRUE(RegisterFirefox(program_));
    VisibleMode = true;
    ScreenCentre = ScreenPoint{600, 500};
    HWND dialog = nullptr;
    {
        CleanerThread cleaner(CleanFirefox);
        // Centred as soon as it is found; then the cleaner pauses a second before the inner window.
        EXPECT_TRUE(WaitFor(
            [&] {
                dialog = FindWindowW(L"MozillaUIWindowClass", L"Clear Recent History");
                return dialog != nullptr && (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
            },
            10000));
        RunState = Aborting;
        EXPECT_TRUE(cleaner.Ended(10000));
        EXPECT_FALSE(cleaner.result());
    }
    RECT rect = {};
    EXPECT_TRUE(GetWindowRect(dialog, &rect));
    EXPECT_EQ(rect.left, 390);
    EXPECT_EQ(rect.top, 350);
    EXPECT_FALSE(HasPrefix(Log(), "firefox enter"));
}

}  // namespace
