// Stand-in for CCleaner. With "/AUTO" it cleans its target and ends; otherwise it shows its
// window and stays until told to close: for version 2 the window the runner drives ("Piriform
// CCleaner", a "#32770" page with buttons in the version's order and a tab control), for any
// other version one without that page. It logs every press (with where its window is), tab
// change and close.
// Switches (SWEEPLY_STANDIN_CCLEANER_*): WORK_MS (how long a run takes), TARGET (file a run
// deletes as it begins), WIDE_TABS (x 70 still hits the first tab), QUIT_WHILE_WORKING.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

namespace {

constexpr int kRunId = 1009;
constexpr int kWorkTimer = 1;
// Version x.0 has one button more in front of the run button.
constexpr const wchar_t* kButtons[] = {CCLEANER_MINOR == 0 ? L"Options" : L"Analyze",
                                       CCLEANER_MINOR == 0 ? L"Analyze" : L"Run Cleaner",
                                       CCLEANER_MINOR == 0 ? L"Run Cleaner" : L"Options"};

HWND mainWindow = nullptr;
HWND tabs = nullptr;
HWND runButton = nullptr;
WNDPROC tabsOriginalProc = nullptr;

void CleanTarget() {
    wchar_t target[MAX_PATH];
    if (StandinText(L"CCLEANER_TARGET", target, MAX_PATH) && DeleteFileW(target)) {
        StandinLog(L"cleaned %ls", target);
    }
}

void CALLBACK AutomaticRunDone(HWND, UINT, UINT_PTR, DWORD) {
    CleanTarget();
    StandinLog(L"automatic run done");
    PostQuitMessage(0);
}

LRESULT CALLBACK TabsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        StandinLog(L"tab click %d,%d", static_cast<short>(LOWORD(lParam)),
                   static_cast<short>(HIWORD(lParam)));
    }
    return CallWindowProcW(tabsOriginalProc, window, message, wParam, lParam);
}

// A press counts only as a button sends it: its identifier with BN_CLICKED, from the button
// window that carries that identifier on the page. A run press also logs where the window is.
void OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    HWND from = reinterpret_cast<HWND>(lParam);
    if (HIWORD(wParam) != BN_CLICKED || from == nullptr || GetParent(from) != page ||
        GetDlgCtrlID(from) != id) {
        StandinLog(L"unreadable command %d code %d", id, HIWORD(wParam));
        return;
    }
    wchar_t text[32];
    GetWindowTextW(from, text, 32);
    StandinLog(L"pressed %ls on tab %d", text, static_cast<int>(TabCtrl_GetCurSel(tabs)));
    if (id != kRunId) {
        return;
    }
    wchar_t place[128];
    StandinPlace(mainWindow, place, 128);
    StandinLog(L"window visible %d %ls", IsWindowVisible(mainWindow) ? 1 : 0, place);
    EnableWindow(runButton, FALSE);
    CleanTarget();
    SetTimer(page, kWorkTimer, StandinNumber(L"CCLEANER_WORK_MS", 300), nullptr);
}

void OnWorkDone(HWND page) {
    KillTimer(page, kWorkTimer);
    if (StandinFlag(L"CCLEANER_QUIT_WHILE_WORKING")) {
        StandinLog(L"quit while working");
        DestroyWindow(mainWindow);
        return;
    }
    StandinLog(L"run finished");
    EnableWindow(runButton, TRUE);
}

void CreatePageControls(HWND page) {
    for (int i = 0; i < 3; ++i) {
        int id = wcscmp(kButtons[i], L"Run Cleaner") == 0 ? kRunId : 1001 + i;
        HWND button = CreateWindowExW(
            0, L"Button", kButtons[i], WS_CHILD | WS_VISIBLE, 10 + 110 * i, 240, 100, 28, page,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        runButton = id == kRunId ? button : runButton;
    }
    tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | TCS_FIXEDWIDTH, 10, 10,
                           400, 220, page, reinterpret_cast<HMENU>(2000), nullptr, nullptr);
    wchar_t names[][16] = {L"Windows", L"Applications"};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{TCIF_TEXT, 0, 0, names[i]};
        TabCtrl_InsertItem(tabs, i, &item);
    }
    // Narrow tabs put x 70 on the second tab; wide ones need the click at x 100.
    TabCtrl_SetItemSize(tabs, StandinFlag(L"CCLEANER_WIDE_TABS") ? 90 : 60, 20);
    tabsOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabsProc)));
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CreatePageControls(page);
            return TRUE;
        case WM_COMMAND:
            OnCommand(page, wParam, lParam);
            return TRUE;
        case WM_TIMER:
            OnWorkDone(page);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE) {
                StandinLog(L"tab selected %d", static_cast<int>(TabCtrl_GetCurSel(tabs)));
            }
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        StandinLog(L"closed");
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Version 2's page: a child dialog with an empty title (no menu, the default class), holding the
// buttons and the tabs.
bool CreatePage(HINSTANCE instance) {
    struct PageTemplate {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    };
    alignas(DWORD) PageTemplate page{};
    page.header.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
    page.header.cx = 300;
    page.header.cy = 200;
    return CreateDialogIndirectParamW(instance, &page.header, mainWindow, PageProc, 0) != nullptr;
}

bool CreateMainWindow(HINSTANCE instance, int show) {
    constexpr wchar_t kClass[] = L"SweeplyCCleanerStandin";
    if (!StandinRegisterClass(instance, kClass, MainProc, COLOR_BTNFACE)) {
        return false;
    }
    mainWindow = CreateWindowExW(0, kClass, L"Piriform CCleaner", WS_OVERLAPPEDWINDOW, 40, 40, 500,
                                 360, nullptr, nullptr, instance, nullptr);
    // Other versions lay out their window in a way of their own, which Sweeply does not know:
    // nothing of version 2's page is there to be driven.
    if (mainWindow == nullptr || (CCLEANER_MAJOR == 2 && !CreatePage(instance))) {
        return false;
    }
    ShowWindow(mainWindow, show);
    return true;
}

// Cuts the command line into arguments as the real program does. True for no argument (the
// window) or the one switch "/AUTO" (`automatic`); anything else is unreadable.
bool ReadCommandLine(bool* automatic) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return false;
    }
    *automatic = count == 2 && wcscmp(arguments[1], L"/AUTO") == 0;
    bool readable = count == 1 || *automatic;
    LocalFree(arguments);
    return readable;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR parameters, int show) {
    StandinLog(L"started [%ls] version %d.%d", parameters, CCLEANER_MAJOR, CCLEANER_MINOR);
    bool automatic = false;
    if (!ReadCommandLine(&automatic)) {
        StandinLog(L"unreadable command line [%ls]", GetCommandLineW());
        return 1;
    }
    if (automatic) {
        // A message queue, as the real program has, so that starters waiting for input idle
        // see it ready.
        SetTimer(nullptr, 0, 300, AutomaticRunDone);
        return StandinMessageLoop();
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    if (!CreateMainWindow(instance, show)) {
        StandinLog(L"window failed");
        return 1;
    }
    return StandinMessageLoop();
}
