// Stands in for Chrome toward the Chrome cleaner: a main window of class "Chrome_WidgetWin_0"
// beside an untitled helper of that class, which opens the clear-browsing-data dialog on command
// 40013; the dialog's ninth descendant is the clear button, which logs its captions and, on Enter,
// clears a fake profile in the user-data folder ("--user-data-dir=", else "User Data" beside the
// "Application" folder). The command line is read as Chrome reads it (CommandLineToArgvW) and
// every argument is logged; a user-data folder that no path can name ends it before any window.
// SWEEPLY_STANDIN_CHROME_LEFTOVER=1  a dialog (WS_EX_DLGMODALFRAME) the user left open lies above
//                                    the browser window; =2: it refuses the first WM_CLOSE (busy)
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kChromeClass[] = L"Chrome_WidgetWin_0";
constexpr wchar_t kButtonClass[] = L"ChromeStandinButton";
constexpr wchar_t kUserDataSwitch[] = L"--user-data-dir=";
constexpr WPARAM kClearCommand = 0x19C4D;  // command 40013, sent as by an accelerator
constexpr UINT kClearNow = WM_APP + 1;
constexpr int kClearButtonId = 1;
// The dialog's descendants in creation order, the order EnumChildWindows walks them: a pane
// (parent of the next three), four rows, the clear button (ninth), then Cancel.
constexpr const wchar_t* kDialogRows[] = {
    L"",          L"History", L"Downloads",           L"Cookies", L"Cache", L"Passwords",
    L"Form data", L"Period:", L"Clear browsing data", L"Cancel"};

enum class Role { Helper, Main, Dialog, Leftover };

HWND mainWindow = nullptr;
HWND dialog = nullptr;
wchar_t userData[MAX_PATH] = {};
int leftoverRefusals = 0;

// The user-data folder from the arguments (the last "--user-data-dir=" wins, as in Chrome), else
// the default folder. False when the folder named cannot be a path.
bool FindUserData(wchar_t** arguments, int count) {
    const wchar_t* folder = nullptr;
    for (int i = 1; i < count; ++i) {
        if (wcsncmp(arguments[i], kUserDataSwitch, wcslen(kUserDataSwitch)) == 0) {
            folder = arguments[i] + wcslen(kUserDataSwitch);
        }
    }
    if (folder == nullptr) {
        GetModuleFileNameW(nullptr, userData, MAX_PATH);
        PathRemoveFileSpecW(userData);
        PathRemoveFileSpecW(userData);
        return PathAppendW(userData, L"User Data");
    }
    if (wcspbrk(folder, L"\"<>|*?") != nullptr || wcslen(folder) >= MAX_PATH) {
        return false;
    }
    wcscpy(userData, folder);
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

// Chrome's dialogs are owned by the browser window, so they always lie above it.
HWND CreateChromeWindow(Role role,
                        DWORD exStyle,
                        const wchar_t* title,
                        DWORD style,
                        int place,
                        int width,
                        int height) {
    HWND window = CreateWindowExW(exStyle, kChromeClass, title, style, place, place, width, height,
                                  role == Role::Helper ? nullptr : mainWindow, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(role));
    return window;
}

void OpenClearDialog() {
    if (dialog != nullptr) {
        return;
    }
    dialog = CreateChromeWindow(Role::Dialog, WS_EX_DLGMODALFRAME, L"Clear browsing data",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 60, 400, 320);
    HWND pane = nullptr;
    for (int i = 0; i < 10; ++i) {
        const wchar_t* className = i >= 8 ? kButtonClass : L"STATIC";
        HWND parent = i >= 1 && i <= 3 ? pane : dialog;
        HWND row = CreateWindowExW(
            0, className, kDialogRows[i], WS_CHILD | WS_VISIBLE, 10, 25 * i, 300, 20, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(i >= 8 ? i - 7 : 0)),
            GetModuleHandleW(nullptr), nullptr);
        pane = i == 0 ? row : pane;
    }
    // Chrome opens more untitled helpers of its class meanwhile: they lie above the dialog.
    CreateChromeWindow(Role::Helper, 0, L"", WS_POPUP, 0, 0, 0);
    StandinLog(L"chrome dialog shown");
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        StandinLog(L"chrome caption [%ls]", reinterpret_cast<const wchar_t*>(lParam));
    } else if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        wchar_t caption[128];
        wchar_t place[128];
        GetWindowTextW(button, caption, 128);
        StandinPlace(GetParent(button), place, 128);
        StandinLog(L"chrome enter on [%ls] dialog %ls", caption, place);
        if (GetDlgCtrlID(button) == kClearButtonId) {
            // Chrome clears in the background, then closes the dialog.
            PostMessageW(GetParent(button), kClearNow, 0, 0);
        }
        return 0;
    }
    return DefWindowProcW(button, message, wParam, lParam);
}

LRESULT OnClose(HWND window) {
    switch (static_cast<Role>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        case Role::Leftover:
            if (leftoverRefusals-- > 0) {
                StandinLog(L"chrome leftover refused close");
                return 0;
            }
            StandinLog(L"chrome leftover closed");
            break;
        case Role::Dialog:
            StandinLog(L"chrome dialog closed");
            dialog = nullptr;
            break;
        case Role::Main:
            StandinLog(L"chrome main closed");
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
            if (window == mainWindow && wParam == kClearCommand && lParam == 0) {
                StandinLog(L"chrome command 40013");
                OpenClearDialog();
            } else {
                StandinLog(L"chrome command %#lx", static_cast<unsigned long>(wParam));
            }
            return 0;
        case kClearNow: {
            static constexpr const wchar_t* kProfileFiles[] = {L"Default\\History",
                                                               L"Default\\Cookies", nullptr};
            StandinLog(L"chrome cleared %d files in [%ls]",
                       StandinDeleteFiles(userData, kProfileFiles), userData);
            return OnClose(window);
        }
        case WM_SHOWWINDOW:
            if (window == mainWindow && !wParam) {
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
    StandinRegisterClass(instance, kChromeClass, ChromeProc);
    StandinRegisterClass(instance, kButtonClass, ButtonProc);
    CreateChromeWindow(Role::Helper, 0, L"", WS_POPUP, 0, 0, 0);
    mainWindow = CreateChromeWindow(Role::Main, 0, L"about:blank - Google Chrome",
                                    WS_OVERLAPPEDWINDOW, 30, 700, 500);
    // Chrome shows its window whatever show command it was started with.
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    DWORD leftover = StandinNumber(L"CHROME_LEFTOVER", 0);
    if (leftover != 0) {
        leftoverRefusals = leftover == 2 ? 1 : 0;
        HWND window = CreateChromeWindow(Role::Leftover, WS_EX_DLGMODALFRAME, L"Leftover dialog",
                                         WS_POPUP | WS_CAPTION, 90, 300, 200);
        // Shown last and active, as a dialog the user left open: above the browser window.
        ShowWindow(window, SW_SHOWNORMAL);
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        StandinLog(L"chrome leftover shown");
    }
    return StandinMessageLoop();
}
