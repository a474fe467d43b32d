// The cleaning worker: runs the selected steps of the task sequence one after the other on its own
// thread, lets the window show the outcome, then asks the window to close.
#pragma once

#include <windows.h>

// One step of the fixed sequence: when `selected` holds for this run, `run` is called once,
// then the worker pauses `pauseMs` (also after an abort, when the cleaner returns at once).
struct CleaningStep {
    const wchar_t* name;
    bool (*selected)();
    void (*run)();
    DWORD pauseMs;
};

struct StepTable {
    const CleaningStep* steps;
    size_t count;
};

// The product's sequence, in the order the work runs (defined in task_sequence.cpp).
[[nodiscard]] StepTable CleaningSteps();

// Runs `table` as the worker does, with `pause` for every pause (Sleep in the product), then
// marks the run complete in visible mode. Does not send WM_CLEANING_DONE.
void RunCleaningSequence(StepTable table, void (*pause)(DWORD ms));

// Thread procedure (C runtime thread start): the sequence, then WM_CLEANING_DONE to MainWindow.
unsigned __stdcall CleaningWorker(void* unused);

// Starts CleaningWorker; returns its handle, or null when the thread could not be started.
[[nodiscard]] HANDLE StartCleaningWorker();
