// Synthesised input and placement for foreign windows; every message is sent, so each call
// returns only after the window has handled it.
#include "base/input.h"

void PressKey(HWND window, WPARAM key) {
    SendMessageW(window, WM_KEYDOWN, key, 0);
    SendMessageW(window, WM_KEYUP, key, 0);
}

void ClickWindow(HWND window) {
    SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
}

void CentreWindowOn(HWND window, LONG x, LONG y) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    LONG left = x - (rect.right - rect.left) / 2;
    LONG top = y - (rect.bottom - rect.top) / 2;
    SetWindowPos(window, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE);
}
