// Every wait of both programs is a bounded poll: a fixed number of passes with a fixed pause,
// an abort test (given by the caller) at each pass where the wait can be aborted, and nothing
// that could wait longer. Threads and processes are waited for with the same bounds.
#pragma once

#include <windows.h>

// The order of the three things one pass does. The pause follows the last pass too, except in
// AbortPauseTest, where every pause comes before its test.
enum class PollOrder {
    AbortTestPause,  // abort test, test, pause
    AbortPauseTest,  // abort test, pause, test
    TestAbortPause,  // test, abort test, pause
};

// How a poll ended.
enum class PollResult { Met, TimedOut, Aborted };

// What one test found. NotYetNoPause goes on with the next pass at once, without the pause that
// would follow this test (the pass still counts).
enum class PollAnswer { Met, NotYet, NotYetNoPause };

namespace poll_detail {
inline PollAnswer Answer(bool met) {
    return met ? PollAnswer::Met : PollAnswer::NotYet;
}
inline PollAnswer Answer(PollAnswer answer) {
    return answer;
}
struct SleepPause {
    void operator()(DWORD ms) const { Sleep(ms); }
};
}  // namespace poll_detail

// Runs up to `polls` passes of `test` (returning bool or PollAnswer) in `order`, pausing
// `pauseMs`. `aborted` is the abort test, made once per pass (null: the wait cannot be aborted).
// Met as soon as the test is, Aborted as soon as the abort test holds, TimedOut after the last
// pass (at once for `polls` 0 or less). `pause` replaces Sleep, for waits that can end early.
template <typename Test, typename Pause = poll_detail::SleepPause>
[[nodiscard]] PollResult PollUntil(int polls,
                                   DWORD pauseMs,
                                   PollOrder order,
                                   bool (*aborted)(),
                                   Test&& test,
                                   Pause&& pause = Pause{}) {
    auto abortNow = [aborted] { return aborted != nullptr && aborted(); };
    for (int pass = 0; pass < polls; ++pass) {
        if (order != PollOrder::TestAbortPause && abortNow()) {
            return PollResult::Aborted;
        }
        if (order == PollOrder::AbortPauseTest) {
            pause(pauseMs);
        }
        PollAnswer answer = poll_detail::Answer(test());
        if (answer == PollAnswer::Met) {
            return PollResult::Met;
        }
        if (order == PollOrder::TestAbortPause && abortNow()) {
            return PollResult::Aborted;
        }
        if (order != PollOrder::AbortPauseTest && answer == PollAnswer::NotYet) {
            pause(pauseMs);
        }
    }
    return PollResult::TimedOut;
}

// Waits for a thread or process to end: up to `polls` looks, each followed by a wait of at most
// `pauseMs` that ends as soon as it does. No abort test. True when it is known to have ended;
// false after the last pass, or at once when the handle cannot be waited on.
[[nodiscard]] bool WaitUntilEnded(HANDLE threadOrProcess, int polls, DWORD pauseMs);
