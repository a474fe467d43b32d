// Shown runs under Wine, judged by the screen: the curtain's pictures and texts for each state,
// Escape, closing and the close mark, the cursor, the help link and the home page, the order of
// fade-in, worker and animation, and the release of everything with the window. Most runs use the
// probe build (Sweeply's own start-up and curtain over a step that holds the curtain open).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
        for (LONG x = area.left, run = 0; x < area.right; ++x) {
            run = shot.At(x, y) == kText ? run + 1 : 0;
            longest = std::max(longest, static_cast<int>(run));
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
    POINT link;  // on the help link
    POINT mark;  // on the close mark
    POINT empty;
};

Layout CurtainLayout() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG r = work.right, b = work.bottom;
    return Layout{r,
                  b,
                  {r - 560, 30, r - 260, 60},
                  {r - 58, 30, r, 60},
                  {r - 250, 30, r - 100, 60},
                  {r - 560, 30, r, 60},
                  {26, b - 72, 26 + 64, b - 72 + 47},
                  {r - 240, b - 52, r, b - 8},
                  {r - 120, b - 35},
                  {r - 45, 45},
                  {r / 2, 300}};
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

// Waits for the screen to show `status`; returns the shot that showed it (empty if none).
Screenshot WaitForStatus(const Layout& l, Status status, DWORD waitMs = kWaitMs) {
    Screenshot shot;
    bool shown = WaitFor(
        [&] {
            shot = CaptureScreen();
            return Shows(shot, l, status);
        },
        waitMs);
    return shown ? shot : Screenshot{};
}

// One run of a probe build: its log, the file that holds the curtain open, and the process.
class CurtainRun : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(WriteTextFile(hold_, "hold")); }

    void TearDown() override {
        if (process_.valid() && Finish() != 0) {
            ADD_FAILURE() << "the run did not end with 0";
        }
    }

    // Starts `program` with `task` and waits until the curtain is up and the step has begun.
    void Start(const wchar_t* program, const wchar_t* task) {
        ASSERT_TRUE(process_.Start(Quote(BinPath(program)) + L" " + task));
        ASSERT_TRUE(WaitFor([&] { return IndexOfPrefix(Log(), "step alpha=") != -1; }))
            << "worker never ran";
        window_ = FindWindowW(L"Sweeply", L"Sweeply");
        ASSERT_NE(window_, nullptr);
    }

    // Lets the step end and waits for the process; returns its exit code.
    DWORD Finish() {
        DeleteFileW(hold_.c_str());
        return process_.Wait(kWaitMs);
    }

    std::vector<std::string> Log() { return ReadLog(log_); }
    bool Logged(const char* prefix) { return IndexOfPrefix(Log(), prefix) != -1; }

    Screenshot Await(Status status) { return WaitForStatus(layout_, status); }

    // Nothing in `area` changes for half a second (the curtain repaints at once when it does).
    bool Unchanged(const Screenshot& before, const RECT& area) {
        Sleep(500);
        return CaptureScreen().SameIn(before, area);
    }

    void PressEscape() { PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }

    // A real click: the pointer moves there and the left button goes down and up.
    void ClickAt(POINT p) {
        SetCursorPos(p.x, p.y);
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
    ChildProcess process_;
    HWND window_ = nullptr;
};

// The whole life of a shown run: fade-in before worker and animation, the pictures, an
// unanswered abort question replaced by completion, and everything released with the window.
TEST_F(CurtainRun, FadesInShowsPicturesAndTextsCompletesAndReleasesEverything) {
    // This probe's animation gives no frame delay: it must play at 100 ms a frame.
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbeZeroDelay.exe", L"opera"));
    const Layout& l = layout_;
    EXPECT_EQ(GetWindowLongW(window_, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOPMOST);
    RECT frame = {}, work = {0, 0, l.right, l.bottom};
    GetWindowRect(window_, &frame);
    EXPECT_TRUE(EqualRect(&frame, &work));

    ASSERT_TRUE(WaitFor([&] { return Logged("watch alpha=255 worker=1 animation=1"); }));
    Sleep(1200);  // the animation's first frame comes a second after its thread starts
    Screenshot first = Await(Status::Running);
    ASSERT_GT(first.width, 0) << "no close mark in the status line";
    for (POINT p : {POINT{l.right / 2, l.bottom / 2}, POINT{400, 300}, POINT{l.right - 5, 100},
                    POINT{5, l.bottom - 5}}) {
        EXPECT_EQ(first.At(p.x, p.y), kBackground) << p.x << "," << p.y;
    }
    RECT logo = first.BoundsOfOther(RECT{0, 0, 600, 200}, kBackground);
    RECT logoPlace = {10, 2, 10 + 270, 2 + 110};
    EXPECT_TRUE(EqualRect(&logo, &logoPlace));
    RECT moving = first.BoundsOfOther(RECT{0, l.bottom - 200, 300, l.bottom}, kBackground);
    EXPECT_TRUE(moving.left >= l.animation.left && moving.top >= l.animation.top &&
                moving.right <= l.animation.right && moving.bottom <= l.animation.bottom);
    EXPECT_GT(moving.right - moving.left, 32) << "no animation frame drawn";
    EXPECT_GE(LongestTextRun(first, l.helpLink), 120) << "no underlined help link";
    EXPECT_TRUE(WaitFor(
        [&] {
            Sleep(170);
            return !CaptureScreen().SameIn(first, l.animation);
        },
        5000))
        << "the animation stands still";
    Keep(first, L"curtain-running");

    PressEscape();
    Screenshot question = Await(Status::Question);
    EXPECT_GT(question.width, 0) << "no question with a red X";
    Keep(question, L"curtain-question");
    EXPECT_TRUE(WaitFor([&] { return Logged("state 1"); }));
    DeleteFileW(hold_.c_str());
    Screenshot complete = Await(Status::Complete);
    EXPECT_GT(complete.width, 0) << "no \"Cleaning Complete!\"";
    EXPECT_TRUE(complete.SameIn(first, logo)) << "the logo was drawn over itself";
    Keep(complete, L"curtain-complete");
    EXPECT_EQ(Finish(), 0u);

    std::vector<std::string> lines = Log();
    // Until the window is opaque, neither worker nor animation runs.
    int watched = 0;
    for (const std::string& line : lines) {
        if (line.rfind("watch alpha=", 0) == 0 && line.rfind("watch alpha=255", 0) != 0) {
            ++watched;
            EXPECT_NE(line.find("worker=0 animation=0"), std::string::npos) << line;
        }
    }
    EXPECT_GE(watched, 1) << "the window was never seen before it was opaque";
    EXPECT_NE(IndexOfPrefix(lines, "step alpha=255"), -1);
    EXPECT_NE(IndexOf(lines, "window gone=1"), -1);
    EXPECT_NE(IndexOf(lines,
                      "released animationEnded=1 graphics=0 logo=0 regions=0 animation=0 "
                      "gdiplus=0 images=0"),
              -1)
        << lines.back();
    // Only the window's thread may use GDI+, and frames come at most every 100 ms (with a
    // repeat of frame 0 after each pass and a few repaints): a spinning thread makes hundreds.
    int line = IndexOfPrefix(lines, "animation drawn=");
    ASSERT_NE(line, -1);
    unsigned long drawn = 0, ms = 0, offThread = 1;
    ASSERT_EQ(sscanf(lines[line].c_str(), "animation drawn=%lu ms=%lu offThread=%lu", &drawn, &ms,
                     &offThread),
              3);
    EXPECT_EQ(offThread, 0u) << "GDI+ used off the window's thread";
    EXPECT_LE(drawn, 5 + ms / 40) << lines[line];
}

// The user's controls in one run: the cursor, the help link (once, and only where it stands),
// closing as Escape, the close mark, and nothing answered once the abort is confirmed; the home
// page opens after the window.
TEST_F(CurtainRun, ControlsAskAndConfirmTheAbortAndTheHelpLinkOpensTheHomePageAfterwards) {
    // The browser stand-in as the machine's https handler (Wine's ShellExecuteW reads the
    // machine's classes only); the prefix's own handler comes back afterwards.
    ScopedRegistryText browser(HKEY_LOCAL_MACHINE,
                               L"Software\\Classes\\https\\shell\\open\\command", nullptr,
                               (Quote(BinPath(L"browser.exe")) + L" %1").c_str());
    ASSERT_TRUE(browser.ready());
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    const Layout& l = layout_;
    // Cursor handles differ from process to process, so the two are taken from the curtain
    // itself: the help link always gets the hand, the empty curtain the arrow. Each check moves
    // to a place whose cursor differs from the last one's, so a cursor left unset is seen.
    auto cursor = [] {
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        GetCursorInfo(&info);
        return info.hCursor;
    };
    const POINT besideMark = {l.right - 30, 45};
    Screenshot running = Await(Status::Running);
    ASSERT_GT(running.width, 0);
    SetCursorPos(l.empty.x, l.empty.y);
    Sleep(200);
    const HCURSOR arrow = cursor();
    SetCursorPos(l.link.x, l.link.y);
    ASSERT_TRUE(WaitFor([&] { return cursor() != arrow; }, 5000));
    const HCURSOR hand = cursor();
    auto cursorBecomes = [&](POINT p, HCURSOR expected) {
        SetCursorPos(p.x, p.y);
        return WaitFor([&] { return cursor() == expected; }, 5000);
    };
    EXPECT_TRUE(cursorBecomes(besideMark, arrow));
    EXPECT_TRUE(cursorBecomes(l.mark, hand));

    ClickAt(besideMark);
    EXPECT_TRUE(Unchanged(running, l.strip)) << "a click beside the close mark asked";
    EXPECT_TRUE(CaptureScreen().SameIn(running, l.helpLink)) << "a click elsewhere took the link";

    ClickAt(l.link);
    Screenshot waiting;
    EXPECT_TRUE(WaitFor([&] {
        waiting = CaptureScreen();
        return LongestTextRun(waiting, l.helpLink) < 40 && waiting.Count(l.helpLink, kText) > 0;
    })) << "the link was not replaced by \"Please wait...\"";
    ClickAt(l.link);
    EXPECT_TRUE(Unchanged(waiting, l.helpLink));
    EXPECT_TRUE(Shows(waiting, l, Status::Running)) << "the link click touched the status line";

    // Closing the curtain (Alt+F4, another program's WM_CLOSE) counts as Escape: it stays.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_GT(Await(Status::Question).width, 0);
    EXPECT_TRUE(cursorBecomes(l.empty, arrow));
    EXPECT_TRUE(cursorBecomes(l.mark, hand)) << "no hand over the close mark while asking";
    // The probe polls RunState every 50 ms: let it see the question before the confirmation.
    EXPECT_TRUE(WaitFor([&] { return Logged("state 1"); }));
    ClickAt(l.mark);
    Screenshot shutting = Await(Status::ShuttingDown);
    EXPECT_GT(shutting.width, 0) << "no shutting-down text";
    EXPECT_TRUE(cursorBecomes(l.link, hand)) << "no hand over the help link";
    EXPECT_TRUE(cursorBecomes(l.empty, arrow));
    SetCursorPos(l.mark.x, l.mark.y);  // from now on the close mark leaves the cursor as it is
    Sleep(200);
    EXPECT_EQ(cursor(), arrow) << "hand over the close mark after the abort";
    PressEscape();
    ClickAt(l.mark);
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4's way to WM_CLOSE
    EXPECT_TRUE(Unchanged(shutting, l.strip));
    EXPECT_TRUE(IsWindow(window_)) << "closed before the run ended";
    EXPECT_EQ(Finish(), 0u);

    // The browser starts as Sweeply ends; give it time to report.
    EXPECT_TRUE(WaitFor([&] { return Logged("opened "); }, 10000));
    std::vector<std::string> lines = Log();
    EXPECT_EQ(
        LinesStartingWith(lines, {"opened ", "state ", "step ended"}),
        (std::vector<std::string>{"state 1", "state 2", "step ended state=2",
                                  "opened https://www.sweeply-cleaner.com/help/ curtain=gone"}));
}

TEST_F(CurtainRun, CCleanerWarningIsRedWithoutCloseMarkAndEndsTheUsersSay) {
    ScopedEnv warn(L"SWEEPLY_STANDIN_PROBE_WARN", L"1");
    ASSERT_NO_FATAL_FAILURE(Start(L"SweeplyProbe.exe", L"opera"));
    Screenshot warning = Await(Status::Warning);
    ASSERT_GT(warning.width, 0) << "no red warning at the left of the status line";
    PressEscape();
    ClickAt(layout_.mark);
    EXPECT_TRUE(Unchanged(warning, layout_.strip));
    EXPECT_EQ(Finish(), 0u);
    EXPECT_TRUE(Logged("step ended state=3")) << "the warning was replaced";
}

TEST_F(CurtainRun, MissingPictureEndsTheRunWithoutCleaning) {
    for (const wchar_t* program :
         {L"SweeplyProbeWithoutLogo.exe", L"SweeplyProbeWithoutAnimation.exe"}) {
        RunResult run = RunProgram(Quote(BinPath(program)) + L" opera", 30000);
        ASSERT_TRUE(run.finished) << Narrow(program);
        EXPECT_EQ(run.exitCode, 0u) << Narrow(program);
        EXPECT_FALSE(Logged("step")) << Narrow(program) << " cleaned";
        EXPECT_EQ(FindWindowW(L"Sweeply", L"Sweeply"), nullptr);
    }
}

// Sweeply itself, shown, with a gdiplus.dll planted beside it: the curtain takes GDI+ from the
// system folder and the run completes. Wine prefers its own gdiplus.dll unless told otherwise;
// the override for the copy's file name makes it prefer the one beside the program, as Windows
// does for a DLL that is not on its known-DLL list.
TEST(ShownRun, SweeplyShowsTheCurtainAndCompletesWithoutADllBesideIt) {
    TempFolder folder;
    std::wstring sweeply = folder / L"SweeplyBesideDll.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"Sweeply.exe").c_str(), sweeply.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(BinPath(L"planted_dll.dll").c_str(), (folder / L"gdiplus.dll").c_str(), FALSE));
    std::wstring log = folder / L"planted.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\SweeplyBesideDll.exe";
    {
        ScopedRegistryText preferBeside(HKEY_CURRENT_USER, appKey + L"\\DllOverrides", L"gdiplus",
                                        L"native,builtin");
        ASSERT_TRUE(preferBeside.ready());
        // "firefox" shows the curtain; with no Firefox in the prefix its cleaner ends at once.
        ChildProcess run;
        ASSERT_TRUE(run.Start(Quote(sweeply) + L" firefox"));
        EXPECT_GT(WaitForStatus(CurtainLayout(), Status::Complete, 30000).width, 0)
            << "no \"Cleaning Complete!\"";
        EXPECT_EQ(run.Wait(30000), 0u);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
    EXPECT_EQ(ReadLog(log), std::vector<std::string>{});
}

}  // namespace
