// The shared run status and the repaint of the status line that follows each change.
#include "core/run_state.h"

#include "core/settings.h"

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

void SetRunState(LONG value) {
    RunState = value;
    InvalidateStatusStrip();
}
