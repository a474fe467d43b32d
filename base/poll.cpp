// The bounded wait for a thread or process, on the one poll primitive: its pause is a wait on
// the handle itself, so one that ends does not leave its waiter sitting out the rest of a pause.
#include "base/poll.h"

bool WaitUntilEnded(HANDLE threadOrProcess, int polls, DWORD pauseMs) {
    DWORD state = WAIT_TIMEOUT;
    static_cast<void>(PollUntil(
        polls, pauseMs, PollOrder::AbortTestPause, nullptr,
        [&] {
            state = WaitForSingleObject(threadOrProcess, 0);
            return state != WAIT_TIMEOUT;  // ended, or a handle that tells nothing more later
        },
        [threadOrProcess](DWORD ms) { WaitForSingleObject(threadOrProcess, ms); }));
    return state == WAIT_OBJECT_0;
}
