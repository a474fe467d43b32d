// The CCleaner runner: finds CCleaner through its App Paths registration, then either lets it
// clean on its own ("/AUTO") or presses the run button of its version 2 window on both tabs.
#include "cleaners/ccleaner.h"

#include <windows.h>

#include <commctrl.h>

#include "base/file_version.h"
#include "base/input.h"
#include "base/poll.h"
#include "base/process.h"
#include "base/registry_text.h"
#include "base/scoped.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ccleaner.exe";
constexpr wchar_t kMainTitle[] = L"Piriform CCleaner";
constexpr int kAutomaticPolls = 1800;    // 500 ms apart: 15 minutes
constexpr int kRunButtonPolls = 1800;    // 1000 ms apart: 30 minutes
constexpr DWORD kMissingPauseMs = 1000;  // lets the warning be seen before the next step
constexpr WORD kWindowWidth = 600;
constexpr WORD kWindowHeight = 400;

// The program path from CCleaner's App Paths entry; an empty text is no path. A 64-bit CCleaner
// registers in the 64-bit view, which a 32-bit program does not see by default: that view
// first, then this program's own.
[[nodiscard]] bool ReadProgramPath(wchar_t (&program)[kPathChars]) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kAppPathsKey, L"", RegistryView::SixtyFourBitFirst,
                            TextExpansion::Expanded, program) &&
           program[0] != L'\0';
}

void ReportMissing() {
    if (!VisibleMode) {
        return;
    }
    // Not over a confirmed abort: the warning replaces only the running or question state.
    static_cast<void>(AdvanceRunState(CCleanerMissing));
    Sleep(kMissingPauseMs);
}

[[nodiscard]] bool RunAutomatic(const wchar_t* program) {
    ScopedHandle process;
    if (!ShellStart(program, L"/AUTO", process.receive())) {
        return false;
    }
    PollResult ended =
        PollUntil(kAutomaticPolls, 500, PollOrder::AbortTestPause, AbortRequested, [&process] {
            DWORD code = 0;
            // A handle that can no longer be asked cannot tell us anything by waiting longer.
            return !GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE;
        });
    // Also after the 15 minutes: CCleaner is left to finish on its own.
    return ended != PollResult::Aborted;
}

// The page's run button: the third "Button" child for version x.0, the second otherwise.
[[nodiscard]] HWND FindRunButton(HWND page, DWORD minor) {
    HWND button = FindWindowExW(page, nullptr, L"Button", nullptr);
    if (button == nullptr) {
        return nullptr;
    }
    int position = minor == 0 ? 3 : 2;
    for (int i = 1; i < position && button != nullptr; ++i) {
        button = FindWindowExW(page, button, L"Button", nullptr);
    }
    return button;
}

[[nodiscard]] bool PressButton(HWND page, HWND button, int id) {
    return SendBounded(page, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(button));
}

// CCleaner disables its run button while it works. False on abort, and when the button is gone
// (CCleaner was closed): there is nothing left to wait for.
[[nodiscard]] bool WaitRunButtonEnabled(HWND button) {
    bool gone = false;
    PollResult enabled =
        PollUntil(kRunButtonPolls, 1000, PollOrder::AbortPauseTest, AbortRequested, [&] {
            gone = !IsWindow(button);
            return gone || IsWindowEnabled(button);
        });
    // After 30 minutes the runner goes on as if the work had ended.
    return enabled != PollResult::Aborted && !gone;
}

// Left button down on the tab control at (x 70, y 10), then at (x 100, y 10) when the first
// did not select the second tab. No button-up follows, as CCleaner needs none. False when the
// tab control does not answer.
[[nodiscard]] bool SelectSecondTab(HWND tabs) {
    LRESULT selected = -1;
    if (!SendBounded(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 10)) ||
        !SendBounded(tabs, TCM_GETCURSEL, 0, 0, &selected)) {
        return false;
    }
    return selected == 1 || SendBounded(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10));
}

[[nodiscard]] bool RunInteractive(const wchar_t* program) {
    DWORD major = 0;
    DWORD minor = 0;
    // Only version 2's window is known. Any other version is not started at all: started hidden
    // and then not driven, it would stay running where the user cannot see it, having cleaned
    // nothing.
    if (!ReadFileVersion(program, &major, &minor) || major != 2) {
        return false;
    }
    if (!StartAndWaitIdle(program, nullptr, true)) {
        return false;
    }
    HWND main = FindWindowW(nullptr, kMainTitle);
    if (main == nullptr) {
        return false;
    }
    if (VisibleMode) {
        // Above the curtain, where the user can watch it work. Posted to CCleaner's thread, not
        // waited for; the press below reaches that thread after it.
        SetWindowPos(main, HWND_TOPMOST, ScreenCentre.x - 325, ScreenCentre.y - 225, kWindowWidth,
                     kWindowHeight, SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS);
    }
    HWND page = FindWindowExW(main, nullptr, L"#32770", L"");
    if (page == nullptr) {
        return false;
    }
    HWND runButton = FindRunButton(page, minor);
    if (runButton == nullptr) {
        return false;
    }
    int id = GetDlgCtrlID(runButton);
    if (id == 0) {
        return false;
    }
    if (!PressButton(page, runButton, id) || !WaitRunButtonEnabled(runButton)) {
        return false;
    }
    HWND tabs = FindWindowExW(page, nullptr, L"SysTabControl32", nullptr);
    if (tabs == nullptr) {
        return false;
    }
    if (!SelectSecondTab(tabs) || !PressButton(page, runButton, id) ||
        !WaitRunButtonEnabled(runButton)) {
        return false;
    }
    return SendBounded(main, WM_CLOSE, 0, 0);
}

}  // namespace

bool RunCCleaner(bool automatic) {
    if (AbortRequested()) {
        return false;
    }
    wchar_t program[kPathChars];
    if (!ReadProgramPath(program)) {
        ReportMissing();
        return false;
    }
    return automatic ? RunAutomatic(program) : RunInteractive(program);
}
