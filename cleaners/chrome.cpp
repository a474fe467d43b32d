// Clears Chrome's browsing data through its own dialog: starts Chrome when none runs, opens the
// dialog with Chrome's menu command, presses its clear button (after an optional countdown on
// the button), waits for the dialog to close, and closes a Chrome that it started.
#include "cleaners/chrome.h"

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <cwchar>

#include "base/input.h"
#include "base/path_builder.h"
#include "base/poll.h"
#include "base/process.h"
#include "base/scoped.h"
#include "cleaners/automation.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

constexpr wchar_t kWidgetClass[] = L"Chrome_WidgetWin_0";
constexpr wchar_t kWindowImplClass[] = L"Chrome_WindowImpl_0";
constexpr wchar_t kInstalledProgram[] = L"\\Google\\Chrome\\Application\\chrome.exe";
constexpr wchar_t kParameters[] =
    L"--no-default-browser-check --disable-application-cache --disable-extensions "
    L"--disable-web-resources --disable-java --disable-sync --disable-plugins "
    L"--disable-dev-tools about:blank";
constexpr wchar_t kHiddenToken[] = L"chrome/f";
constexpr wchar_t kCountdownToken[] = L"chrome/f/";
constexpr LONG kDialogFrame = WS_EX_DLGMODALFRAME;     // marks Chrome's dialogs
constexpr WPARAM kClearBrowsingDataCommand = 0x19C4D;  // command 40013, high word 1: accelerator
constexpr int kParameterChars = 512;
constexpr int kCaptionChars = 128;
constexpr int kCountdownChars = 260;
constexpr int kTitleChars = 256;
constexpr int kWindowPolls = 50;
constexpr DWORD kCloseBudgetMs = 3000;
constexpr DWORD kMainWindowPauseMs = 33;
constexpr DWORD kDialogPauseMs = 500;
constexpr int kVisibleTests = 2000;
constexpr DWORD kVisiblePauseMs = 5;
constexpr int kButtonDescendant = 9;
constexpr int kLeaveToUser = 8;
constexpr DWORD kCountdownStepMs = 1000;
constexpr int kDialogGonePolls = 180000;
constexpr DWORD kUserDialogPauseMs = 1000;
constexpr DWORD kDialogGonePauseMs = 500;

bool ChromeIsRunning() {
    return FindWindowW(kWidgetClass, nullptr) != nullptr ||
           FindWindowW(kWindowImplClass, nullptr) != nullptr;
}

// The installed chrome.exe under the special folder `csidl`, when it can be opened for reading.
bool FindInstalledProgram(int csidl, wchar_t (&program)[kPathChars]) {
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, program)) ||
        !AppendPath(program, kInstalledProgram)) {
        return false;
    }
    ScopedHandle file(CreateFileW(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

// Chrome's parameters, with `profile` (null: none) as its user-data folder, quoted by the
// command-line rules: the backslashes in front of the closing quote are doubled, or a folder
// ending in one would turn that quote into part of its name and swallow the parameters after it.
// A folder holding a quotation mark cannot be passed safely and is refused. False also when the
// text does not fit.
bool FormatParameters(const wchar_t* profile, wchar_t (&parameters)[kParameterChars]) {
    if (profile == nullptr) {
        return SUCCEEDED(StringCchCopyW(parameters, kParameterChars, kParameters));
    }
    if (wcschr(profile, L'"') != nullptr) {
        return false;
    }
    const wchar_t* backslashes = profile + wcslen(profile);
    while (backslashes > profile && backslashes[-1] == L'\\') {
        --backslashes;
    }
    // The closing backslashes once more: each pair is read back as one.
    return SUCCEEDED(StringCchPrintfW(parameters, kParameterChars,
                                      L"--user-data-dir=\"%ls%ls\" %ls", profile, backslashes,
                                      kParameters));
}

// Starts Chrome: the "--port=" program as given, else the installed one (per-user first), with
// the fixed parameters, on the "--profile=" folder when one is given. A per-user folder that
// cannot be named is treated like a per-user Chrome that is not there: the machine-wide one is
// still looked for.
bool StartChrome() {
    wchar_t installed[kPathChars];
    const wchar_t* program = Options.port;
    if (program == nullptr) {
        if (!FindInstalledProgram(CSIDL_LOCAL_APPDATA, installed) &&
            !FindInstalledProgram(CSIDL_PROGRAM_FILES, installed)) {
            return false;
        }
        program = installed;
    }
    wchar_t parameters[kParameterChars];
    if (!FormatParameters(Options.profile, parameters)) {
        return false;
    }
    HANDLE process = nullptr;
    if (!ShellStart(program, parameters, &process)) {
        return false;
    }
    ScopedHandle started(process);  // closed at once: nothing here waits for Chrome's process
    return true;
}

// Gives Chrome up to 10 s to show `window`, going on either way. False only on abort: this too is
// a polling loop, and every polling loop of a cleaner makes the abort test.
bool WaitUntilVisible(HWND window) {
    return PollUntil(kVisibleTests, kVisiblePauseMs, PollOrder::TestAbortPause, AbortRequested,
                     [window] { return IsWindowVisible(window) != FALSE; }) != PollResult::Aborted;
}

struct ButtonSearch {
    HWND latest = nullptr;
    int seen = 0;
};

BOOL CALLBACK CountDescendant(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ButtonSearch*>(context);
    search->latest = window;
    return ++search->seen < kButtonDescendant;
}

// The digit after "chrome/f/"; any other character, the end of the text or no such token gives 0.
int CountdownSetting() {
    const wchar_t* token = StrStrW(TaskString, kCountdownToken);
    if (token == nullptr) {
        return 0;
    }
    wchar_t digit = token[lstrlenW(kCountdownToken)];
    return digit >= L'0' && digit <= L'9' ? digit - L'0' : 0;
}

// Shows "(n)caption" on the button for n = from down to 0, one second each. A caption that does
// not fit is skipped, not cut. No abort test: the countdown is short and then Enter follows.
// False when the button does not answer.
[[nodiscard]] bool CountDown(HWND button, int from, const wchar_t* caption) {
    for (int n = from; n >= 0; --n) {
        wchar_t text[kCountdownChars];
        if (SUCCEEDED(StringCchPrintfW(text, kCountdownChars, L"(%d)%ls", n, caption)) &&
            !SendBounded(button, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text))) {
            return false;
        }
        Sleep(kCountdownStepMs);
    }
    return true;
}

// Polls until `dialog` is no longer a window. False on abort; true when it went or polls ran out.
bool WaitDialogClosed(HWND dialog, DWORD pauseMs) {
    return PollUntil(kDialogGonePolls, pauseMs, PollOrder::AbortTestPause, AbortRequested,
                     [dialog] { return !IsWindow(dialog); }) != PollResult::Aborted;
}

// Presses the dialog's clear button as the countdown setting asks and waits for the dialog to go.
bool ConfirmClearing(HWND dialog, HWND button) {
    wchar_t caption[kCaptionChars] = {};
    GetWindowTextW(button, caption, kCaptionChars);
    int countdown = CountdownSetting();
    if (countdown == kLeaveToUser) {
        return WaitDialogClosed(dialog, kUserDialogPauseMs);
    }
    if (countdown != 0 && !CountDown(button, countdown, caption)) {
        return false;
    }
    return PressKey(button, VK_RETURN) && WaitDialogClosed(dialog, kDialogGonePauseMs);
}

}  // namespace

HWND FindChromeWindow(LONG closeMask, LONG returnMask, const wchar_t* titlePart, DWORD pauseMs) {
    HWND lastWidget = nullptr;
    HWND lastWindowImpl = nullptr;
    HWND found = nullptr;
    auto look = [&]() -> PollAnswer {
        HWND* last = &lastWidget;
        HWND window = lastWidget = FindWindowExW(nullptr, lastWidget, kWidgetClass, nullptr);
        if (window == nullptr) {
            last = &lastWindowImpl;
            window = lastWindowImpl =
                FindWindowExW(nullptr, lastWindowImpl, kWindowImplClass, nullptr);
        }
        if (window == nullptr) {
            return PollAnswer::NotYet;
        }
        LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
        if (closeMask != 0 && (exStyle & closeMask) != 0) {
            if (!SendBounded(window, WM_CLOSE, 0, 0) || !WaitWindowGone(kCloseBudgetMs, window)) {
                return PollAnswer::Met;  // the search ends here, with nothing found
            }
            // The closed window cannot be walked past any more: its class starts over, and
            // the next poll follows at once.
            *last = nullptr;
            return PollAnswer::NotYetNoPause;
        }
        if (returnMask != 0 && (exStyle & returnMask) != 0) {
            found = window;
            return PollAnswer::Met;
        }
        if (titlePart != nullptr) {
            wchar_t title[kTitleChars] = {};
            GetWindowTextW(window, title, kTitleChars);
            if (StrStrIW(title, titlePart) != nullptr) {
                found = window;
                return PollAnswer::Met;
            }
        }
        return PollAnswer::NotYet;
    };
    if (PollUntil(kWindowPolls, pauseMs, PollOrder::AbortTestPause, AbortRequested, look) !=
        PollResult::Met) {
        return nullptr;
    }
    return found;
}

HWND FindClearButton(HWND dialog) {
    ButtonSearch search;
    EnumChildWindows(dialog, CountDescendant, reinterpret_cast<LPARAM>(&search));
    return search.latest;
}

bool CleanChrome() {
    if (AbortRequested()) {
        return false;
    }
    bool runningBefore = ChromeIsRunning();
    if (!runningBefore && !StartChrome()) {
        return false;
    }
    HWND main = FindChromeWindow(kDialogFrame, 0, L" ", kMainWindowPauseMs);
    if (main == nullptr) {
        return false;
    }
    if (!WaitUntilVisible(main)) {
        return false;
    }
    if (!runningBefore && TaskHas(kHiddenToken)) {
        ShowWindowAsync(main, SW_HIDE);
    }
    if (!SendBounded(main, WM_COMMAND, kClearBrowsingDataCommand, 0)) {
        return false;
    }
    HWND dialog = FindChromeWindow(0, kDialogFrame, nullptr, kDialogPauseMs);
    if (dialog == nullptr) {
        return false;
    }
    if (VisibleMode) {
        CentreWindowOn(dialog, ScreenCentre.x, ScreenCentre.y);
    }
    HWND button = FindClearButton(dialog);
    if (button == nullptr || !ConfirmClearing(dialog, button)) {
        return false;
    }
    return runningBefore || SendBounded(main, WM_CLOSE, 0, 0);
}
