// Norton 360's windows for the stand-in: a main window that opens the dialog after nine Tabs and
// Enter, then four Tabs and Enter; the dialog whose content turns white when ready; the pop-up.
#include "tests/standins/norton/norton_windows.h"

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kWindowClass[] = L"SymHTMLWindow";
constexpr wchar_t kDialogClass[] = L"SymHTMLDialog";
constexpr wchar_t kPopupClass[] = L"-HTMLAYOUT-POPUP-W3-lib";
constexpr UINT_PTR kOpenDialogTimer = 1;
constexpr UINT_PTR kWhiteTimer = 2;
constexpr UINT_PTR kGreyTimer = 3;
constexpr UINT kDismiss = WM_APP + 1;
constexpr COLORREF kBusyColour = RGB(128, 128, 128);

struct NortonState {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND dialog = nullptr;
    HWND content = nullptr;
    HWND popup = nullptr;
    int tabs = 0;        // Tabs since the last Enter
    int stage = 0;       // 0: expecting 9 Tabs + Enter; 1: expecting 4 Tabs + Enter; 2: done
    bool white = false;  // what the content window paints
    bool dismissing = false;
};
NortonState state;

const wchar_t* KeyName(WPARAM key) {
    return key == VK_TAB ? L"Tab" : key == VK_RETURN ? L"Enter" : L"other";
}

void OpenDialog();

// Counts the keys; a wrong count starts the walk over, as focus would land elsewhere.
void OnKeyDown(WPARAM key) {
    StandinLog(L"key down %ls", KeyName(key));
    if (key == VK_TAB) {
        ++state.tabs;
        return;
    }
    if (key != VK_RETURN) {
        return;
    }
    int wanted = state.stage == 0 ? 9 : 4;
    state.stage = state.stage < 2 && state.tabs == wanted ? state.stage + 1 : 0;
    state.tabs = 0;
    if (state.stage == 2 && !StandinFlag(L"NORTON_NO_DIALOG")) {
        SetTimer(state.main, kOpenDialogTimer, StandinNumber(L"NORTON_DIALOG_MS", 700), nullptr);
    }
}

void PaintContent(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(state.white ? RGB(255, 255, 255) : kBusyColour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
}

void SetContentWhite(bool white) {
    if (state.content == nullptr) {
        return;
    }
    state.white = white;
    StandinLog(white ? L"content white" : L"content grey");
    InvalidateRect(state.content, nullptr, TRUE);
    UpdateWindow(state.content);
}

void OnTimer(HWND window, UINT_PTR timer) {
    KillTimer(window, timer);
    if (timer == kOpenDialogTimer) {
        OpenDialog();
    } else if (timer == kWhiteTimer) {
        SetContentWhite(true);
        DWORD until = StandinNumber(L"NORTON_WHITE_UNTIL_MS", 0);
        if (until != 0) {
            SetTimer(window, kGreyTimer, until, nullptr);
        }
    } else if (timer == kGreyTimer) {
        SetContentWhite(false);
    }
}

// The runner dismisses the dialog by sending it WM_DESTROY and WM_NCDESTROY; the stand-in then
// really goes, as Norton's dialog does.
LRESULT OnDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            if (!state.dismissing) {
                StandinLog(L"dialog WM_DESTROY");
            }
            return 0;
        case WM_NCDESTROY:
            if (state.dismissing) {
                state.dialog = nullptr;
                state.content = nullptr;
                return DefWindowProcW(window, message, wParam, lParam);
            }
            StandinLog(L"dialog WM_NCDESTROY");
            PostMessageW(window, kDismiss, 0, 0);
            return 0;
        case kDismiss:
            state.dismissing = true;
            DestroyWindow(window);
            StandinLog(L"dialog dismissed");
            return 0;
        case WM_WINDOWPOSCHANGED: {
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            if ((position->flags & SWP_NOMOVE) == 0) {
                bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                StandinLog(L"dialog at %d,%d topmost %d", position->x, position->y,
                           topmost ? 1 : 0);
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            StandinLog(L"button down at %d,%d", LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_LBUTTONUP:
            StandinLog(L"button up at %d,%d", LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_KEYUP:
            StandinLog(L"key up %ls", KeyName(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(window, wParam);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            state.dismissing = true;
            if (state.dialog != nullptr) {
                DestroyWindow(state.dialog);
            }
            if (state.popup != nullptr) {
                DestroyWindow(state.popup);
            }
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == state.main && state.main != nullptr) {
        return OnMainMessage(window, message, wParam, lParam);
    }
    if (window == state.content && message == WM_PAINT) {
        PaintContent(window);
        return 0;
    }
    if (window == state.content && message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OnDialogMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam == FALSE) {
        StandinLog(L"popup hidden");
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The dialog, its frame and the content window whose pixel (100, 120) tells readiness.
void OpenDialog() {
    state.dismissing = false;
    state.white = false;
    state.dialog =
        CreateWindowExW(0, kDialogClass, L"Norton 360", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60,
                        480, 400, nullptr, nullptr, state.instance, nullptr);
    HWND frame = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 360,
                                 state.dialog, nullptr, state.instance, nullptr);
    state.content = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 10, 10, 420, 320,
                                    frame, nullptr, state.instance, nullptr);
    UpdateWindow(state.dialog);
    StandinLog(L"dialog shown");
    if (!StandinFlag(L"NORTON_NEVER_WHITE")) {
        SetTimer(state.main, kWhiteTimer, StandinNumber(L"NORTON_WHITE_MS", 1500), nullptr);
    }
}

}  // namespace

bool CreateNortonWindows(HINSTANCE instance) {
    state = NortonState{};
    state.instance = instance;
    if (!StandinRegisterClass(state.instance, kWindowClass, WindowProc) ||
        !StandinRegisterClass(state.instance, kDialogClass, DialogProc) ||
        !StandinRegisterClass(state.instance, kPopupClass, PopupProc)) {
        return false;
    }
    wchar_t title[128] = L"Norton 360";
    StandinText(L"NORTON_TITLE", title, 128);
    state.main = CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                 400, 300, nullptr, nullptr, instance, nullptr);
    if (state.main == nullptr) {
        return false;
    }
    if (StandinFlag(L"NORTON_POPUP")) {
        state.popup = CreateWindowExW(WS_EX_TOOLWINDOW, kPopupClass, L"", WS_POPUP | WS_VISIBLE,
                                      600, 40, 120, 60, nullptr, nullptr, instance, nullptr);
    }
    StandinLog(L"started [%ls]%ls", title, state.popup != nullptr ? L" with pop-up" : L"");
    return true;
}
