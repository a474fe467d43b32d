// Norton 360's windows for the stand-in: a main window that opens the dialog after nine Tabs and
// Enter, then four Tabs and Enter; the dialog whose content signals readiness by one white pixel;
// the pop-up.
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
// The readiness pixel, in the content window's own coordinates (its border included).
constexpr POINT kReadyPixel = {100, 120};

struct NortonState {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND dialog = nullptr;
    HWND content = nullptr;
    HWND popup = nullptr;
    int tabs = 0;        // Tabs since the last Enter
    int stage = 0;       // 0: expecting 9 Tabs + Enter; 1: expecting 4 Tabs + Enter; 2: done
    bool white = false;  // whether the readiness pixel is white
    bool dismissing = false;
};
NortonState state;

const wchar_t* KeyName(WPARAM key) {
    return key == VK_TAB ? L"Tab" : key == VK_RETURN ? L"Enter" : L"other";
}

// Counts the keys; a wrong count starts the walk over, as focus would land elsewhere.
void OnKeyDown(WPARAM key) {
    StandinLog(L"key down %ls", KeyName(key));
    if (key == VK_TAB) {
        ++state.tabs;
    } else if (key == VK_RETURN) {
        int wanted = state.stage == 0 ? 9 : 4;
        state.stage = state.stage < 2 && state.tabs == wanted ? state.stage + 1 : 0;
        state.tabs = 0;
        if (state.stage == 2) {
            SetTimer(state.main, kOpenDialogTimer, StandinNumber(L"NORTON_DIALOG_MS", 200),
                     nullptr);
        }
    }
}

// Busy grey everywhere, and only the readiness pixel white once ready: a runner reading any
// other pixel, or counting from the client area, never sees the dialog ready.
void PaintContent(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EndPaint(window, &paint);
    HDC whole = GetWindowDC(window);
    SetPixel(whole, kReadyPixel.x, kReadyPixel.y,
             state.white ? RGB(255, 255, 255) : RGB(128, 128, 128));
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

// The dialog, its frame and the bordered content window.
void OpenDialog() {
    state.dismissing = false;
    state.white = false;
    state.dialog =
        CreateWindowExW(0, kDialogClass, L"Norton 360", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60,
                        480, 400, nullptr, nullptr, state.instance, nullptr);
    HWND frame = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 460, 360,
                                 state.dialog, nullptr, state.instance, nullptr);
    state.content = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10,
                                    10, 420, 320, frame, nullptr, state.instance, nullptr);
    UpdateWindow(state.dialog);
    StandinLog(L"dialog shown");
    SetTimer(state.main, kWhiteTimer, StandinNumber(L"NORTON_WHITE_MS", 500), nullptr);
}

void OnTimer(HWND window, UINT_PTR timer) {
    KillTimer(window, timer);
    if (timer == kOpenDialogTimer) {
        OpenDialog();
    } else if (timer == kWhiteTimer) {
        SetContentWhite(true);
        if (DWORD until = StandinNumber(L"NORTON_WHITE_UNTIL_MS", 0)) {
            SetTimer(window, kGreyTimer, until, nullptr);
        }
    } else {
        SetContentWhite(false);
    }
}

// The runner dismisses the dialog by sending it WM_DESTROY and WM_NCDESTROY; the stand-in then
// really goes, as Norton's dialog does. Moves are logged with the topmost state.
LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && !state.dismissing) {
        StandinLog(L"dialog WM_DESTROY");
        return 0;
    }
    if (message == WM_NCDESTROY && !state.dismissing) {
        StandinLog(L"dialog WM_NCDESTROY");
        PostMessageW(window, kDismiss, 0, 0);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        state.dialog = state.content = nullptr;
    } else if (message == kDismiss) {
        state.dismissing = true;
        DestroyWindow(window);
        StandinLog(L"dialog dismissed");
        return 0;
    } else if (message == WM_WINDOWPOSCHANGED &&
               (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_NOMOVE) == 0) {
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        StandinLog(L"dialog at %d,%d topmost %d", position->x, position->y, topmost ? 1 : 0);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            StandinLog(L"button %ls at %d,%d", message == WM_LBUTTONDOWN ? L"down" : L"up",
                       LOWORD(lParam), HIWORD(lParam));
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
    if (window == state.content && message == WM_ERASEBKGND) {
        return 1;  // never white for a moment before the paint
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
    if (!StandinRegisterClass(instance, kWindowClass, WindowProc) ||
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
