// The Norton 360 runner: Norton's window has no interface of its own for this, so its cleaning
// dialog is opened with the keyboard and dismissed once its content has been drawn.
#include "cleaners/norton360.h"

#include <windows.h>

#include "base/input.h"
#include "base/poll.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

constexpr wchar_t kWindowClass[] = L"SymHTMLWindow";
constexpr wchar_t kDialogClass[] = L"SymHTMLDialog";
constexpr wchar_t kPopupClass[] = L"-HTMLAYOUT-POPUP-W3-lib";
constexpr wchar_t kTitle[] = L"Norton 360";
constexpr int kPolls = 20;  // 500 ms apart, for the dialog and for its content
constexpr int kReadyX = 100;
constexpr int kReadyY = 120;
constexpr COLORREF kReadyColour = RGB(255, 255, 255);

// Nine Tabs and Enter, then four Tabs and Enter: the path through Norton's controls to the
// action that opens the dialog. Sent without pauses, as each press is synchronous. False as soon
// as a press is not answered.
[[nodiscard]] bool WalkToCleaningAction(HWND main) {
    for (int tabs : {9, 4}) {
        for (int i = 0; i < tabs; ++i) {
            if (!PressKey(main, VK_TAB)) {
                return false;
            }
        }
        if (!PressKey(main, VK_RETURN)) {
            return false;
        }
    }
    return true;
}

// The layout engine's pop-up would stand in front of the dialog.
void HidePopup() {
    HWND popup = FindWindowW(kPopupClass, nullptr);
    if (popup != nullptr) {
        ShowWindowAsync(popup, SW_HIDE);
    }
}

// The dialog, polled for; null on abort or when it did not come.
[[nodiscard]] HWND WaitForDialog() {
    HWND dialog = nullptr;
    PollResult found = PollUntil(kPolls, 500, PollOrder::AbortTestPause, AbortRequested, [&] {
        dialog = FindWindowW(kDialogClass, kTitle);
        return dialog != nullptr;
    });
    return found == PollResult::Met ? dialog : nullptr;
}

// The window that draws the dialog's content: the first "SymHTMLWindow" inside the first
// "SymHTMLWindow" of the dialog.
[[nodiscard]] HWND FindContent(HWND dialog) {
    HWND frame = FindWindowExW(dialog, nullptr, kWindowClass, nullptr);
    if (frame == nullptr) {
        return nullptr;
    }
    return FindWindowExW(frame, nullptr, kWindowClass, nullptr);
}

// Waits until the content's test pixel (window coordinates) is white, at most 20 polls; false
// only on abort. Under Wine, GetPixel on another process's child window answers CLR_INVALID,
// so there the wait always runs its 20 polls.
[[nodiscard]] bool WaitContentReady(HWND content) {
    HDC dc = GetWindowDC(content);
    if (dc == nullptr) {
        return true;
    }
    PollResult ready = PollUntil(kPolls, 500, PollOrder::AbortTestPause, AbortRequested,
                                 [dc] { return GetPixel(dc, kReadyX, kReadyY) == kReadyColour; });
    ReleaseDC(content, dc);
    return ready != PollResult::Aborted;
}

}  // namespace

bool RunNorton360() {
    if (AbortRequested()) {
        return false;
    }
    HWND main = FindWindowW(kWindowClass, kTitle);
    if (main == nullptr) {
        return false;
    }
    if (!ClickWindow(main)) {
        return false;
    }
    Sleep(500);
    if (!WalkToCleaningAction(main)) {
        return false;
    }
    HidePopup();
    HWND dialog = WaitForDialog();
    if (dialog == nullptr) {
        return false;
    }
    if (VisibleMode) {
        CentreWindowOn(dialog, ScreenCentre.x, ScreenCentre.y);
    }
    HWND content = FindContent(dialog);
    if (content == nullptr) {
        return false;
    }
    if (!WaitContentReady(content)) {
        return false;
    }
    // The two messages of a window's own destruction, which make Norton's dialog let go.
    return SendBounded(dialog, WM_DESTROY, 0, 0) && SendBounded(dialog, WM_NCDESTROY, 0, 0);
}
