// Input for another program's windows: messages sent with a bound on the wait for an answer, key
// presses and clicks made of them, and placing a dialog, topmost, on a point the caller names (the
// cleaners pass the screen centre). Any program can make a window with the class or title a
// cleaner looks for and then stop answering: nothing here waits on such a window for ever.
#pragma once

#include <windows.h>

// How long a message to another program's window waits for its answer.
constexpr UINT kAnswerBoundMs = 5000;

// Sends `message` to `window` and waits at most kAnswerBoundMs for it to be handled (no wait at
// all when Windows already counts the window's thread as hung). True when it was handled, with
// the window's answer in `*answer` when given, and when the window is gone (answer 0): nothing
// waits on it. False when the window is there but did not answer in time.
[[nodiscard]] bool SendBounded(HWND window,
                               UINT message,
                               WPARAM wParam,
                               LPARAM lParam,
                               LRESULT* answer = nullptr);

// Sends WM_KEYDOWN then WM_KEYUP with `key` to `window` (lParam 0), each with SendBounded. False
// as soon as one is not answered.
[[nodiscard]] bool PressKey(HWND window, WPARAM key);

// Sends WM_LBUTTONDOWN then WM_LBUTTONUP at client position (0, 0) to `window`, each with
// SendBounded. False as soon as one is not answered.
[[nodiscard]] bool ClickWindow(HWND window);

// Asks for `window` to be moved, keeping its size, so that its centre lies on (x, y) (halves
// rounded toward zero), and made topmost. Never waits for the window's thread: the move happens
// when that thread next handles its messages. Nothing happens when its rectangle cannot be read.
void CentreWindowOn(HWND window, LONG x, LONG y);
