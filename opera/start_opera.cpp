// Starting Opera for the cleaner: its first-run and default-browser questions are switched off
// in the preferences for the start (they would stand in front of the menu) and put back at once.
#include "opera/start_opera.h"

#include <cwchar>

#include "base/process.h"

namespace {

constexpr wchar_t kPrefsSection[] = L"User Prefs";
constexpr wchar_t kStartupDialog[] = L"Show Startup Dialog";
constexpr wchar_t kDefaultBrowserDialog[] = L"Show Default Browser Dialog";
constexpr UINT kPrefMissing = 700;  // the read default: the key is not there

// One preference switched off for the start; restored only when it was changed.
struct SwitchedPref {
    const wchar_t* key;
    UINT oldValue;
    bool changed;
};

void SwitchOff(SwitchedPref* pref, const wchar_t* prefsPath) {
    pref->changed = pref->oldValue != 0;
    if (pref->changed) {
        WritePrivateProfileStringW(kPrefsSection, pref->key, L"0", prefsPath);
    }
}

void PutBack(const SwitchedPref& pref, const wchar_t* prefsPath) {
    if (!pref.changed) {
        return;
    }
    wchar_t text[16];
    // The profile functions read the value as unsigned; "-1" must go back as "-1".
    swprintf(text, 16, L"%d", static_cast<int>(pref.oldValue));
    WritePrivateProfileStringW(kPrefsSection, pref.key, text, prefsPath);
}

}  // namespace

bool BuildOperaCommandLine(const OperaLocation& location, wchar_t* line, size_t chars) {
    // Quoted: unquoted, a program under "C:\Program Files" would make Windows try
    // "C:\Program.exe" first. Wine quotes such a path itself, which hides the hazard there.
    int length = swprintf(line, chars, L"\"%ls\\opera.exe\" about:blank", location.programDir);
    return length > 0 && static_cast<size_t>(length) < chars;
}

bool StartOperaForCleaning() {
    OperaLocation location;
    if (!LocateOpera(&location)) {
        return false;
    }
    wchar_t commandLine[kOperaCommandLineChars];
    if (!BuildOperaCommandLine(location, commandLine, kOperaCommandLineChars)) {
        return false;
    }
    const wchar_t* prefsPath = location.prefsPath;
    SwitchedPref prefs[] = {
        {kStartupDialog,
         GetPrivateProfileIntW(kPrefsSection, kStartupDialog, kPrefMissing, prefsPath), false},
        {kDefaultBrowserDialog,
         GetPrivateProfileIntW(kPrefsSection, kDefaultBrowserDialog, kPrefMissing, prefsPath),
         false},
    };
    if (prefs[0].oldValue == kPrefMissing || prefs[1].oldValue == kPrefMissing) {
        return false;
    }
    for (SwitchedPref& pref : prefs) {
        SwitchOff(&pref, prefsPath);
    }

    bool ready = StartAndWaitIdle(nullptr, commandLine, false);
    // Put back in every case, also when Opera did not become ready in time: left at "0", the
    // user's own settings would be changed for good.
    for (const SwitchedPref& pref : prefs) {
        PutBack(pref, prefsPath);
    }
    return ready;
}
