// Helpers shared by every cleaner that drives another program from outside: the abort test,
// bounded paths, key presses and clicks, placing a foreign dialog, starting programs, waiting.
// All run on the worker thread; none keeps state of its own.
#pragma once

#include <windows.h>

#include "run/run_state.h"
#include "run/settings.h"

// Appends `text` to the 260-character `path`. Fails, changing nothing, when `path` is not
// terminated within 260 characters; otherwise appends what fits and succeeds only if all did.
[[nodiscard]] bool AppendPath(wchar_t* path, const wchar_t* text);

// True when the Windows major version is below 6 (2000, XP, Server 2003), or when it is unknown.
[[nodiscard]] bool IsPreVistaWindows();

// Empties the folder in `path` (260-character buffer) and, with removeSelf, removes it. Links
// and junctions are removed, never followed. `path` holds the folder path again on return.
void DeleteTree(wchar_t* path, bool removeSelf);

// Polls budgetMs / 500 times, 500 ms apart, for `window` to go. False on abort or time-out.
[[nodiscard]] bool WaitWindowGone(DWORD budgetMs, HWND window);

// Moves `window`, keeping its size, so that its centre lies on ScreenCentre, and makes it topmost.
void CentreOnScreen(HWND window);

// Sends WM_KEYDOWN then WM_KEYUP with `key` to `window` (synchronous).
void PressKey(HWND window, WPARAM key);

// Sends WM_LBUTTONDOWN then WM_LBUTTONUP at client position (0, 0) to `window` (synchronous).
void ClickWindow(HWND window);

// CreateProcessW with the given application name and command line (either may be null),
// hidden when asked, then waits up to 10 s for the program to be ready for input. False when it
// could not be started or did not become ready. Keeps no handle.
[[nodiscard]] bool StartAndWaitIdle(const wchar_t* application, wchar_t* commandLine, bool hidden);

// ShellExecuteExW with the default verb, waiting for input idle, without any error box; on
// success `*process` is the new process's handle, which the caller closes, else it is null.
[[nodiscard]] bool ShellStart(const wchar_t* file, const wchar_t* parameters, HANDLE* process);
