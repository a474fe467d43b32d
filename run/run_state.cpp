// The shared run status and the repaint of the status line that follows each change.
#include "run/run_state.h"

#include "run/settings.h"

volatile LONG RunState = Running;

RECT StatusStrip() {
    return RECT{WorkArea.right - 560, 30, WorkArea.right, 60};
}

void InvalidateStatusStrip() {
    if (VisibleMode && MainWindow != nullptr) {
        RECT strip = StatusStrip();
        InvalidateRect(MainWindow, &strip, TRUE);
    }
}

bool AdvanceRunState(LONG value) {
    for (;;) {
        LONG current = RunState;
        if (current >= Aborting) {
            return false;
        }
        if (InterlockedCompareExchange(&RunState, value, current) == current) {
            InvalidateStatusStrip();
            return true;
        }
    }
}
