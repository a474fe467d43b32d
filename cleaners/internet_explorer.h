// Internet Explorer's clearing, done through its Internet Options module (inetcpl.cpl): all
// categories at once through rundll32 ("ie8/all"), or its Delete Browsing History dialog ("ie8").
#pragma once

// The program and parameters with which the shell has rundll32 clear every category: rundll32.exe
// and inetcpl.cpl both by their full paths in the system folder, into two 260-character buffers.
// False when the system folder is unknown or a text does not fit.
[[nodiscard]] bool BuildClearEverythingCommand(wchar_t* program, wchar_t* parameters);

// Has rundll32 run the module's "ClearMyTracksByProcess" with 255 (every category) and does not
// wait for it. True when the shell accepted the start; false on abort or a failed start.
[[nodiscard]] bool CleanInternetExplorerAll();

// Loads the module, opens its dialog on a thread of its own, presses Delete and waits (at most
// 15 minutes) until the dialog has gone. False when the module or its dialog entry is missing,
// the process does not become idle, the dialog does not take the click in time (then it is not
// waited for), or on abort while looking for the dialog.
[[nodiscard]] bool CleanInternetExplorer();
