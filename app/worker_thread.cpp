// The worker thread over the product's step table, and its start.
#include "app/worker.h"

#include <process.h>

#include "run/run_state.h"
#include "run/settings.h"

namespace {

void SleepPause(DWORD ms) {
    Sleep(ms);
}

}  // namespace

unsigned __stdcall CleaningWorker(void*) {
    RunCleaningSequence(CleaningSteps(), SleepPause);
    // Returns only once the window is destroyed, so the curtain's resources are gone by then.
    SendMessageW(MainWindow, WM_CLEANING_DONE, 0, 0);
    return 0;
}

HANDLE StartCleaningWorker() {
    uintptr_t thread = _beginthreadex(nullptr, 0, CleaningWorker, nullptr, 0, nullptr);
    return reinterpret_cast<HANDLE>(thread);
}
