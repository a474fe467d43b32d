// Driving other programs under Wine: placing a window on a given point, a shell start, and the
// poll primitive's order of calls (recorded call by call, no timings) and thread wait. Key
// presses and clicks are checked message by message by the Norton 360 tests.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "base/input.h"
#include "base/poll.h"
#include "base/process.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

TEST(CentreWindowOn, KeepsTheSizeAndMakesTopmost) {
    HWND window = CreateWindowExW(0, L"STATIC", L"placed", WS_POPUP, 10, 20, 201, 101, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CentreWindowOn(window, 400, 300);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    // 201 x 101: the halves are rounded toward zero.
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 250);
    EXPECT_EQ(rect.right - rect.left, 201);
    EXPECT_EQ(rect.bottom - rect.top, 101);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(window);
}

// A console program never becomes "idle": WaitForInputIdle fails at once, which counts as ready
// (waiting the whole time-out for it would stall every start of such a program).
TEST(StartAndWaitIdle, ConsoleProgramCountsAsReadyAndAMissingOneAsNot) {
    std::wstring console = SpecialFolder(CSIDL_SYSTEM) + L"\\cmd.exe";
    std::wstring line = L"cmd.exe /c exit";
    EXPECT_TRUE(StartAndWaitIdle(console.c_str(), line.data(), true));
    TempFolder temp;
    EXPECT_FALSE(StartAndWaitIdle((temp / L"missing.exe").c_str(), line.data(), true));
}

// The parameters reaching the program are checked by the CCleaner tests ("/AUTO").
TEST(ShellStart, HandsOverTheProcessOrNothing) {
    HANDLE process = nullptr;
    ASSERT_TRUE(ShellStart(BinPath(L"recorder.exe").c_str(), L"x", &process));
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    CloseHandle(process);
    TempFolder temp;
    process = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(ShellStart((temp / L"missing.exe").c_str(), nullptr, &process));
    EXPECT_EQ(process, nullptr);
}

std::string calls;
std::string abortScript;  // per abort test: 'a' holds, anything else (or past its end) not
size_t abortTests = 0;

bool ScriptedAbortTest() {
    calls += "abort ";
    return abortTests < abortScript.size() && abortScript[abortTests++] == 'a';
}

struct RecordPause {
    void operator()(DWORD ms) const { calls += "pause" + std::to_string(ms) + " "; }
};

// Runs a poll of 7 ms pauses whose test answers by `tests` ('m' met, 's' not yet and no pause,
// anything else or past its end not yet), with the abort test of `aborts` (null: none).
PollResult RunPoll(int polls, PollOrder order, const std::string& tests, const char* aborts) {
    calls.clear();
    abortScript = aborts != nullptr ? aborts : "";
    abortTests = 0;
    size_t test = 0;
    return PollUntil(
        polls, 7, order, aborts != nullptr ? ScriptedAbortTest : nullptr,
        [&] {
            calls += "test ";
            char answer = test < tests.size() ? tests[test] : '.';
            ++test;
            return answer == 'm'   ? PollAnswer::Met
                   : answer == 's' ? PollAnswer::NotYetNoPause
                                   : PollAnswer::NotYet;
        },
        RecordPause{});
}

TEST(PollUntil, CallsInTheGivenOrderAndStopsAtOnce) {
    using O = PollOrder;
    using R = PollResult;
    struct Case {
        int polls;
        PollOrder order;
        const char* tests;
        const char* aborts;
        PollResult result;
        const char* calls;
    };
    const Case cases[] = {
        {2, O::AbortTestPause, "", "", R::TimedOut, "abort test pause7 abort test pause7 "},
        {2, O::AbortPauseTest, "", "", R::TimedOut, "abort pause7 test abort pause7 test "},
        {2, O::TestAbortPause, "", "", R::TimedOut, "test abort pause7 test abort pause7 "},
        {5, O::AbortTestPause, ".m", "", R::Met, "abort test pause7 abort test "},
        {5, O::AbortPauseTest, "", ".a", R::Aborted, "abort pause7 test abort "},
        {5, O::TestAbortPause, "", "a", R::Aborted, "test abort "},
        {2, O::AbortTestPause, "", nullptr, R::TimedOut, "test pause7 test pause7 "},
        {3, O::AbortTestPause, "s", nullptr, R::TimedOut, "test test pause7 test pause7 "},
        {0, O::AbortTestPause, "m", "a", R::TimedOut, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunPoll(c.polls, c.order, c.tests, c.aborts), c.result) << c.calls;
        EXPECT_EQ(calls, c.calls);
    }
}

DWORD WINAPI WaitForEvent(void* event) {
    WaitForSingleObject(event, 30000);
    return 0;
}

TEST(WaitThreadEnd, TrueOnlyForAThreadThatEnded) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitForEvent, release, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(WaitUntilEnded(thread, 2, 1));
    SetEvent(release);
    EXPECT_TRUE(WaitUntilEnded(thread, 3600, 500));
    CloseHandle(thread);
    CloseHandle(release);
    // A handle that cannot be asked ends the wait at once.
    EXPECT_FALSE(WaitUntilEnded(nullptr, 3600, 500));
}

}  // namespace
