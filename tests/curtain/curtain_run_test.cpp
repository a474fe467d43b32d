// Shown runs under Wine, judged by the screen: the curtain's pictures and texts for each state,
// Escape, closing and the close mark, the cursor, the help link and the home page, the order of
// fade-in, worker and animation, and the release of everything with the window. Most runs use the
// probe build (Sweeply's own start-up and curtain over a step that holds the curtain open).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "tests/support/screen.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

constexpr DWORD kBackground = 0xDCDCDC;
constexpr DWORD kText = 0x3B86A4;
constexpr DWORD kWarning = 0xDC6464;
constexpr DWORD kWaitMs = 20000;

// Keeps a shot as NAME.bmp in the folder named by SWEEPLY_SCREENSHOT_DIR, when that is set (the
// pictures in docs/ come from there).
void Keep(const Screenshot& shot, const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"SWEEPLY_SCREENSHOT_DIR", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && shot.width > 0) {
        EXPECT_TRUE(shot.Save(std::wstring(folder) + L"\\" + name + L".bmp")) << Narrow(name);
    }
}

// Longest horizontal run of text-coloured pixels in `area`: an underline is one long run.
int LongestTextRun(const Screenshot& shot, const RECT& area) {
    int longest = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        int run = 0;
        for (LONG x = area.left; x < area.right; ++x) {
            run = shot.At(x, y) == kText ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// The curtain's layout in screen coordinates (the window covers the work area from (0, 0)).
struct Layout {
    LONG right = 0;
    LONG bottom = 0;
    RECT statusLeft;   // where only the long texts reach: question, warning, shutting down
    RECT statusRight;  // where the close mark and the red "X" stand
    RECT complete;     // the middle of "Cleaning Complete!", which no other text reaches
    RECT strip;        // the whole status line
    RECT animation;
    RECT helpLink;
};

Layout CurtainLayout() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Layout l;
    l.right = work.right;
    l.bottom = work.bottom;
    l.statusLeft = {l.right - 560, 30, l.right - 260, 60};
    l.statusRight = {l.right - 58, 30, l.right, 60};
    l.complete = {l.right - 250, 30, l.right - 100, 60};
    l.strip = {l.right - 560, 30, l.right, 60};
    l.animation = {26, l.bottom - 72, 26 + 64, l.bottom - 72 + 47};
    l.helpLink = {l.right - 240, l.bottom - 52, l.right, l.bottom - 8};
    return l;
}

enum class Status { Running, Question, ShuttingDown, Warning, Complete };

bool Shows(const Screenshot& shot, const Layout& l, Status status) {
    int left = shot.Count(l.statusLeft, kText);
    int red = shot.Count(l.statusRight, kWarning);
    int mark = shot.Count(l.statusRight, kText);
    int complete = shot.Count(l.complete, kText);
    switch (status) {
        case Status::Running:
            return left == 0 && red == 0 && mark > 0 && complete == 0;
        case Status::Question:
            return left > 0 && red > 0 && mark == 0;
        case Status::ShuttingDown:
            return left > 0 && red == 0 && mark == 0;
        case Status::Warning:
            return left == 0 && shot.Count(l.statusLeft, kWarning) > 0 && red == 0 && mark == 0;
        case Status::Complete:
            return left == 0 && red == 0 && complete > 0;
    }
    return false;
}

// One run of a probe build: its log, the file that holds the curtain open, and the process.
class CurtainRun : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(WriteTextFile(hold_, "hold")); }

    void TearDown() override {
        DeleteFileW(hold_.c_str());
        if (process_ != nullptr) {
            if (WaitForSingleObject(process_, kWaitMs) != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
                ADD_FAILURE() << "the run did not end";
            }
            CloseHandle(process_);
        }
    }

    // Starts `program` with `task` and waits until the curtain is up and the step has begun.
    void Start(const wchar_t* program, const wchar_t* task) {
        ASSERT_TRUE(StartProgram(Quote(BinPath(program)) + L" " + task, &process_));
        ASSERT_TRUE(WaitFor([&] { return HasPrefix(Log(), "step alpha="); })) << "worker never ran";
        window_ = FindWindowW(L"Sweeply", L"Sweeply");
        ASSERT_NE(window_, nullptr);
    }

    // Lets the step end and waits for the process; returns its exit code.
    DWORD Finish() {
        DeleteFileW(hold_.c_str());
        DWORD exitCode = 1;
        if (WaitForSingleObject(process_, kWaitMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_, &exitCode);
        }
        CloseHandle(process_);
        process_ = nullptr;
        return exitCode;
    }

    std::vector<std::string> Log() { return ReadLog(log_); }

    // Waits for the screen to show `status`; returns the shot that showed it (empty if none).
    Screenshot WaitForStatus(Status status) {
        Screenshot shot;
        WaitFor([&] {
            shot = CaptureScreen();
            return Shows(shot, layout_, status);
        });
        return Shows(shot, layout_, status) ? shot : Screenshot{};
    }

    void PressEscape() { PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }

    // A real click: the pointer moves there and the left button goes down and up.
    void ClickAt(LONG x, LONG y) {
        SetCursorPos(x, y);
        Sleep(50);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"probe.log";
    std::wstring hold_ = folder_ / L"hold";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
    ScopedEnv holdVariable_{L"SWEEPLY_STANDIN_PROBE_HOLD", hold_};
    Layout layout_ = CurtainLayout();
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(CurtainRun, ShowsLogoAnimationAndTextsThenCompletes) {
    // This probe's animation gives no frame delay: it must play at 100 ms a frame.
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbeZeroDelay.exe", L"opera"));
    const Layout& l = layout_;
    EXPECT_EQ(GetWindowLongW(window_, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOPMOST);
    RECT frame = {};
    GetWindowRect(window_, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right, l.right);
    EXPECT_EQ(frame.bottom, l.bottom);

    ASSERT_TRUE(WaitFor([&] { return HasPrefix(Log(), "watch alpha=255 worker=1 animation=1"); }));
    Sleep(1200);  // the animation's first frame comes a second after its thread starts
    Screenshot first = WaitForStatus(Status::Running);
    ASSERT_GT(first.width, 0) << "no close mark in the status line";
    for (POINT p : {POINT{l.right / 2, l.bottom / 2}, POINT{400, 300}, POINT{l.right - 5, 100},
                    POINT{5, l.bottom - 5}}) {
        EXPECT_EQ(first.At(p.x, p.y), kBackground) << p.x << "," << p.y;
    }
    RECT logo = first.BoundsOfOther(RECT{0, 0, 600, 200}, kBackground);
    EXPECT_EQ(logo.left, 10);
    EXPECT_EQ(logo.top, 2);
    EXPECT_EQ(logo.right, 10 + 270);
    EXPECT_EQ(logo.bottom, 2 + 110);
    RECT corner = {0, l.bottom - 200, 300, l.bottom};
    RECT moving = first.BoundsOfOther(corner, kBackground);
    EXPECT_GE(moving.left, l.animation.left);
    EXPECT_GE(moving.top, l.animation.top);
    EXPECT_LE(moving.right, l.animation.right);
    EXPECT_LE(moving.bottom, l.animation.bottom);
    EXPECT_GT(moving.right - moving.left, 32) << "no animation frame drawn";
    EXPECT_GE(LongestTextRun(first, l.helpLink), 120) << "no underlined help link";

    bool changed = WaitFor(
        [&] {
            Sleep(170);
            return !CaptureScreen().SameIn(first, l.animation);
        },
        5000);
    EXPECT_TRUE(changed) << "the animation stands still";
    Keep(first, L"curtain-running");

    DeleteFileW(hold_.c_str());
    Screenshot complete = WaitForStatus(Status::Complete);
    EXPECT_GT(complete.width, 0) << "no \"Cleaning Complete!\"";
    EXPECT_TRUE(complete.SameIn(first, logo)) << "the logo was drawn over itself";
    Keep(complete, L"curtain-complete");
    EXPECT_EQ(Finish(), 0u);

    // Only the window's thread may use GDI+, and frames come at most every 100 ms (with a
    // repeat of frame 0 after each pass and a few repaints): a spinning thread makes hundreds.
    std::vector<std::string> lines = Log();
    int line = IndexOfPrefix(lines, "animation drawn=");
    ASSERT_NE(line, -1);
    unsigned long drawn = 0, ms = 0, offThread = 1;
    ASSERT_EQ(sscanf(lines[line].c_str(), "animation drawn=%lu ms=%lu offThread=%lu", &drawn, &ms,
                     &offThread),
              3);
    EXPECT_EQ(offThread, 0u) << "GDI+ used off the window's thread";
    EXPECT_LE(drawn, 5 + ms / 40) << lines[line];
}

TEST_F(CurtainRun, WorkerAndAnimationStartOnlyAfterTheFadeAndEndWithTheWindow) {
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"chrome"));
    ASSERT_TRUE(WaitFor([&] { return HasPrefix(Log(), "watch alpha=255 worker=1 animation=1"); }));
    EXPECT_EQ(Finish(), 0u);

    std::vector<std::string> lines = Log();
    int watched = 0;
    for (const std::string& line : lines) {
        if (line.compare(0, 12, "watch alpha=") == 0 &&
            line.compare(0, 15, "watch alpha=255") != 0) {
            ++watched;
            EXPECT_NE(line.find("worker=0 animation=0"), std::string::npos) << line;
        }
    }
    EXPECT_GE(watched, 1) << "the window was never seen before it was opaque";
    EXPECT_TRUE(HasPrefix(lines, "step alpha=255"));
    EXPECT_TRUE(HasPrefix(lines, "window gone=1"));
    EXPECT_TRUE(HasPrefix(lines,
                          "released animationEnded=1 graphics=0 logo=0 regions=0 "
                          "animation=0 gdiplus=0"))
        << lines.back();
}

TEST_F(CurtainRun, CloseOrEscapeAsksThenConfirmsThenChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    ASSERT_GT(WaitForStatus(Status::Running).width, 0);
    // Closing the curtain (Alt+F4, another program's WM_CLOSE) counts as Escape: it stays.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    Screenshot question = WaitForStatus(Status::Question);
    EXPECT_GT(question.width, 0) << "no question with a red X";
    Keep(question, L"curtain-question");
    // The probe polls RunState every 50 ms: let it see the question before the confirmation.
    EXPECT_TRUE(WaitFor([&] { return HasPrefix(Log(), "state 1"); }));
    PressEscape();
    Screenshot shutting = WaitForStatus(Status::ShuttingDown);
    EXPECT_GT(shutting.width, 0) << "no shutting-down text";
    PressEscape();
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4's way to WM_CLOSE
    Sleep(500);
    EXPECT_TRUE(CaptureScreen().SameIn(shutting, layout_.strip));
    EXPECT_TRUE(IsWindow(window_)) << "closed before the run ended";
    EXPECT_EQ(Finish(), 0u);

    std::vector<std::string> lines = Log();
    EXPECT_TRUE(HasPrefix(lines, "state 1"));
    EXPECT_TRUE(HasPrefix(lines, "state 2"));
    EXPECT_FALSE(HasPrefix(lines, "state 3"));
    EXPECT_TRUE(HasPrefix(lines, "step ended state=2"));
}

TEST_F(CurtainRun, CCleanerWarningIsRedWithoutCloseMarkAndEndsTheUsersSay) {
    ScopedEnv warn(L"SWEEPLY_STANDIN_PROBE_WARN", L"1");
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    Screenshot warning = WaitForStatus(Status::Warning);
    ASSERT_GT(warning.width, 0) << "no red warning at the left of the status line";
    PressEscape();
    ClickAt(layout_.right - 45, 45);
    Sleep(500);
    EXPECT_TRUE(CaptureScreen().SameIn(warning, layout_.strip));
    EXPECT_EQ(Finish(), 0u);
    std::vector<std::string> lines = Log();
    EXPECT_TRUE(HasPrefix(lines, "step ended state=3")) << "the warning was replaced";
}

TEST_F(CurtainRun, CloseMarkClicksLikeEscapeAndTheCursorFollowsTheState) {
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    const Layout& l = layout_;
    // Cursor handles differ from process to process, so the two are taken from the curtain
    // itself: the help link always gets the hand, the empty curtain the arrow.
    auto cursorAt = [](LONG x, LONG y) {
        SetCursorPos(x, y);
        Sleep(200);
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        GetCursorInfo(&info);
        return info.hCursor;
    };
    Screenshot running = WaitForStatus(Status::Running);
    ASSERT_GT(running.width, 0);
    HCURSOR arrow = cursorAt(l.right / 2, 300);
    HCURSOR hand = cursorAt(l.right - 120, l.bottom - 30);
    ASSERT_NE(hand, arrow);
    EXPECT_EQ(cursorAt(l.right - 45, 45), hand);
    EXPECT_EQ(cursorAt(l.right - 25, 45), arrow);

    ClickAt(l.right - 30, 45);  // just right of the close mark
    Sleep(500);
    EXPECT_TRUE(CaptureScreen().SameIn(running, RECT{l.right - 560, 30, l.right, 60}));

    ClickAt(l.right - 45, 45);
    EXPECT_GT(WaitForStatus(Status::Question).width, 0);
    EXPECT_EQ(cursorAt(l.right - 44, 44), hand);
    ClickAt(l.right - 45, 45);
    EXPECT_GT(WaitForStatus(Status::ShuttingDown).width, 0);
    EXPECT_EQ(cursorAt(l.right / 2, 300), arrow);
    EXPECT_EQ(cursorAt(l.right - 45, 45), arrow) << "hand over the close mark after the abort";
    EXPECT_EQ(cursorAt(l.right - 120, l.bottom - 30), hand) << "no hand over the help link";
    ClickAt(l.right - 45, 45);
    EXPECT_EQ(Finish(), 0u);
    EXPECT_FALSE(HasPrefix(Log(), "state 3"));
}

TEST_F(CurtainRun, HelpLinkShowsPleaseWaitAndOpensTheHomePageAfterTheWindow) {
    // The browser stand-in as the machine's https handler (Wine's ShellExecuteW reads the
    // machine's classes only); the prefix's own handler comes back afterwards.
    ScopedRegistryText browser(HKEY_LOCAL_MACHINE,
                               L"Software\\Classes\\https\\shell\\open\\command", nullptr,
                               (Quote(BinPath(L"browser.exe")) + L" %1").c_str());
    ASSERT_TRUE(browser.ready());
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    const Layout& l = layout_;
    ASSERT_GT(WaitForStatus(Status::Running).width, 0);
    ASSERT_GE(LongestTextRun(CaptureScreen(), l.helpLink), 120);

    ClickAt(l.right - 120, l.bottom - 35);
    Screenshot waiting;
    EXPECT_TRUE(WaitFor([&] {
        waiting = CaptureScreen();
        return LongestTextRun(waiting, l.helpLink) < 40 && waiting.Count(l.helpLink, kText) > 0;
    })) << "the link was not replaced by \"Please wait...\"";
    ClickAt(l.right - 120, l.bottom - 35);
    Sleep(500);
    EXPECT_TRUE(CaptureScreen().SameIn(waiting, l.helpLink));
    EXPECT_TRUE(Shows(waiting, l, Status::Running)) << "the link click touched the status line";

    EXPECT_EQ(Finish(), 0u);
    // The browser starts as Sweeply ends; give it time to report.
    EXPECT_TRUE(WaitFor([&] { return HasPrefix(Log(), "opened "); }, 10000));
    std::vector<std::string> lines = Log();
    std::vector<std::string> opened;
    for (const std::string& line : lines) {
        if (line.compare(0, 7, "opened ") == 0) {
            opened.push_back(line);
        }
    }
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "opened https://www.sweeply-cleaner.com/help/ curtain=gone");
}

TEST_F(CurtainRun, MissingPictureEndsTheRunWithoutCleaning) {
    for (const wchar_t* program :
         {L"SweeplyProbeWithoutLogo.exe", L"SweeplyProbeWithoutAnimation.exe"}) {
        RunResult run = RunProgram(Quote(BinPath(program)) + L" opera", 30000);
        ASSERT_TRUE(run.finished) << Narrow(program);
        EXPECT_EQ(run.exitCode, 0u) << Narrow(program);
        EXPECT_FALSE(HasPrefix(Log(), "step")) << Narrow(program) << " cleaned";
        EXPECT_EQ(FindWindowW(L"Sweeply", L"Sweeply"), nullptr);
    }
}

TEST(ShownRun, SweeplyShowsTheCurtainAndCompletes) {
    // "firefox" shows the curtain; with no Firefox in the prefix its cleaner, once built, ends
    // at once, so the run is over within seconds whichever cleaners this build has.
    HANDLE process = nullptr;
    ASSERT_TRUE(StartProgram(Quote(BinPath(L"Sweeply.exe")) + L" firefox", &process));
    Layout l = CurtainLayout();
    HWND window = nullptr;
    bool complete = WaitFor(
        [&] {
            window = window != nullptr ? window : FindWindowW(L"Sweeply", L"Sweeply");
            return Shows(CaptureScreen(), l, Status::Complete);
        },
        30000);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(complete) << "no \"Cleaning Complete!\"";
    ASSERT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
