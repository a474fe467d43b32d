// Helpers that only the cleaners share: the Windows version test and the folder walk of the
// storage removals, and the wait for a window to go (with the abort test). The Win32 building
// blocks they drive programs with (input, program starts, paths, polls) are in base/.
#pragma once

#include <windows.h>

// True when the Windows major version is below 6 (2000, XP, Server 2003), or when it is unknown.
[[nodiscard]] bool IsPreVistaWindows();

// Empties the folder in `path` (260-character buffer) and, with removeSelf, removes it. Links
// and junctions are removed, never followed, `path` itself included. Each folder is held open
// while it is walked, so none below `path` can be swapped meanwhile; the folders above it are
// the caller's to hold. `path` holds the folder path again on return.
void DeleteTree(wchar_t* path, bool removeSelf);

// Polls budgetMs / 500 times, 500 ms apart, for `window` to go. False on abort or time-out.
[[nodiscard]] bool WaitWindowGone(DWORD budgetMs, HWND window);
