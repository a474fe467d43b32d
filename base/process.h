// Starting another program and waiting until it is ready for input: the two ways the cleaners
// start programs, and the one rule for what WaitForInputIdle's answer means.
#pragma once

#include <windows.h>

// WaitForInputIdle on `process` for at most `timeoutMs`. False only on WAIT_TIMEOUT: WAIT_FAILED
// (a console program, or a process without a message queue yet) counts as ready, as waiting
// longer would not change the answer.
[[nodiscard]] bool WaitUntilReadyForInput(HANDLE process, DWORD timeoutMs);

// CreateProcessW with the given application name and command line (either may be null; the line
// must be writable), hidden when asked, with the caller's environment and current folder; then
// WaitUntilReadyForInput for 10 s. False when it could not be started or did not become ready.
// Keeps no handle.
[[nodiscard]] bool StartAndWaitIdle(const wchar_t* application, wchar_t* commandLine, bool hidden);

// ShellExecuteExW with the default verb, waiting for input idle, without any error box; on
// success `*process` is the new process's handle, which the caller closes, else it is null.
[[nodiscard]] bool ShellStart(const wchar_t* file, const wchar_t* parameters, HANDLE* process);
