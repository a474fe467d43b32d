// Opera stand-in: the windows, keys and dialog Sweeply drives in Opera. A main "OpWindow" with
// an "OUIWINDOW" keyboard child; Alt+T then D opens the delete-private-data "OpWindow" (style
// 0x96CC0000), whose first "OpWindow" child, "Delete", takes Enter. Switches (SWEEPLY_STANDIN_...):
// OPERA_PROFILE folder, OPERA_DIALOGS (how many dialogs it opens at most), OPERA_WINDOW_DELAY ms
// (idle, window later). At start it logs its start-up preferences and the program and parameters
// that its toolbar's Sweeply button would run, when it has one.
#include <windows.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kOperaClass[] = L"OpWindow";
constexpr wchar_t kKeyboardClass[] = L"OUIWINDOW";
constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
// A superset of the dialog's style, so that only an exact comparison tells the two apart.
constexpr DWORD kMainStyle = kDialogStyle | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE;

HWND mainWindow;
HWND keyboardChild;
HWND dialog;
HWND deleteButton;
bool altDown;
bool toolsMenuOpen;
DWORD dialogsOpened;

bool ProfileFile(const wchar_t* name, wchar_t* path) {
    wchar_t profile[MAX_PATH];
    return StandinText(L"OPERA_PROFILE", profile, MAX_PATH) &&
           swprintf(path, MAX_PATH, L"%ls\\%ls", profile, name) > 0;
}

// The start-up questions' preferences as Opera finds them when it starts.
void LogPrefs() {
    wchar_t prefs[MAX_PATH];
    if (ProfileFile(L"operaprefs.ini", prefs)) {
        StandinLog(
            L"prefs startup=%u default-browser=%u",
            GetPrivateProfileIntW(L"User Prefs", L"Show Startup Dialog", 700, prefs),
            GetPrivateProfileIntW(L"User Prefs", L"Show Default Browser Dialog", 700, prefs));
    }
}

// One field of Opera's action text at `*cursor`, cut in place: a quoted field runs to its
// closing quote, which must come and be followed only by blanks and the separator; an unquoted
// one runs to the next ',' or '&' and holds no quote. `*separator` gets what ended it, 0 at the
// end.
bool CutActionField(wchar_t** cursor, wchar_t** field, wchar_t* separator) {
    wchar_t* at = *cursor + wcsspn(*cursor, L" ");
    wchar_t* end = nullptr;
    if (*at == L'"') {
        *field = at + 1;
        end = wcschr(*field, L'"');
        if (end == nullptr) {
            return false;
        }
        at = end + 1 + wcsspn(end + 1, L" ");
    } else {
        *field = at;
        at += wcscspn(at, L",&\"");
        for (end = at; end > *field && end[-1] == L' '; --end) {
        }
    }
    if (*at != L'\0' && *at != L',' && *at != L'&') {
        return false;
    }
    *separator = *at;
    *cursor = *at != L'\0' ? at + 1 : at;
    *end = L'\0';
    return true;
}

// The program and parameters of the "Execute program" action in Opera's action text: actions
// joined by '&', each a name and comma-separated fields. False when any field is unreadable.
bool FindExecuteProgram(wchar_t* text, wchar_t** program, wchar_t** parameters) {
    bool execute = false;
    int index = 0;
    *program = *parameters = nullptr;
    for (wchar_t separator = L','; separator != L'\0'; index = separator == L'&' ? 0 : index + 1) {
        wchar_t* field = nullptr;
        if (!CutActionField(&text, &field, &separator)) {
            return false;
        }
        execute = index == 0 ? wcscmp(field, L"Execute program") == 0 : execute;
        if (execute && index == 1) {
            *program = field;
        } else if (execute && index == 2) {
            *parameters = field;
        }
    }
    return *parameters != nullptr;
}

// Logs what a click on the Sweeply button would start: the "Execute program" action of the key
// `Button3001, "Sweeply"` in the profile's "toolbar\standard_toolbar.ini", read as Opera reads
// it: the profile functions strip the value's enclosing quotes, then every field of the action
// text must be closed.
void LogToolbarButton() {
    constexpr DWORD kValueChars = 1024;
    wchar_t toolbar[MAX_PATH];
    wchar_t value[kValueChars];
    DWORD length = 0;
    if (!ProfileFile(L"toolbar\\standard_toolbar.ini", toolbar) ||
        (length = GetPrivateProfileStringW(L"Document Toolbar.content", L"Button3001, \"Sweeply\"",
                                           L"", value, kValueChars, toolbar)) == 0) {
        return;  // no line, so that the logs of tests without a button stay as they were
    }
    wchar_t text[kValueChars];
    wcscpy(text, value);
    wchar_t* program = nullptr;
    wchar_t* parameters = nullptr;
    if (length >= kValueChars - 1 || !FindExecuteProgram(text, &program, &parameters)) {
        StandinLog(L"toolbar Sweeply button unreadable [%ls]", value);
        return;
    }
    StandinLog(L"toolbar Sweeply program [%ls] parameters [%ls]", program, parameters);
}

// The dialog is made behind the main window (not owned by it), so that a probe for it meets the
// main window first; "Cancel", its second button, catches Enter sent to any child but the first.
void OpenDialog() {
    dialog = CreateWindowExW(0, kOperaClass, L"Delete private data", kDialogStyle, 40, 40, 420, 300,
                             nullptr, nullptr, nullptr, nullptr);
    deleteButton = CreateWindowExW(0, kOperaClass, L"Delete", WS_CHILD | WS_VISIBLE, 200, 230, 90,
                                   28, dialog, nullptr, nullptr, nullptr);
    CreateWindowExW(0, kOperaClass, L"Cancel", WS_CHILD | WS_VISIBLE, 300, 230, 90, 28, dialog,
                    nullptr, nullptr, nullptr);
    SetWindowPos(dialog, mainWindow, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    bool behind = GetWindow(mainWindow, GW_HWNDNEXT) == dialog;
    StandinLog(L"dialog shown style=%08lX behind=%d",
               static_cast<unsigned long>(GetWindowLongW(dialog, GWL_STYLE)), behind ? 1 : 0);
}

void OnDialogButtonEnter(HWND button) {
    if (button == deleteButton) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        bool topmost = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        StandinLog(L"confirmed centre=%ld,%ld topmost=%d", (rect.left + rect.right) / 2,
                   (rect.top + rect.bottom) / 2, topmost ? 1 : 0);
    } else {
        StandinLog(L"cancelled");
    }
    DestroyWindow(dialog);
    dialog = nullptr;
}

// The Tools menu opens on Alt+T and stays open after Alt is let go; D picks "Delete private
// data", any other key closes it.
void OnKeyboardKey(UINT message, WPARAM key) {
    if (key == VK_MENU) {
        altDown = message == WM_SYSKEYDOWN;
        return;
    }
    if (key == 'T' && altDown) {
        toolsMenuOpen = true;
        StandinLog(L"menu Alt+T");
        return;
    }
    bool fromMenu = toolsMenuOpen;
    toolsMenuOpen = false;
    if (key != 'D' || !fromMenu) {
        StandinLog(L"key %02X", static_cast<unsigned>(key));
    } else if (dialogsOpened++ >= StandinNumber(L"OPERA_DIALOGS", MAXDWORD)) {
        StandinLog(L"menu D, no dialog");
    } else {
        StandinLog(L"menu D");
        OpenDialog();
    }
}

LRESULT CALLBACK KeyboardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
        OnKeyboardKey(message, wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK OperaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && dialog != nullptr && GetParent(window) == dialog) {
                OnDialogButtonEnter(window);
            }
            return 0;
        case WM_SETFOCUS:
            if (window == mainWindow) {
                SetFocus(keyboardChild);
            }
            return 0;
        case WM_CLOSE:
            if (window == mainWindow) {
                StandinLog(L"closed");
            }
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (window == mainWindow) {
                PostQuitMessage(0);
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Handles messages (so the process counts as ready for input) until `ms` have passed.
void IdleFor(DWORD ms) {
    UINT_PTR timer = SetTimer(nullptr, 0, ms, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.wParam == timer) {
            break;
        }
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR parameters, int) {
    StandinLog(L"started [%ls]", parameters);
    StandinLog(L"command line [%ls]", GetCommandLineW());
    LogPrefs();
    LogToolbarButton();
    if (DWORD delay = StandinNumber(L"OPERA_WINDOW_DELAY", 0)) {
        IdleFor(delay);
    }
    StandinRegisterClass(instance, kOperaClass, OperaProc);
    StandinRegisterClass(instance, kKeyboardClass, KeyboardProc);
    mainWindow = CreateWindowExW(0, kOperaClass, L"Blank page - Opera", kMainStyle, 20, 20, 900,
                                 700, nullptr, nullptr, instance, nullptr);
    keyboardChild = CreateWindowExW(0, kKeyboardClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 880, 640,
                                    mainWindow, nullptr, instance, nullptr);
    if (mainWindow == nullptr || keyboardChild == nullptr) {
        StandinLog(L"no window");
        return 1;
    }
    SetFocus(keyboardChild);
    StandinLog(L"main window shown");
    return StandinMessageLoop();
}
