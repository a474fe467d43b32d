// CleanChrome against the Chrome stand-in, laid out where Chrome installs itself or given by
// "--port=": the start and every parameter as Chrome reads it, the token forms, the countdown,
// leftover dialogs, a Chrome that was already running, and the give-ups.
#include "cleaners/chrome.h"

#include "tests/cleaners/browser_test_support.h"

namespace {

using namespace testing_support;

constexpr wchar_t kClass[] = L"Chrome_WidgetWin_0";
constexpr char kEnter[] = "chrome enter on [Clear browsing data] dialog at ";

// The stand-in's log line for a start: every argument as Chrome's own parsing gives it, after
// "--user-data-dir=" with `userData` when one is given.
std::string StartedWith(const std::wstring& userData) {
    std::string line = userData.empty()
                           ? "chrome started 9"
                           : "chrome started 10 [--user-data-dir=" + Narrow(userData) + "]";
    return line +
           " [--no-default-browser-check] [--disable-application-cache] [--disable-extensions]"
           " [--disable-web-resources] [--disable-java] [--disable-sync] [--disable-plugins]"
           " [--disable-dev-tools] [about:blank]";
}

std::string Cleared(const std::wstring& userData) {
    return "chrome cleared 2 files in [" + Narrow(userData) + "]";
}

class ChromeCleaner : public StandinTest {
  protected:
    ChromeCleaner() : StandinTest({L"chrome.exe"}, RemoveChromeLayouts) {}
    // Lays the stand-in out as an installed Chrome; returns the program's path.
    std::wstring Install(int csidl) {
        std::wstring program = ChromeFolder(csidl) + L"\\Application\\chrome.exe";
        EXPECT_TRUE(PlaceChrome(program, ChromeFolder(csidl) + L"\\User Data"));
        return program;
    }

    std::wstring localData_ = ChromeFolder(CSIDL_LOCAL_APPDATA) + L"\\User Data";
    ScopedRunSettings settings_{L"chrome/f"};
};

TEST_F(ChromeCleaner, GivesUpWithoutStartingAnything) {
    EXPECT_FALSE(CleanChrome()) << "no Chrome installed";
    Install(CSIDL_LOCAL_APPDATA);
    RunState = Aborting;
    EXPECT_FALSE(CleanChrome()) << "aborted";
    RunState = Running;
    // A quotation mark would close the quotes and add parameters of its own.
    std::wstring injected = temp_ / L"x\" --load-extension=C:\\evil \"y";
    Options.profile = injected.c_str();
    EXPECT_FALSE(CleanChrome()) << "quotation mark";
    // 314 characters of parameters text for the profile (its closing backslash is written twice)
    // make the parameters 512 characters: one too many.
    std::wstring profile = L"C:\\" + std::wstring(309, L'p') + L"\\";
    Options.profile = profile.c_str();
    EXPECT_FALSE(CleanChrome()) << "parameters too long";
    EXPECT_EQ(Log(), Lines{});

    // One character less fits exactly: Chrome is started with it, and then, as Chrome does with a
    // data folder that no path can name, opens no window.
    profile.erase(3, 1);
    Options.profile = profile.c_str();
    EXPECT_FALSE(CleanChrome());
    Lines lines = Log();
    EXPECT_EQ(IndexOf(lines, StartedWith(profile)), 0);
    EXPECT_TRUE(Has(lines, "chrome unusable user data"));
}

// Program Files is the second place looked in; "chrome/f" hides the window of a Chrome it
// started, and a letter after "chrome/f/" presses at once.
TEST_F(ChromeCleaner, StartsTheInstalledChromeHiddenClearsAndClosesIt) {
    std::wstring program = Install(CSIDL_PROGRAM_FILES);
    TaskString = L"chrome/f/x firefox";
    ASSERT_TRUE(CleanChrome());
    Lines lines = LogUntil("chrome main closed");
    EXPECT_EQ(IndexOf(lines, StartedWith(L"")), 0);
    EXPECT_TRUE(InOrder(
        lines,
        {"chrome module [" + Narrow(program) + "]", "chrome main hidden", "chrome command 40013",
         kEnter + std::string("60,60 size 400x320 topmost 0"),
         Cleared(ChromeFolder(CSIDL_PROGRAM_FILES) + L"\\User Data"), "chrome main closed"}));
    EXPECT_FALSE(HasPrefix(lines, "chrome caption"));
    EXPECT_TRUE(WaitNoProcess(L"chrome.exe", 10000));
}

// "--port=" and "--profile=" replace the installed program and profile (a closing backslash must
// not turn the closing quote into part of the folder's name); a shown run centres the dialog
// above the curtain; a digit after "chrome/f/" counts down on the button, then presses.
TEST_F(ChromeCleaner, PortProfileCountdownAndCentredDialog) {
    Install(CSIDL_LOCAL_APPDATA);
    std::wstring port = temp_ / L"Portable Chrome\\chrome.exe";
    std::wstring folder = temp_ / L"Chrome Data";
    std::wstring profile = folder + L"\\";
    ASSERT_TRUE(PlaceChrome(port, folder));
    Options.port = port.c_str();
    Options.profile = profile.c_str();
    TaskString = L"ie8 chrome/f/1 firefox";
    VisibleMode = true;
    ScreenCentre = ScreenPoint{600, 500};
    ASSERT_TRUE(CleanChrome());
    Lines lines = LogUntil("chrome main closed");
    EXPECT_EQ(IndexOf(lines, StartedWith(profile)), 0);
    EXPECT_TRUE(InOrder(lines, {"chrome module [" + Narrow(port) + "]", "chrome command 40013",
                                "chrome caption [(1)Clear browsing data]",
                                "chrome caption [(0)Clear browsing data]",
                                "chrome enter on [(0)Clear browsing data] dialog at 400,340 size "
                                "400x320 topmost 1",
                                Cleared(profile), "chrome main closed"}));
    EXPECT_FALSE(FileExists(folder + L"\\Default\\History"));
}

// A running Chrome is used as it is: no second start, its window neither hidden nor closed. A
// dialog the user left open is closed first; one that does not close ends the run.
TEST_F(ChromeCleaner, RunningChromeIsUsedAsItIsAfterItsLeftoverDialog) {
    std::wstring program = Install(CSIDL_LOCAL_APPDATA);
    ScopedEnv leftover(L"SWEEPLY_STANDIN_CHROME_LEFTOVER", L"2");
    ASSERT_TRUE(StartProgram(Quote(program) + L" about:blank"));
    // The first of Chrome's windows, from the top, is the leftover once it has been raised.
    ASSERT_TRUE(WaitFor(
        [&] {
            HWND top = FindWindowW(kClass, nullptr);
            return top != nullptr && (GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        },
        10000));
    HWND main = FindWindowW(kClass, L"about:blank - Google Chrome");
    std::wstring missingPort = temp_ / L"nowhere\\chrome.exe";
    std::wstring otherProfile = temp_ / L"Other Profile";
    Options.port = missingPort.c_str();
    Options.profile = otherProfile.c_str();

    EXPECT_FALSE(CleanChrome()) << "the leftover refused to close";
    EXPECT_FALSE(Has(Log(), "chrome command 40013"));
    ASSERT_TRUE(CleanChrome());
    Lines lines = Log(10, 10000);
    EXPECT_TRUE(InOrder(
        lines, {"chrome leftover refused close", "chrome leftover closed", "chrome command 40013",
                kEnter + std::string("60,60 size 400x320 topmost 0"), Cleared(localData_)}));
    EXPECT_EQ(LinesStartingWith(lines, {"chrome started"}),
              Lines{"chrome started 1 [about:blank]"});
    EXPECT_FALSE(Has(lines, "chrome main hidden"));
    EXPECT_FALSE(Has(lines, "chrome main closed"));
    EXPECT_TRUE(IsWindowVisible(main));
}

// "chrome/f/8" leaves the dialog to the user: nothing is pressed, and an abort ends the wait,
// leaving the dialog and Chrome open.
TEST_F(ChromeCleaner, EightLeavesTheDialogToTheUserUntilAbort) {
    Install(CSIDL_LOCAL_APPDATA);
    TaskString = L"chrome/f/8";
    VisibleMode = true;
    HWND dialog = nullptr;
    {
        CleanerThread cleaner(CleanChrome);
        // Centred only once the cleaner has found it: from then on it waits for the user.
        EXPECT_TRUE(WaitFor(
            [&] {
                dialog = FindWindowW(kClass, L"Clear browsing data");
                return dialog != nullptr && (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
            },
            10000));
        RunState = Aborting;
        EXPECT_TRUE(cleaner.Ended(15000));
        EXPECT_FALSE(cleaner.result());
    }
    EXPECT_TRUE(IsWindow(dialog));
    Lines lines = Log();
    EXPECT_FALSE(HasPrefix(lines, "chrome caption"));
    EXPECT_FALSE(HasPrefix(lines, "chrome enter"));
    EXPECT_FALSE(Has(lines, "chrome main closed"));
}

}  // namespace
