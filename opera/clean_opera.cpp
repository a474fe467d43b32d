// CleanOpera: drives Opera's own delete-private-data dialog from outside, through its menu keys,
// starting Opera first when it is not running and closing it afterwards.
#include "opera/opera_cleaner.h"

#include "base/input.h"
#include "base/poll.h"
#include "opera/start_opera.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

constexpr wchar_t kOperaClass[] = L"OpWindow";
constexpr wchar_t kKeyboardClass[] = L"OUIWINDOW";
// WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
// WS_THICKFRAME, exactly: Opera's main window is an "OpWindow" too.
constexpr LONG kDialogStyle = static_cast<LONG>(0x96CC0000);
constexpr int kRunningProbes = 3;
constexpr int kProbesPerPass = 5;
constexpr int kWaitPasses = 20;
constexpr DWORD kPassPauseMs = 500;

struct OperaWindows {
    HWND main;
    HWND keyboardTarget;
};

// The next top-level "OpWindow" after `*previous`; after the last one the next probe starts
// again at the first.
HWND NextOperaWindow(HWND* previous) {
    *previous = FindWindowExW(nullptr, *previous, kOperaClass, nullptr);
    return *previous;
}

// Up to `probes` probes for the main window: an "OpWindow" with an "OUIWINDOW" child.
bool ProbeMainWindow(int probes, OperaWindows* found) {
    HWND previous = nullptr;
    for (int probe = 0; probe < probes; ++probe) {
        HWND window = NextOperaWindow(&previous);
        if (window == nullptr) {
            continue;
        }
        HWND child = FindWindowExW(window, nullptr, kKeyboardClass, nullptr);
        if (child != nullptr) {
            *found = {window, child};
            return true;
        }
    }
    return false;
}

// Up to `probes` probes for the delete-private-data dialog, told apart by its exact style.
HWND ProbeDialog(int probes) {
    HWND previous = nullptr;
    for (int probe = 0; probe < probes; ++probe) {
        HWND window = NextOperaWindow(&previous);
        if (window != nullptr && GetWindowLongW(window, GWL_STYLE) == kDialogStyle) {
            return window;
        }
    }
    return nullptr;
}

bool WaitMainWindow(OperaWindows* found) {
    return PollUntil(kWaitPasses, kPassPauseMs, PollOrder::AbortTestPause, AbortRequested,
                     [found] { return ProbeMainWindow(kProbesPerPass, found); }) == PollResult::Met;
}

HWND WaitDialog() {
    HWND dialog = nullptr;
    PollResult found =
        PollUntil(kWaitPasses, kPassPauseMs, PollOrder::AbortTestPause, AbortRequested, [&] {
            dialog = ProbeDialog(kProbesPerPass);
            return dialog != nullptr;
        });
    return found == PollResult::Met ? dialog : nullptr;
}

// Alt+T opens Opera's Tools menu; D picks "Delete private data". Alt and T are sent to the
// keyboard target, but the menu takes D only from the input queue, so D is synthesised
// system-wide and reaches the window that has the focus: Opera, after SetForegroundWindow.
// False as soon as the keyboard target does not answer.
[[nodiscard]] bool OpenDeleteDialog(HWND keyboardTarget) {
    SetForegroundWindow(keyboardTarget);
    if (!SendBounded(keyboardTarget, WM_SYSKEYDOWN, VK_MENU, 0)) {
        return false;
    }
    Sleep(50);
    if (!PressKey(keyboardTarget, 'T')) {
        return false;
    }
    Sleep(500);
    keybd_event('D', 0, 0, 0);
    keybd_event('D', 0, KEYEVENTF_KEYUP, 0);
    if (!SendBounded(keyboardTarget, WM_SYSKEYUP, VK_MENU, 0)) {
        return false;
    }
    Sleep(500);
    return true;
}

// Centres the dialog on ScreenCentre, topmost (in silent runs too), then presses its default
// button with Enter. False when the dialog has no button to press or it does not answer.
bool ConfirmDialog(HWND dialog) {
    CentreWindowOn(dialog, ScreenCentre.x, ScreenCentre.y);
    Sleep(500);
    HWND button = FindWindowExW(dialog, nullptr, kOperaClass, nullptr);
    return button != nullptr && PressKey(button, VK_RETURN);
}

}  // namespace

bool CleanOpera() {
    if (AbortRequested()) {
        return false;
    }
    OperaWindows opera = {};
    bool startedHere = false;
    if (!ProbeMainWindow(kRunningProbes, &opera)) {
        if (!StartOperaForCleaning() || !WaitMainWindow(&opera)) {
            return false;
        }
        startedHere = true;
    }
    if (!OpenDeleteDialog(opera.keyboardTarget)) {
        return false;
    }
    HWND dialog = WaitDialog();
    if (dialog == nullptr || !ConfirmDialog(dialog)) {
        return false;
    }
    // Only an Opera the user had not open is closed again.
    return !startedHere || SendBounded(opera.main, WM_CLOSE, 0, 0);
}
