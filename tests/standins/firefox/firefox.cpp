// Stands in for Firefox toward the Firefox cleaner: registers itself where the cleaner looks and,
// started with the sanitize chrome address, opens the sanitize dialog, whose inner window takes
// Enter and clears a fake profile (the "Profile" folder beside the program). Switches:
// SWEEPLY_STANDIN_FIREFOX_BROWSERS=n      n browser windows "... - Mozilla Firefox" come first
// SWEEPLY_STANDIN_FIREFOX_DIALOG_DELAY=ms the dialog opens that much later
// SWEEPLY_STANDIN_FIREFOX_INNER_DELAY=ms  the dialog's inner window comes that much later
// SWEEPLY_STANDIN_FIREFOX_NO_INNER=1      the inner window never comes
// SWEEPLY_STANDIN_FIREFOX_VERSION=text    the version registered (default "3.6.13 (en-US)")
#include <windows.h>

#include <shlwapi.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kTopClass[] = L"MozillaUIWindowClass";
constexpr wchar_t kInnerClass[] = L"MozillaWindowClass";
constexpr wchar_t kSanitizeArguments[] = L"-chrome chrome://browser/content/sanitize.xul";
constexpr wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";
constexpr UINT_PTR kInnerTimer = 1;
constexpr const wchar_t* kProfileFiles[] = {L"places.sqlite", L"cookies.sqlite",
                                            L"formhistory.sqlite"};

HWND dialog = nullptr;

bool SetString(HKEY root, const wchar_t* key, const wchar_t* name, const wchar_t* value) {
    DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return SHSetValueW(root, key, name, REG_SZ, value, bytes) == ERROR_SUCCESS;
}

// Writes CurrentVersion and "<version>\Main" PathToExe, as Firefox's installer does.
int RegisterSelf() {
    wchar_t version[128];
    if (!StandinText(L"FIREFOX_VERSION", version, 128)) {
        wcscpy(version, L"3.6.13 (en-US)");
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t mainKey[512];
    swprintf(mainKey, 512, L"%ls\\%ls\\Main", kFirefoxKey, version);
    bool ok = SetString(HKEY_LOCAL_MACHINE, kFirefoxKey, L"CurrentVersion", version) &&
              SetString(HKEY_LOCAL_MACHINE, mainKey, L"PathToExe", self);
    StandinLog(L"firefox registered %ls", ok ? L"ok" : L"failed");
    return ok ? 0 : 1;
}

void ClearProfile() {
    wchar_t folder[MAX_PATH];
    GetModuleFileNameW(nullptr, folder, MAX_PATH);
    PathRemoveFileSpecW(folder);
    int removed = 0;
    for (const wchar_t* name : kProfileFiles) {
        wchar_t file[MAX_PATH];
        swprintf(file, MAX_PATH, L"%ls\\Profile\\%ls", folder, name);
        removed += DeleteFileW(file) ? 1 : 0;
    }
    StandinLog(L"firefox cleared %d files", removed);
}

HWND CreateInner(HWND parent) {
    RECT client;
    GetClientRect(parent, &client);
    return CreateWindowExW(0, kInnerClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                           client.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void OpenDialog() {
    dialog = CreateWindowExW(0, kTopClass, L"Clear Recent History",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 40, 420, 300,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    StandinLog(L"firefox dialog shown");
    if (StandinFlag(L"FIREFOX_NO_INNER")) {
        return;
    }
    DWORD delay = StandinNumber(L"FIREFOX_INNER_DELAY", 0);
    if (delay == 0) {
        CreateInner(dialog);
    } else {
        SetTimer(dialog, kInnerTimer, delay, nullptr);
    }
}

// Enter in an inner window: in the dialog it confirms the clearing, which closes the dialog.
void OnInnerEnter(HWND inner) {
    HWND top = GetParent(inner);
    if (top != dialog) {
        StandinLog(L"firefox enter in a browser window");
        return;
    }
    RECT rect;
    GetWindowRect(top, &rect);
    bool topmost = (GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    StandinLog(L"firefox enter at %ld,%ld size %ldx%ld topmost %d", rect.left, rect.top,
               rect.right - rect.left, rect.bottom - rect.top, topmost ? 1 : 0);
    ClearProfile();
    PostMessageW(top, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK InnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        OnInnerEnter(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            KillTimer(window, wParam);
            if (wParam == kInnerTimer) {
                CreateInner(window);
                StandinLog(L"firefox inner window created");
            }
            return 0;
        case WM_DESTROY:
            if (window == dialog) {
                StandinLog(L"firefox dialog closed");
                PostQuitMessage(0);
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void CALLBACK OnDialogDue(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    OpenDialog();
}

void OpenBrowserWindows(HINSTANCE instance, DWORD count) {
    for (DWORD i = 1; i <= count; ++i) {
        wchar_t title[64];
        swprintf(title, 64, L"Page %lu - Mozilla Firefox", i);
        HWND browser =
            CreateWindowExW(0, kTopClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100 + 20 * i,
                            100 + 20 * i, 500, 400, nullptr, nullptr, instance, nullptr);
        CreateInner(browser);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    while (*arguments == L' ') {
        ++arguments;
    }
    if (wcscmp(arguments, L"-standin-register") == 0) {
        return RegisterSelf();
    }
    StandinLog(L"firefox started [%ls]", arguments);
    StandinLog(L"firefox command line [%ls]", GetCommandLineW());
    StandinRegisterClass(instance, kTopClass, TopProc);
    StandinRegisterClass(instance, kInnerClass, InnerProc);
    DWORD browsers = StandinNumber(L"FIREFOX_BROWSERS", 0);
    OpenBrowserWindows(instance, browsers);
    if (wcscmp(arguments, kSanitizeArguments) != 0) {
        // Any other start shows a browser window and keeps running until it is ended.
        OpenBrowserWindows(instance, browsers == 0 ? 1 : 0);
        return StandinMessageLoop();
    }
    DWORD delay = StandinNumber(L"FIREFOX_DIALOG_DELAY", 0);
    if (delay == 0) {
        OpenDialog();
    } else {
        SetTimer(nullptr, 0, delay, OnDialogDue);
    }
    return StandinMessageLoop();
}
