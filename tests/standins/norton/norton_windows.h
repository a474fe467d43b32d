// Norton 360's windows as the runner sees them, built on the calling thread. The stand-in
// program runs them in its own process; tests also run them on a thread of their own process,
// where Wine lets GetPixel read the content window.
#pragma once

#include <windows.h>

// Creates the main window (and the pop-up when asked) on the calling thread, which must then run
// a message loop; the loop ends when the main window is closed. False when a window could not be
// made. Switches (SWEEPLY_STANDIN_NORTON_*): TITLE (main window title), POPUP, DIALOG_MS (delay
// before the dialog opens), WHITE_MS (content ready), WHITE_UNTIL_MS (content busy again).
[[nodiscard]] bool CreateNortonWindows(HINSTANCE instance);
