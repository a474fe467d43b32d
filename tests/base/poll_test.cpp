// The poll primitive's order of calls, results and bounds, recorded call by call (no timings),
// and the bounded wait for a thread.
#include <gtest/gtest.h>

#include <string>

#include "base/poll.h"

namespace {

std::string calls;
int abortAtPass = 0;  // the abort test holds from this pass on (counted from 1); 0: never
int abortTests = 0;

bool RecordAbortTest() {
    calls += "abort ";
    return ++abortTests == abortAtPass;
}

struct RecordPause {
    void operator()(DWORD ms) const { calls += "pause" + std::to_string(ms) + " "; }
};

// Runs a poll whose test is met at its `metAt`-th call (0: never) and records every call.
PollResult Record(int polls, PollOrder order, int metAt, int abortAt, bool withAbort = true) {
    calls.clear();
    abortAtPass = abortAt;
    abortTests = 0;
    int tests = 0;
    return PollUntil(
        polls, 7, order, withAbort ? RecordAbortTest : nullptr,
        [&] {
            calls += "test ";
            return ++tests == metAt;
        },
        RecordPause{});
}

TEST(PollUntil, EachOrderKeepsItsPlaceForTheAbortTestAndThePause) {
    struct Case {
        PollOrder order;
        const char* expected;
    };
    const Case cases[] = {
        {PollOrder::AbortTestPause, "abort test pause7 abort test pause7 "},
        {PollOrder::AbortPauseTest, "abort pause7 test abort pause7 test "},
        {PollOrder::TestAbortPause, "test abort pause7 test abort pause7 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Record(2, c.order, 0, 0), PollResult::TimedOut);
        EXPECT_EQ(calls, c.expected);
    }
}

TEST(PollUntil, StopsAtOnceWhenMetOrAborted) {
    EXPECT_EQ(Record(5, PollOrder::AbortTestPause, 2, 0), PollResult::Met);
    EXPECT_EQ(calls, "abort test pause7 abort test ");
    EXPECT_EQ(Record(5, PollOrder::AbortPauseTest, 0, 2), PollResult::Aborted);
    EXPECT_EQ(calls, "abort pause7 test abort ");
    EXPECT_EQ(Record(5, PollOrder::TestAbortPause, 0, 1), PollResult::Aborted);
    EXPECT_EQ(calls, "test abort ");
    // Without an abort test the wait runs its passes; without passes nothing is called.
    EXPECT_EQ(Record(2, PollOrder::AbortTestPause, 0, 1, false), PollResult::TimedOut);
    EXPECT_EQ(calls, "test pause7 test pause7 ");
    EXPECT_EQ(Record(0, PollOrder::AbortTestPause, 1, 1), PollResult::TimedOut);
    EXPECT_EQ(calls, "");
}

TEST(PollUntil, APassCanSkipItsPause) {
    calls.clear();
    int tests = 0;
    PollResult result = PollUntil(
        3, 7, PollOrder::AbortTestPause, nullptr,
        [&] {
            calls += "test ";
            return ++tests == 1 ? PollAnswer::NotYetNoPause : PollAnswer::NotYet;
        },
        RecordPause{});
    EXPECT_EQ(result, PollResult::TimedOut);
    EXPECT_EQ(calls, "test test pause7 test pause7 ");
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
    EXPECT_FALSE(WaitThreadEnd(thread, 2, 1));
    SetEvent(release);
    EXPECT_TRUE(WaitThreadEnd(thread, 3600, 500));
    CloseHandle(thread);
    CloseHandle(release);
    // A handle that cannot be asked ends the wait at once.
    EXPECT_FALSE(WaitThreadEnd(nullptr, 3600, 500));
}

}  // namespace
