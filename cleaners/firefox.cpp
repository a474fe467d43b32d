// Clears Firefox's private data through its own sanitize dialog: the installed Firefox, found in
// the registry, is started on the dialog's chrome address and Enter is pressed in the dialog.
#include "cleaners/firefox.h"

#include <windows.h>

#include <shlwapi.h>

#include "base/input.h"
#include "base/path_builder.h"
#include "base/poll.h"
#include "base/process.h"
#include "base/registry_text.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

constexpr wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";
constexpr wchar_t kTopClass[] = L"MozillaUIWindowClass";  // browser windows and the dialog
constexpr wchar_t kInnerClass[] = L"MozillaWindowClass";  // the window that takes the keys
constexpr wchar_t kBrowserTitle[] = L"Mozilla Firefox";   // in every browser window's title
constexpr int kVersionChars = 64;
constexpr int kCommandChars = 520;
constexpr int kKeyPathChars = 260;
constexpr int kTitleChars = 256;
constexpr int kDialogPolls = 60;
constexpr int kInnerPolls = 20;
constexpr DWORD kPollMs = 500;
constexpr DWORD kSettleMs = 1000;

// A text value of Firefox's keys. A 64-bit Firefox registers in the 64-bit view, which a 32-bit
// program does not see by default: that view first, then this program's own.
bool ReadMachineText(const wchar_t* key, const wchar_t* name, wchar_t* buffer, DWORD chars) {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, key, name, RegistryView::SixtyFourBitFirst,
                            TextExpansion::Expanded, buffer, chars);
}

// The installed Firefox's command line that opens only the sanitize dialog.
bool BuildCommandLine(wchar_t (&commandLine)[kCommandChars]) {
    wchar_t version[kVersionChars];
    if (!ReadMachineText(kFirefoxKey, L"CurrentVersion", version, kVersionChars)) {
        return false;
    }
    // One buffer holds first the version's key path, then the command line.
    wchar_t program[kPathChars];
    return JoinText(commandLine, kKeyPathChars, {kFirefoxKey, L"\\", version, L"\\Main"}) &&
           ReadMachineText(commandLine, L"PathToExe", program, kPathChars) &&
           JoinText(commandLine,
                    {L"\"", program, L"\" -chrome chrome://browser/content/sanitize.xul"});
}

// Walks Firefox's top-level windows one per poll, starting over after the last, until one whose
// title does not name Firefox (the dialog) turns up. Null on abort or after all polls.
HWND FindSanitizeDialog() {
    HWND window = nullptr;
    PollResult found =
        PollUntil(kDialogPolls, kPollMs, PollOrder::AbortTestPause, AbortRequested, [&window] {
            window = FindWindowExW(nullptr, window, kTopClass, nullptr);
            if (window == nullptr) {
                return false;
            }
            wchar_t title[kTitleChars] = {};
            GetWindowTextW(window, title, kTitleChars);
            return StrStrW(title, kBrowserTitle) == nullptr;
        });
    return found == PollResult::Met ? window : nullptr;
}

}  // namespace

bool CleanFirefox() {
    if (AbortRequested()) {
        return false;
    }
    wchar_t commandLine[kCommandChars];
    if (!BuildCommandLine(commandLine)) {
        return false;
    }
    if (!StartAndWaitIdle(nullptr, commandLine, false)) {
        return false;
    }
    HWND dialog = FindSanitizeDialog();
    if (dialog == nullptr) {
        return false;
    }
    if (VisibleMode) {
        CentreWindowOn(dialog, ScreenCentre.x, ScreenCentre.y);
    }
    Sleep(kSettleMs);
    HWND inner = nullptr;
    if (PollUntil(kInnerPolls, kPollMs, PollOrder::AbortPauseTest, AbortRequested, [&] {
            inner = FindWindowExW(dialog, nullptr, kInnerClass, nullptr);
            return inner != nullptr;
        }) != PollResult::Met) {
        return false;
    }
    return PressKey(inner, VK_RETURN);
}
