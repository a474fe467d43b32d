// Norton 360's windows for the stand-in: a main window that opens the dialog after nine Tabs and
// Enter, then four Tabs and Enter; the dialog whose content signals readiness by one white pixel;
// the pop-up.
#include "tests/standins/norton/norton_windows.h"

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kWindowClass[] = L"SymHTMLWindow";
constexpr wchar_t kDialogClass[] = L"SymHTMLDialog";
constexpr wchar_t kPopupClass[] = L"-HTMLAYOUT-POPUP-W3-lib";
enum : UINT_PTR { kOpenDialogTimer = 1, kWhiteTimer, kGreyTimer };
constexpr UINT kDismiss = WM_APP + 1;

struct NortonState {
    HINSTANCE instance = nullptr;
    HWND main = nullptr, dialog = nullptr, content = nullptr, popup = nullptr;
    int tabs = 0;        // Tabs since the last Enter
    int stage = 0;       // 0: expecting 9 Tabs + Enter; 1: expecting 4 Tabs + Enter; 2: done
    bool white = false;  // whether the readiness pixel is white
    bool dismissing = false;
};
NortonState state;

// Counts the keys; a wrong count starts the walk over, as focus would land elsewhere.
void OnEnter() {
    int wanted = state.stage == 0 ? 9 : 4;
    state.stage = state.stage < 2 && state.tabs == wanted ? state.stage + 1 : 0;
    state.tabs = 0;
    if (state.stage == 2) {
        SetTimer(state.main, kOpenDialogTimer, StandinNumber(L"NORTON_DIALOG_MS", 200), nullptr);
    }
}

// Busy grey (the class background) everywhere, and once ready only the pixel (100, 120) of the
// whole bordered window white: a runner reading any other pixel, or counting from the client
// area, never sees the dialog ready.
void PaintContent(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    HDC whole = GetWindowDC(window);
    SetPixel(whole, 100, 120, state.white ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(window, whole);
}

void SetContentWhite(bool white) {
    if (state.content != nullptr) {
        state.white = white;
        StandinLog(white ? L"content white" : L"content grey");
        InvalidateRect(state.content, nullptr, TRUE);
        UpdateWindow(state.content);
    }
}

// The dialog, its frame and the content window.
void OpenDialog() {
    state.dismissing = state.white = false;
    state.dialog =
        CreateWindowExW(0, kDialogClass, L"Norton 360", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60,
                        480, 400, nullptr, nullptr, state.instance, nullptr);
    HWND frame = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 360,
                                 state.dialog, nullptr, state.instance, nullptr);
    state.content = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10,
                                    420, 320, frame, nullptr, state.instance, nullptr);
    UpdateWindow(state.dialog);
    StandinLog(L"dialog shown");
    SetTimer(state.main, kWhiteTimer, StandinNumber(L"NORTON_WHITE_MS", 500), nullptr);
}

void OnTimer(UINT_PTR timer) {
    KillTimer(state.main, timer);
    DWORD until = StandinNumber(L"NORTON_WHITE_UNTIL_MS", 0);
    if (timer == kOpenDialogTimer) {
        OpenDialog();
    } else if (timer == kWhiteTimer) {
        SetContentWhite(true);
        if (until != 0) {
            SetTimer(state.main, kGreyTimer, until, nullptr);
        }
    } else {
        SetContentWhite(false);
    }
}

// The runner dismisses the dialog by sending it WM_DESTROY and WM_NCDESTROY; the stand-in then
// really goes, as Norton's dialog does. Moves are logged with the topmost state.
LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    if (message == WM_DESTROY && !state.dismissing) {
        StandinLog(L"dialog WM_DESTROY");
        return 0;
    } else if (message == WM_NCDESTROY && !state.dismissing) {
        StandinLog(L"dialog WM_NCDESTROY");
        PostMessageW(window, kDismiss, 0, 0);
        return 0;
    } else if (message == kDismiss) {
        state.dismissing = true;
        DestroyWindow(window);
        StandinLog(L"dialog dismissed");
        return 0;
    } else if (message == WM_NCDESTROY) {
        state.dialog = state.content = nullptr;
    } else if (message == WM_WINDOWPOSCHANGED && (position->flags & SWP_NOMOVE) == 0) {
        wchar_t place[128];
        StandinPlace(window, place, 128);
        StandinLog(L"dialog %ls", place);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const wchar_t* key = wParam == VK_TAB ? L"Tab" : wParam == VK_RETURN ? L"Enter" : L"other";
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            StandinLog(L"button %ls at %d,%d", message == WM_LBUTTONDOWN ? L"down" : L"up",
                       LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_KEYDOWN:
            StandinLog(L"key down %ls", key);
            state.tabs += wParam == VK_TAB ? 1 : 0;
            if (wParam == VK_RETURN) {
                OnEnter();
            }
            return 0;
        case WM_KEYUP:
            StandinLog(L"key up %ls", key);
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_DESTROY:
            state.dismissing = true;
            DestroyWindow(state.dialog);  // either may be null: nothing happens then
            DestroyWindow(state.popup);
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
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam == FALSE) {
        StandinLog(L"popup hidden");
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool CreateNortonWindows(HINSTANCE instance) {
    state = NortonState{};
    state.instance = instance;
    if (!StandinRegisterClass(instance, kWindowClass, WindowProc, COLOR_BTNSHADOW) ||
        !StandinRegisterClass(instance, kDialogClass, DialogProc) ||
        !StandinRegisterClass(instance, kPopupClass, PopupProc)) {
        return false;
    }
    wchar_t title[128] = L"Norton 360";
    StandinText(L"NORTON_TITLE", title, 128);
    state.main = CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                 400, 300, nullptr, nullptr, instance, nullptr);
    if (state.main != nullptr && StandinFlag(L"NORTON_POPUP")) {
        state.popup = CreateWindowExW(WS_EX_TOOLWINDOW, kPopupClass, L"", WS_POPUP | WS_VISIBLE,
                                      600, 40, 120, 60, nullptr, nullptr, instance, nullptr);
    }
    StandinLog(L"started [%ls]", title);
    return state.main != nullptr;
}
