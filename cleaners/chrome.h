// The Chrome cleaner: Chrome's own clear-browsing-data dialog, opened with its menu command in a
// running Chrome (started hidden by Sweeply when none runs) and confirmed on its clear button.
#pragma once

#include <windows.h>

// Clears Chrome's browsing data as the "chrome" token forms in TaskString and the "--profile="
// and "--port=" options ask. True when the clear button was pressed (with a countdown of 8: when
// the dialog closed) and the wait for the dialog ended; false when it gave up (also when Chrome
// would have to be started on a "--profile=" folder holding a quotation mark, and when one of
// Chrome's windows did not answer a message in time). Closes Chrome at the end only when it
// started it.
[[nodiscard]] bool CleanChrome();

// Walks Chrome's top-level windows one per poll, at most 50 polls `pauseMs` apart. A window with
// an extended-style bit of `closeMask` is sent WM_CLOSE and must answer it and be gone within 3 s
// (else none); the first other window with a bit of `returnMask`, or whose title contains
// `titlePart` (case-insensitive, null: no title test), is the result. None on abort or when polls
// run out.
[[nodiscard]] HWND FindChromeWindow(LONG closeMask,
                                    LONG returnMask,
                                    const wchar_t* titlePart,
                                    DWORD pauseMs);

// The dialog's ninth descendant in EnumChildWindows order, the last one when there are fewer,
// or null when it has none.
[[nodiscard]] HWND FindClearButton(HWND dialog);
