// The shared run status, and the word to whoever shows it after each change.
#include "run/run_state.h"

volatile LONG RunState = Running;

namespace {

// Set once at start-up, before the worker exists; read-only afterwards.
void (*RunStateListener)() = nullptr;

}  // namespace

void SetRunStateListener(void (*listener)()) {
    RunStateListener = listener;
}

bool AdvanceRunState(LONG value) {
    for (;;) {
        LONG current = RunState;
        if (current >= Aborting) {
            return false;
        }
        if (InterlockedCompareExchange(&RunState, value, current) == current) {
            if (RunStateListener != nullptr) {
                RunStateListener();
            }
            return true;
        }
    }
}
