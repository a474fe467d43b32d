// Synthesised input and placement for foreign windows. Messages are sent, so each step has been
// handled before the next one goes, but with a bound: a thread that stops answering would
// otherwise hold the caller for ever, with no abort test reached.
#include "base/input.h"

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    DWORD_PTR result = 0;
    // SMTO_ABORTIFHUNG gives up at once on a thread that has not asked for messages for 5 s;
    // SMTO_BLOCK keeps this thread from handling messages sent to it meanwhile.
    bool answered =
        SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            kAnswerBoundMs, &result) != 0;
    if (!answered) {
        // A window that went (a dialog that closes on the key-down, before its key-up arrives)
        // holds nobody up, as a plain SendMessageW to it would not: only one still there failed.
        if (IsWindow(window)) {
            return false;
        }
        result = 0;
    }
    if (answer != nullptr) {
        *answer = static_cast<LRESULT>(result);
    }
    return true;
}

bool PressKey(HWND window, WPARAM key) {
    return SendBounded(window, WM_KEYDOWN, key, 0) && SendBounded(window, WM_KEYUP, key, 0);
}

bool ClickWindow(HWND window) {
    return SendBounded(window, WM_LBUTTONDOWN, 0, 0) && SendBounded(window, WM_LBUTTONUP, 0, 0);
}

void CentreWindowOn(HWND window, LONG x, LONG y) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    LONG left = x - (rect.right - rect.left) / 2;
    LONG top = y - (rect.bottom - rect.top) / 2;
    // Posted to the window's thread rather than sent: placing must not wait on it either.
    SetWindowPos(window, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
}
