// Clears Firefox's private data through its own sanitize dialog: the installed Firefox, found in
// the registry, is started on the dialog's chrome address and Enter is pressed in the dialog.
#include "cleaners/firefox.h"

#include <windows.h>

#include <shlwapi.h>
#include <strsafe.h>

#include "cleaners/automation.h"
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

// Reads a text value of HKEY_LOCAL_MACHINE into `buffer`. False when it is missing, not text, or
// does not fit with its terminator (a value stored without one is terminated here when it fits).
bool ReadMachineText(const wchar_t* key, const wchar_t* name, wchar_t* buffer, DWORD chars) {
    DWORD type = 0;
    DWORD bytes = chars * sizeof(wchar_t);
    if (SHGetValueW(HKEY_LOCAL_MACHINE, key, name, &type, buffer, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return false;
    }
    DWORD length = bytes / sizeof(wchar_t);
    if (length > 0 && buffer[length - 1] == 0) {
        return true;
    }
    if (length >= chars) {
        return false;
    }
    buffer[length] = 0;
    return true;
}

// The installed Firefox's command line that opens only the sanitize dialog.
bool BuildCommandLine(wchar_t (&commandLine)[kCommandChars]) {
    wchar_t version[kVersionChars];
    if (!ReadMachineText(kFirefoxKey, L"CurrentVersion", version, kVersionChars)) {
        return false;
    }
    // One buffer holds first the version's key path, then the command line.
    if (FAILED(StringCchPrintfW(commandLine, kKeyPathChars, L"%ls\\%ls\\%ls", kFirefoxKey, version,
                                L"Main"))) {
        return false;
    }
    wchar_t program[kPathChars];
    if (!ReadMachineText(commandLine, L"PathToExe", program, kPathChars)) {
        return false;
    }
    return SUCCEEDED(StringCchPrintfW(commandLine, kCommandChars,
                                      L"\"%ls\" -chrome chrome://browser/content/sanitize.xul",
                                      program));
}

// Walks Firefox's top-level windows one per poll, starting over after the last, until one whose
// title does not name Firefox (the dialog) turns up. Null on abort or after all polls.
HWND FindSanitizeDialog() {
    HWND previous = nullptr;
    for (int poll = 0; poll < kDialogPolls; ++poll) {
        if (AbortRequested()) {
            return nullptr;
        }
        previous = FindWindowExW(nullptr, previous, kTopClass, nullptr);
        if (previous != nullptr) {
            wchar_t title[kTitleChars] = {};
            GetWindowTextW(previous, title, kTitleChars);
            if (StrStrW(title, kBrowserTitle) == nullptr) {
                return previous;
            }
        }
        Sleep(kPollMs);
    }
    return nullptr;
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
        CentreOnScreen(dialog);
    }
    Sleep(kSettleMs);
    for (int poll = 0; poll < kInnerPolls; ++poll) {
        if (AbortRequested()) {
            return false;
        }
        Sleep(kPollMs);
        HWND inner = FindWindowExW(dialog, nullptr, kInnerClass, nullptr);
        if (inner != nullptr) {
            PressKey(inner, VK_RETURN);
            return true;
        }
    }
    return false;
}
