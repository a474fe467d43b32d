// Norton 360's windows as the runner sees them, built on the calling thread. The stand-in
// program runs them in its own process; tests also run them on a thread of their own process,
// where Wine lets GetPixel read the content window.
#pragma once

#include <windows.h>

// Creates the main window (and the pop-up when asked) on the calling thread, which must then run
// a message loop; the loop ends when the main window is closed. False when a window could not be
// made. Switches (SWEEPLY_STANDIN_NORTON_*): TITLE (main window title), POPUP, NO_DIALOG,
// DIALOG_MS (delay before the dialog opens), WHITE_MS (content turns white), WHITE_UNTIL_MS
// (content grey again), NEVER_WHITE.
[[nodiscard]] bool CreateNortonWindows(HINSTANCE instance);
