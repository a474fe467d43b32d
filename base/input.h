// Input for another program's windows: key presses and clicks sent as window messages, and
// placing a dialog, topmost, on a point the caller names (the cleaners pass the screen centre).
#pragma once

#include <windows.h>

// Sends WM_KEYDOWN then WM_KEYUP with `key` to `window` (synchronous, lParam 0).
void PressKey(HWND window, WPARAM key);

// Sends WM_LBUTTONDOWN then WM_LBUTTONUP at client position (0, 0) to `window` (synchronous).
void ClickWindow(HWND window);

// Moves `window`, keeping its size, so that its centre lies on (x, y) (halves rounded toward
// zero), and makes it topmost. Nothing happens when its rectangle cannot be read.
void CentreWindowOn(HWND window, LONG x, LONG y);
