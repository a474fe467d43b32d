// RunState: the one status shared by the window, the worker and the cleaners. The window moves
// it 0 -> 1 -> 2 on Escape or the close mark; the worker and the CCleaner runner set 12 and 3.
#pragma once

#include <windows.h>

enum RunStateValue : LONG {
    Running = 0,
    AbortAsked = 1,
    Aborting = 2,
    CCleanerMissing = 3,
    Complete = 12,
};

// WM_USER + 100: the worker's word that the run is over; the window destroys itself.
constexpr UINT WM_CLEANING_DONE = WM_USER + 100;

// Plain aligned 32-bit value: each change is one store and readers poll it.
extern volatile LONG RunState;

// The abort test that every cleaner makes on entry and in each polling pass.
[[nodiscard]] inline bool AbortRequested() {
    return RunState == Aborting;
}

// Moves RunState from Running or AbortAsked to `value` in one atomic step, so that an abort the
// user confirms at the same moment is never overwritten, then tells the listener.
// False when the user's say had already ended (RunState 2 or more).
[[nodiscard]] bool AdvanceRunState(LONG value);

// Who is told of each change AdvanceRunState makes (on the thread that made it): the curtain,
// which repaints its status line. Null, the default, tells nobody.
void SetRunStateListener(void (*listener)());
