// Stands in for Chrome toward the Chrome cleaner: a main window of class "Chrome_WidgetWin_0"
// that opens the clear-browsing-data dialog on command 40013; the dialog's ninth descendant is the
// clear button, which logs its captions and, on Enter, clears a fake profile in the user-data
// folder ("--user-data-dir=", else "User Data" beside the "Application" folder). Its command line
// is read as Chrome reads it (CommandLineToArgvW) and every argument is logged; a user-data folder
// that no path can name ends it before any window, as Chrome stops on a data folder it cannot
// use. Switches:
// SWEEPLY_STANDIN_CHROME_LEFTOVER=1         a dialog with WS_EX_DLGMODALFRAME is already open
// SWEEPLY_STANDIN_CHROME_LEFTOVER_STAYS=1   that dialog refuses WM_CLOSE
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kChromeClass[] = L"Chrome_WidgetWin_0";
constexpr wchar_t kButtonClass[] = L"ChromeStandinButton";
constexpr wchar_t kClearCaption[] = L"Clear browsing data";
constexpr WPARAM kClearCommand = 0x19C4D;  // command 40013, sent as by an accelerator
constexpr UINT kClearNow = WM_APP + 1;
constexpr int kClearButtonId = 1;
constexpr int kCancelButtonId = 2;
constexpr const wchar_t* kProfileFiles[] = {L"History", L"Cookies"};

enum class Role { Helper, Main, Dialog, Leftover };

struct Windows {
    HWND main = nullptr;
    HWND dialog = nullptr;
    wchar_t userData[MAX_PATH] = {};
} state;

Role RoleOf(HWND window) {
    return static_cast<Role>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

constexpr wchar_t kUserDataSwitch[] = L"--user-data-dir=";

// The user-data folder from the arguments (the last "--user-data-dir=" wins, as in Chrome), else
// the default folder. False when the folder named cannot be a path.
bool FindUserData(wchar_t** arguments, int count) {
    const wchar_t* folder = nullptr;
    for (int i = 1; i < count; ++i) {
        if (wcsncmp(arguments[i], kUserDataSwitch, wcslen(kUserDataSwitch)) == 0) {
            folder = arguments[i] + wcslen(kUserDataSwitch);
        }
    }
    if (folder != nullptr) {
        if (wcspbrk(folder, L"\"<>|*?") != nullptr || wcslen(folder) >= MAX_PATH) {
            return false;
        }
        wcscpy(state.userData, folder);
        return true;
    }
    GetModuleFileNameW(nullptr, state.userData, MAX_PATH);
    PathRemoveFileSpecW(state.userData);
    PathRemoveFileSpecW(state.userData);
    PathAppendW(state.userData, L"User Data");
    return true;
}

// One line: the number of arguments after the program, then each in brackets.
void LogArguments(wchar_t** arguments, int count) {
    wchar_t line[2048];
    int used = swprintf(line, 2048, L"chrome started %d", count - 1);
    for (int i = 1; i < count && used > 0; ++i) {
        int added = swprintf(line + used, 2048 - used, L" [%ls]", arguments[i]);
        used = added < 0 ? -1 : used + added;
    }
    StandinLog(L"%ls", used > 0 ? line : L"chrome started, arguments too long to log");
}

void ClearProfile() {
    int removed = 0;
    for (const wchar_t* name : kProfileFiles) {
        wchar_t file[MAX_PATH];
        swprintf(file, MAX_PATH, L"%ls\\Default\\%ls", state.userData, name);
        removed += DeleteFileW(file) ? 1 : 0;
    }
    StandinLog(L"chrome cleared %d files in [%ls]", removed, state.userData);
}

// Chrome's dialogs are owned by the browser window, so they always lie above it.
HWND CreateChromeWindow(Role role,
                        DWORD exStyle,
                        const wchar_t* title,
                        DWORD style,
                        int x,
                        int y,
                        int width,
                        int height,
                        HWND owner = nullptr) {
    HWND window = CreateWindowExW(exStyle, kChromeClass, title, style, x, y, width, height, owner,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(role));
    return window;
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, int y, int id = 0) {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE, 10, y, 300, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

// Descendants in creation order, which is the order EnumChildWindows walks them: a pane with
// three options, four more rows, the clear button (ninth), then Cancel.
void OpenClearDialog() {
    if (state.dialog != nullptr) {
        return;
    }
    state.dialog = CreateChromeWindow(Role::Dialog, WS_EX_DLGMODALFRAME, L"Clear browsing data",
                                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 60, 60, 400,
                                      320, state.main);
    HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 100,
                                state.dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateChild(pane, L"STATIC", L"Clear browsing history", 0);
    CreateChild(pane, L"STATIC", L"Clear download history", 25);
    CreateChild(pane, L"STATIC", L"Delete cookies", 50);
    CreateChild(state.dialog, L"STATIC", L"Empty the cache", 110);
    CreateChild(state.dialog, L"STATIC", L"Clear saved passwords", 135);
    CreateChild(state.dialog, L"STATIC", L"Clear saved form data", 160);
    CreateChild(state.dialog, L"STATIC", L"Clear data from this period:", 185);
    CreateChild(state.dialog, kButtonClass, kClearCaption, 240, kClearButtonId);
    CreateChild(state.dialog, kButtonClass, L"Cancel", 270, kCancelButtonId);
    StandinLog(L"chrome dialog shown");
}

LRESULT OnButtonMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        StandinLog(L"chrome caption [%ls]", reinterpret_cast<const wchar_t*>(lParam));
    } else if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        wchar_t caption[128];
        GetWindowTextW(button, caption, 128);
        HWND dialog = GetParent(button);
        RECT rect;
        GetWindowRect(dialog, &rect);
        bool topmost = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        StandinLog(L"chrome enter on [%ls] dialog at %ld,%ld topmost %d", caption, rect.left,
                   rect.top, topmost ? 1 : 0);
        if (GetDlgCtrlID(button) == kClearButtonId) {
            // Chrome clears in the background, then closes the dialog.
            PostMessageW(dialog, kClearNow, 0, 0);
        }
        return 0;
    }
    return DefWindowProcW(button, message, wParam, lParam);
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    return OnButtonMessage(button, message, wParam, lParam);
}

LRESULT OnClose(HWND window) {
    switch (RoleOf(window)) {
        case Role::Leftover:
            if (StandinFlag(L"CHROME_LEFTOVER_STAYS")) {
                StandinLog(L"chrome leftover refused close");
                return 0;
            }
            StandinLog(L"chrome leftover closed");
            break;
        case Role::Dialog:
            StandinLog(L"chrome dialog closed");
            state.dialog = nullptr;
            break;
        case Role::Main:
            StandinLog(L"chrome main closed");
            state.main = nullptr;
            PostQuitMessage(0);
            break;
        case Role::Helper:
            break;
    }
    DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK ChromeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (RoleOf(window) == Role::Main && wParam == kClearCommand && lParam == 0) {
                StandinLog(L"chrome command 40013");
                OpenClearDialog();
            } else {
                StandinLog(L"chrome command %#lx", static_cast<unsigned long>(wParam));
            }
            return 0;
        case kClearNow:
            ClearProfile();
            return OnClose(window);
        case WM_SHOWWINDOW:
            if (window == state.main && !wParam) {
                StandinLog(L"chrome main hidden");
            }
            break;
        case WM_CLOSE:
            return OnClose(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        StandinLog(L"chrome unreadable command line [%ls]", GetCommandLineW());
        return 1;
    }
    LogArguments(arguments, count);
    bool usable = FindUserData(arguments, count);
    LocalFree(arguments);
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    StandinLog(L"chrome module [%ls]", module);
    if (!usable) {
        StandinLog(L"chrome unusable user data");
        return 1;
    }
    StandinLog(L"chrome user data [%ls]", state.userData);
    StandinRegisterClass(instance, kChromeClass, ChromeProc);
    StandinRegisterClass(instance, kButtonClass, ButtonProc);
    // Chrome keeps untitled helper windows of its class beside the browser window.
    CreateChromeWindow(Role::Helper, 0, L"", WS_POPUP, 0, 0, 0, 0);
    state.main = CreateChromeWindow(Role::Main, 0, L"about:blank - Google Chrome",
                                    WS_OVERLAPPEDWINDOW, 30, 30, 700, 500);
    // Chrome shows its window whatever show command it was started with.
    ShowWindow(state.main, SW_SHOWNORMAL);
    ShowWindow(state.main, SW_SHOWNORMAL);
    if (StandinFlag(L"CHROME_LEFTOVER")) {
        HWND leftover = CreateChromeWindow(Role::Leftover, WS_EX_DLGMODALFRAME, L"Leftover dialog",
                                           WS_POPUP | WS_CAPTION, 90, 90, 300, 200, state.main);
        // Shown last and active, as a dialog the user left open: above the browser window.
        ShowWindow(leftover, SW_SHOWNORMAL);
        SetWindowPos(leftover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        StandinLog(L"chrome leftover shown");
    }
    return StandinMessageLoop();
}
