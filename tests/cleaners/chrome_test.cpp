// CleanChrome against the Chrome stand-in, laid out where Chrome installs itself or given by
// "--port=": the start and every parameter as Chrome reads it, the token forms, the countdown,
// leftover dialogs, and a Chrome that was already running. FindClearButton also on windows of
// this process.
#include "cleaners/chrome.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/cleaners/browser_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

constexpr char kClear[] = "Clear browsing data";

// The stand-in's log line for a start: every argument as Chrome's own parsing gives it, after
// "--user-data-dir=" with `userData` when one is given.
std::string StartedWith(const std::wstring* userData) {
    std::vector<std::string> arguments = {"--no-default-browser-check",
                                          "--disable-application-cache",
                                          "--disable-extensions",
                                          "--disable-web-resources",
                                          "--disable-java",
                                          "--disable-sync",
                                          "--disable-plugins",
                                          "--disable-dev-tools",
                                          "about:blank"};
    if (userData != nullptr) {
        arguments.insert(arguments.begin(), "--user-data-dir=" + Narrow(*userData));
    }
    std::string line = "chrome started " + std::to_string(arguments.size());
    for (const std::string& argument : arguments) {
        line += " [" + argument + "]";
    }
    return line;
}

// Chrome's own folder under a special folder: "Application\chrome.exe" and "User Data".
std::wstring ChromeFolder(int csidl) {
    return SpecialFolder(csidl) + L"\\Google\\Chrome";
}

void RemoveChromeLayouts() {
    for (int csidl : {CSIDL_LOCAL_APPDATA, CSIDL_PROGRAM_FILES}) {
        RemoveTree(ChromeFolder(csidl));
        RemoveDirectoryW((SpecialFolder(csidl) + L"\\Google").c_str());  // when left empty
    }
}

// A fake profile: the files the stand-in deletes when it clears.
bool MakeProfile(const std::wstring& userData) {
    return MakeFolders(userData + L"\\Default") &&
           WriteTextFile(userData + L"\\Default\\History", "visits") &&
           WriteTextFile(userData + L"\\Default\\Cookies", "cookies");
}

bool ProfileCleared(const std::wstring& userData) {
    return !FileExists(userData + L"\\Default\\History") &&
           !FileExists(userData + L"\\Default\\Cookies");
}

struct ThreadResult {
    bool result = false;
};

DWORD WINAPI RunCleanChrome(void* context) {
    static_cast<ThreadResult*>(context)->result = CleanChrome();
    return 0;
}

class ChromeCleaner : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(EndProcesses(L"chrome.exe"));
        RemoveChromeLayouts();
    }
    void TearDown() override {
        EXPECT_TRUE(EndProcesses(L"chrome.exe"));
        RemoveChromeLayouts();
    }

    // Lays the stand-in out as an installed Chrome; returns the program's path.
    std::wstring Install(int csidl) {
        EXPECT_TRUE(WaitNoProcess(L"chrome.exe", 10000)) << "the program file is still in use";
        std::wstring folder = ChromeFolder(csidl);
        std::wstring program = folder + L"\\Application\\chrome.exe";
        EXPECT_TRUE(MakeFolders(folder + L"\\Application"));
        EXPECT_TRUE(CopyFileW(BinPath(L"chrome.exe").c_str(), program.c_str(), FALSE));
        EXPECT_TRUE(MakeProfile(folder + L"\\User Data"));
        return program;
    }
    std::vector<std::string> Log(size_t atLeast = 0, DWORD waitMs = 0) const {
        return ReadLog(log_, atLeast, waitMs);
    }
    // The log of one run that closed the Chrome it started (the last line tells).
    std::vector<std::string> LogOfFinishedRun() const {
        std::vector<std::string> lines;
        WaitFor(
            [&] {
                lines = Log();
                return Has(lines, "chrome main closed");
            },
            10000);
        return lines;
    }
    void ClearLog() { DeleteFileW(log_.c_str()); }

    // Runs CleanChrome on a thread of its own (`*thread`, to be closed by the caller) and waits
    // for the dialog it opens; null when none came.
    HWND StartUntilTheDialog(ThreadResult* outcome, HANDLE* thread) {
        *thread = CreateThread(nullptr, 0, RunCleanChrome, outcome, 0, nullptr);
        HWND dialog = nullptr;
        if (*thread != nullptr) {
            WaitFor(
                [&] {
                    dialog = FindWindowW(L"Chrome_WidgetWin_0", L"Clear browsing data");
                    return dialog != nullptr;
                },
                10000);
        }
        return dialog;
    }

    // Starts the stand-in as a user would and waits until its window titled `title` is there.
    bool StartChromeByHand(const std::wstring& program, const wchar_t* title) {
        return StartProgram(Quote(program) + L" about:blank") &&
               WaitFor([&] { return FindWindowW(L"Chrome_WidgetWin_0", title) != nullptr; }, 10000);
    }

    // A leftover dialog exists before it is raised above the browser window: wait until it is.
    bool StartChromeWithLeftover(const std::wstring& program) {
        return StartProgram(Quote(program) + L" about:blank") &&
               WaitFor([&] { return IndexOf(Log(), "chrome leftover shown") != -1; }, 10000);
    }

    TempFolder temp_;
    std::wstring log_ = temp_ / L"chrome.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
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

    EXPECT_EQ(IndexOfPrefix(Log(), "chrome started"), -1);
    EXPECT_EQ(CountProcesses(L"chrome.exe"), 0);

    // One character less fits exactly: Chrome is started with it, and then, as Chrome does with a
    // data folder that no path can name, opens no window.
    profile.erase(3, 1);
    Options.profile = profile.c_str();
    EXPECT_FALSE(CleanChrome());
    std::vector<std::string> lines = Log();
    EXPECT_EQ(IndexOf(lines, StartedWith(&profile)), 0);
    EXPECT_NE(IndexOf(lines, "chrome unusable user data"), -1);
}

TEST_F(ChromeCleaner, StartsTheInstalledChromeHiddenClearsAndClosesIt) {
    std::wstring program = Install(CSIDL_LOCAL_APPDATA);
    std::wstring userData = ChromeFolder(CSIDL_LOCAL_APPDATA) + L"\\User Data";
    ASSERT_TRUE(CleanChrome());
    std::vector<std::string> lines = LogOfFinishedRun();
    EXPECT_EQ(IndexOf(lines, StartedWith(nullptr)), 0);
    EXPECT_NE(IndexOf(lines, "chrome module [" + Narrow(program) + "]"), -1);
    int hidden = IndexOf(lines, "chrome main hidden");
    int command = IndexOf(lines, "chrome command 40013");
    int entered = IndexOfPrefix(lines, "chrome enter on [Clear browsing data] dialog at 60,60");
    int cleared = IndexOf(lines, "chrome cleared 2 files in [" + Narrow(userData) + "]");
    int closed = IndexOf(lines, "chrome main closed");
    EXPECT_NE(hidden, -1);
    EXPECT_GT(command, hidden);
    EXPECT_GT(entered, command);
    EXPECT_GT(cleared, entered);
    EXPECT_GT(closed, cleared);
    EXPECT_EQ(IndexOfPrefix(lines, "chrome caption"), -1) << "no countdown without a digit";
    EXPECT_TRUE(ProfileCleared(userData));
    EXPECT_TRUE(WaitNoProcess(L"chrome.exe", 10000));
}

TEST_F(ChromeCleaner, ShownRunKeepsTheWindowAndCentresTheDialogAndProgramFilesIsSecondChoice) {
    std::wstring program = Install(CSIDL_PROGRAM_FILES);
    TaskString = L"chrome";
    VisibleMode = true;
    ScreenCentre = ScreenPoint{600, 500};
    ASSERT_TRUE(CleanChrome());
    std::vector<std::string> lines = LogOfFinishedRun();
    EXPECT_NE(IndexOf(lines, "chrome module [" + Narrow(program) + "]"), -1);
    EXPECT_EQ(IndexOf(lines, "chrome main hidden"), -1);
    EXPECT_NE(IndexOf(lines, "chrome enter on [Clear browsing data] dialog at 400,340 topmost 1"),
              -1);
    EXPECT_TRUE(ProfileCleared(ChromeFolder(CSIDL_PROGRAM_FILES) + L"\\User Data"));
}

TEST_F(ChromeCleaner, PortProgramAndProfileFolderReplaceTheInstalledOnes) {
    std::wstring installedData = ChromeFolder(CSIDL_LOCAL_APPDATA) + L"\\User Data";
    Install(CSIDL_LOCAL_APPDATA);
    std::wstring port = temp_ / L"Portable Chrome\\chrome.exe";
    std::wstring folder = temp_ / L"Chrome Data";
    // A closing backslash must not turn the closing quote into part of the folder's name.
    std::wstring profile = folder + L"\\";
    ASSERT_TRUE(MakeFolders(temp_ / L"Portable Chrome"));
    ASSERT_TRUE(CopyFileW(BinPath(L"chrome.exe").c_str(), port.c_str(), FALSE));
    ASSERT_TRUE(MakeProfile(folder));
    Options.port = port.c_str();
    Options.profile = profile.c_str();

    ASSERT_TRUE(CleanChrome());
    std::vector<std::string> lines = LogOfFinishedRun();
    EXPECT_EQ(IndexOf(lines, StartedWith(&profile)), 0);
    EXPECT_NE(IndexOf(lines, "chrome module [" + Narrow(port) + "]"), -1);
    EXPECT_NE(IndexOf(lines, "chrome cleared 2 files in [" + Narrow(profile) + "]"), -1);
    EXPECT_TRUE(ProfileCleared(folder));
    EXPECT_FALSE(ProfileCleared(installedData));
}

TEST_F(ChromeCleaner, RunningChromeIsUsedAsItIsAndLeftOpen) {
    std::wstring program = Install(CSIDL_LOCAL_APPDATA);
    ASSERT_TRUE(StartChromeByHand(program, L"about:blank - Google Chrome"));
    HWND main = FindWindowW(L"Chrome_WidgetWin_0", L"about:blank - Google Chrome");

    std::wstring missingPort = temp_ / L"nowhere\\chrome.exe";
    std::wstring profile = temp_ / L"Other Profile";
    Options.port = missingPort.c_str();
    Options.profile = profile.c_str();
    ASSERT_TRUE(CleanChrome());

    std::vector<std::string> lines = Log(8, 10000);
    EXPECT_EQ(IndexOf(lines, "chrome started 1 [about:blank]"), 0);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("chrome started", 0) == 0; }),
              1)
        << "no second start";
    EXPECT_EQ(IndexOf(lines, "chrome main hidden"), -1);
    EXPECT_EQ(IndexOf(lines, "chrome main closed"), -1);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(ProfileCleared(ChromeFolder(CSIDL_LOCAL_APPDATA) + L"\\User Data"));
}

TEST_F(ChromeCleaner, CountdownShowsEachStepOnTheButtonThenPresses) {
    Install(CSIDL_LOCAL_APPDATA);
    TaskString = L"ie8 chrome/f/3 firefox";
    ASSERT_TRUE(CleanChrome());
    std::vector<std::string> lines = LogOfFinishedRun();
    int previous = -1;
    for (const char* step : {"(3)", "(2)", "(1)", "(0)"}) {
        int at = IndexOf(lines, std::string("chrome caption [") + step + kClear + "]");
        EXPECT_GT(at, previous) << step;
        previous = at;
    }
    EXPECT_GT(IndexOfPrefix(lines, std::string("chrome enter on [(0)") + kClear + "]"), previous);

    // "chrome/f/" at the end of the task, or followed by a letter, presses at once.
    for (const wchar_t* task : {L"chrome/f/", L"chrome/f/x firefox"}) {
        ClearLog();
        Install(CSIDL_LOCAL_APPDATA);
        TaskString = task;
        ASSERT_TRUE(CleanChrome()) << Narrow(task);
        lines = LogOfFinishedRun();
        EXPECT_EQ(IndexOfPrefix(lines, "chrome caption"), -1) << Narrow(task);
        EXPECT_NE(IndexOfPrefix(lines, std::string("chrome enter on [") + kClear + "]"), -1)
            << Narrow(task);
    }
}

TEST_F(ChromeCleaner, EightLeavesTheDialogToTheUser) {
    std::wstring userData = ChromeFolder(CSIDL_LOCAL_APPDATA) + L"\\User Data";
    Install(CSIDL_LOCAL_APPDATA);
    TaskString = L"chrome/f/8";
    ThreadResult outcome;
    HANDLE thread = nullptr;
    HWND dialog = StartUntilTheDialog(&outcome, &thread);
    ASSERT_NE(dialog, nullptr);
    Sleep(1500);  // the user takes a while: nothing is pressed meanwhile
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    EXPECT_TRUE(outcome.result);

    std::vector<std::string> lines = LogOfFinishedRun();
    EXPECT_EQ(IndexOfPrefix(lines, "chrome enter"), -1);
    EXPECT_EQ(IndexOfPrefix(lines, "chrome caption"), -1);
    EXPECT_LT(IndexOf(lines, "chrome dialog closed"), IndexOf(lines, "chrome main closed"));
    EXPECT_FALSE(ProfileCleared(userData));
}

TEST_F(ChromeCleaner, AbortEndsTheWaitForTheUserAndLeavesChromeOpen) {
    Install(CSIDL_LOCAL_APPDATA);
    TaskString = L"chrome/f/8";
    ThreadResult outcome;
    outcome.result = true;
    HANDLE thread = nullptr;
    HWND dialog = StartUntilTheDialog(&outcome, &thread);
    ASSERT_NE(dialog, nullptr);
    RunState = Aborting;
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    EXPECT_FALSE(outcome.result);
    EXPECT_TRUE(IsWindow(dialog)) << "an opened dialog stays open";
    EXPECT_EQ(IndexOf(Log(), "chrome main closed"), -1);
}

TEST_F(ChromeCleaner, LeftoverDialogIsClosedFirstAndOneThatStaysEndsTheRun) {
    // A dialog the user left open in a running Chrome lies above its browser window.
    std::wstring program = Install(CSIDL_LOCAL_APPDATA);
    {
        ScopedEnv leftover(L"SWEEPLY_STANDIN_CHROME_LEFTOVER", L"1");
        ASSERT_TRUE(StartChromeWithLeftover(program));
        ASSERT_TRUE(CleanChrome());
        std::vector<std::string> lines = Log(9, 10000);
        int closed = IndexOf(lines, "chrome leftover closed");
        EXPECT_NE(closed, -1);
        EXPECT_GT(IndexOf(lines, "chrome command 40013"), closed);
        EXPECT_NE(IndexOfPrefix(lines, "chrome enter on [Clear"), -1);
        ASSERT_TRUE(EndProcesses(L"chrome.exe"));
    }
    ClearLog();
    ScopedEnv leftover(L"SWEEPLY_STANDIN_CHROME_LEFTOVER", L"1");
    ScopedEnv stays(L"SWEEPLY_STANDIN_CHROME_LEFTOVER_STAYS", L"1");
    ASSERT_TRUE(StartChromeWithLeftover(program));
    EXPECT_FALSE(CleanChrome());
    std::vector<std::string> lines = Log();
    EXPECT_NE(IndexOf(lines, "chrome leftover refused close"), -1);
    EXPECT_EQ(IndexOf(lines, "chrome command 40013"), -1);
    EXPECT_EQ(CountProcesses(L"chrome.exe"), 1);
}

// EnumChildWindows order on a window of this process: the ninth descendant, else the last.
TEST(ClearButton, IsTheNinthDescendantOrTheLastOfFewer) {
    HWND top = CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(FindClearButton(top), nullptr);
    std::vector<HWND> descendants;
    HWND pane =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    descendants.push_back(pane);
    for (int i = 0; i < 2; ++i) {
        descendants.push_back(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, pane,
                                              nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(FindClearButton(top), descendants.back()) << "fewer than nine: the last";
    for (int i = 0; i < 9; ++i) {
        descendants.push_back(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, top,
                                              nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(FindClearButton(top), descendants[8]);
    DestroyWindow(top);
}

}  // namespace
