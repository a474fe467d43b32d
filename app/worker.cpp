// The cleaning worker thread. The order of the work is the table's, never the task string's.
#include "app/worker.h"

#include "run/run_state.h"
#include "run/settings.h"

void RunCleaningSequence(StepTable table, void (*pause)(DWORD ms)) {
    // No abort test here: after an abort every selected step is still called (its cleaner
    // returns at its own abort test) and still followed by its pause.
    for (size_t i = 0; i < table.count; ++i) {
        const CleaningStep& step = table.steps[i];
        if (!step.selected()) {
            continue;
        }
        step.run();
        if (step.pauseMs != 0) {
            pause(step.pauseMs);
        }
    }
    if (VisibleMode && AdvanceRunState(Complete)) {
        pause(1000);
    }
}
