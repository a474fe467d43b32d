// The bounded thread wait, on the one poll primitive: its pause is a wait on the thread itself,
// so a thread that ends does not leave its waiter sitting out the rest of a pause.
#include "base/poll.h"

bool WaitThreadEnd(HANDLE thread, int polls, DWORD pauseMs) {
    bool ended = false;
    PollResult result = PollUntil(
        polls, pauseMs, PollOrder::AbortTestPause, nullptr,
        [thread, &ended] {
            DWORD code = 0;
            if (!GetExitCodeThread(thread, &code)) {
                return true;  // a thread that cannot be asked tells nothing more later
            }
            ended = code != STILL_ACTIVE;
            return ended;
        },
        [thread](DWORD ms) { WaitForSingleObject(thread, ms); });
    return result == PollResult::Met && ended;
}
