// Stands in for Firefox toward the Firefox cleaner: started with exactly the sanitize chrome
// address it opens the sanitize dialog, whose inner window takes Enter, clears a fake profile (the
// "Profile" folder beside the program) and closes the dialog; any other start shows a browser
// window. Enter in a browser window is logged as a fault. Switches:
// SWEEPLY_STANDIN_FIREFOX_BROWSERS=n      n browser windows "... - Mozilla Firefox" lie above the
//                                         dialog
// SWEEPLY_STANDIN_FIREFOX_INNER_DELAY=ms  the dialog's inner window comes that much later
#include <windows.h>

#include <shlwapi.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr wchar_t kTopClass[] = L"MozillaUIWindowClass";
constexpr wchar_t kInnerClass[] = L"MozillaWindowClass";
constexpr wchar_t kSanitizeArguments[] = L"-chrome chrome://browser/content/sanitize.xul";

HWND dialog = nullptr;

HWND CreateInner(HWND parent) {
    RECT client;
    GetClientRect(parent, &client);
    return CreateWindowExW(0, kInnerClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                           client.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND CreateTop(const wchar_t* title, DWORD style, int place, int width, int height) {
    return CreateWindowExW(0, kTopClass, title, style | WS_VISIBLE, place, place, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void OnInnerEnter(HWND inner) {
    HWND top = GetParent(inner);
    if (top != dialog) {
        StandinLog(L"firefox enter in a browser window");
        return;
    }
    wchar_t place[128];
    StandinPlace(top, place, 128);
    StandinLog(L"firefox enter %ls", place);
    wchar_t profile[MAX_PATH];
    GetModuleFileNameW(nullptr, profile, MAX_PATH);
    PathRemoveFileSpecW(profile);
    PathAppendW(profile, L"Profile");
    static constexpr const wchar_t* kFiles[] = {L"places.sqlite", L"cookies.sqlite",
                                                L"formhistory.sqlite", nullptr};
    StandinLog(L"firefox cleared %d files", StandinDeleteFiles(profile, kFiles));
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
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        CreateInner(window);
        StandinLog(L"firefox inner window created");
        return 0;
    }
    if (message == WM_DESTROY && window == dialog) {
        StandinLog(L"firefox dialog closed");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    while (*arguments == L' ') {
        ++arguments;
    }
    StandinLog(L"firefox started [%ls]", GetCommandLineW());
    StandinRegisterClass(instance, kTopClass, TopProc);
    StandinRegisterClass(instance, kInnerClass, InnerProc);
    DWORD browsers = StandinNumber(L"FIREFOX_BROWSERS", 0);
    if (wcscmp(arguments, kSanitizeArguments) != 0) {
        browsers = browsers == 0 ? 1 : browsers;
    } else {
        dialog = CreateTop(L"Clear Recent History", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 40,
                           420, 300);
        StandinLog(L"firefox dialog shown");
        DWORD delay = StandinNumber(L"FIREFOX_INNER_DELAY", 0);
        if (delay == 0) {
            CreateInner(dialog);
        } else {
            SetTimer(dialog, 1, delay, nullptr);
        }
    }
    // Made after the dialog, the browser windows lie above it.
    for (DWORD i = 1; i <= browsers; ++i) {
        wchar_t title[64];
        swprintf(title, 64, L"Page %lu - Mozilla Firefox", i);
        CreateInner(CreateTop(title, WS_OVERLAPPEDWINDOW, 100 + 20 * i, 500, 400));
    }
    return StandinMessageLoop();
}
