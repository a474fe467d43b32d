// Internet Explorer's cleaner: drives the Internet Options module from outside, either through
// rundll32 or by pressing Delete in its Delete Browsing History dialog shown in this process.
#include "cleaners/internet_explorer.h"

#include <windows.h>

#include <objbase.h>
#include <process.h>
#include <shellapi.h>
#include <shlobj.h>

#include "base/input.h"
#include "base/path_builder.h"
#include "base/poll.h"
#include "base/process.h"
#include "base/scoped.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

// One pointer-sized argument, the owner window, with the standard Windows calling convention.
using DialogEntry = BOOL(WINAPI*)(HWND owner);

// Shared with the dialog thread and the enumeration callback, which take no context of ours.
DialogEntry HistoryDialogEntry = nullptr;
HWND HistoryDialog = nullptr;

constexpr int kDeleteButtonId = 5543;
constexpr int kDeleteButtonPlace = 19;  // in z-order among the dialog's children
constexpr int kDialogPolls = 20;
constexpr DWORD kDialogPollMs = 300;
constexpr int kThreadPolls = 1800;
constexpr DWORD kThreadPollMs = 500;

unsigned __stdcall HistoryDialogThread(void*) {
    HistoryDialogEntry(nullptr);
    return 0;
}

BOOL CALLBACK TakeFirstVisible(HWND window, LPARAM) {
    if (IsWindowVisible(window)) {
        HistoryDialog = window;
        return FALSE;
    }
    return TRUE;
}

// Up to 20 looks, 300 ms apart, for the dialog thread's first visible window. False on abort;
// otherwise true, with HistoryDialog null when the dialog never appeared.
[[nodiscard]] bool FindHistoryDialog(DWORD threadId) {
    return PollUntil(kDialogPolls, kDialogPollMs, PollOrder::AbortTestPause, AbortRequested,
                     [threadId] {
                         HistoryDialog = nullptr;
                         EnumThreadWindows(threadId, TakeFirstVisible, 0);
                         return HistoryDialog != nullptr;
                     }) != PollResult::Aborted;
}

// The Delete button by its English caption, else by its identifier, else by its place.
HWND FindDeleteButton(HWND dialog) {
    HWND button = FindWindowExW(dialog, nullptr, L"Button", L"&Delete");
    if (button == nullptr) {
        button = GetDlgItem(dialog, kDeleteButtonId);
    }
    if (button == nullptr) {
        button = GetWindow(dialog, GW_CHILD);
        for (int step = 1; step < kDeleteButtonPlace && button != nullptr; ++step) {
            button = GetWindow(button, GW_HWNDNEXT);
        }
    }
    return button;
}

// The system folder's path followed by `name` (which starts with a backslash) into the
// 260-character `path`; false when the folder is unknown or the whole does not fit.
[[nodiscard]] bool SystemFilePath(const wchar_t* name, wchar_t* path) {
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, path)) &&
           AppendPath(path, name);
}

// Gives up ownership of the module without unloading it: the dialog thread may still run in it.
void KeepLoaded(ScopedModule& module) {
    static_cast<void>(module.detach());
}

}  // namespace

bool BuildClearEverythingCommand(wchar_t* program, wchar_t* parameters) {
    // Both by full path: the process may be elevated, and a bare name would let the shell and
    // rundll32 look in other folders first.
    wchar_t module[kPathChars];
    if (!SystemFilePath(L"\\rundll32.exe", program) || !SystemFilePath(L"\\inetcpl.cpl", module)) {
        return false;
    }
    // rundll32 reads the module's path up to the comma; quotes keep a path with blanks whole.
    return JoinText(parameters, kPathChars, {L"\"", module, L"\",ClearMyTracksByProcess 255"});
}

bool CleanInternetExplorerAll() {
    if (AbortRequested()) {
        return false;
    }
    wchar_t program[kPathChars];
    wchar_t parameters[kPathChars];
    if (!BuildClearEverythingCommand(program, parameters)) {
        return false;
    }
    CoInitialize(nullptr);
    HINSTANCE started =
        ShellExecuteW(GetDesktopWindow(), L"Open", program, parameters, nullptr, SW_SHOWNORMAL);
    CoUninitialize();
    // rundll32 clears on by itself; the pause gives it a head start before the next step.
    Sleep(1000);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

bool CleanInternetExplorer() {
    if (AbortRequested()) {
        return false;
    }
    wchar_t path[kPathChars];
    if (!SystemFilePath(L"\\inetcpl.cpl", path)) {
        return false;
    }
    ScopedModule module(LoadLibraryW(path));
    if (!module.valid()) {
        return false;
    }
    HistoryDialogEntry = reinterpret_cast<DialogEntry>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "ShowDeleteBrowsingHistoryDialog")));
    if (HistoryDialogEntry == nullptr) {
        return false;
    }
    unsigned threadId = 0;
    ScopedHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, HistoryDialogThread, nullptr, 0, &threadId)));
    if (!thread.valid()) {
        return false;
    }
    // From here on the dialog thread may run inside the module: it stays loaded unless the
    // thread is known to have ended.
    if (!WaitUntilReadyForInput(GetCurrentProcess(), 10000)) {
        KeepLoaded(module);
        return false;
    }
    if (!FindHistoryDialog(threadId)) {
        KeepLoaded(module);
        return false;
    }
    if (HistoryDialog != nullptr) {
        if (VisibleMode) {
            CentreWindowOn(HistoryDialog, ScreenCentre.x, ScreenCentre.y);
        }
        HWND button = FindDeleteButton(HistoryDialog);
        // A dialog that does not take the click in time is hung: its thread would not end either.
        if (button != nullptr && !ClickWindow(button)) {
            KeepLoaded(module);
            return false;
        }
    }
    // Without an abort test. Only a thread known to have ended lets the module go: unloading
    // under a live thread would crash.
    if (!WaitUntilEnded(thread.get(), kThreadPolls, kThreadPollMs)) {
        KeepLoaded(module);
    }
    return true;
}
