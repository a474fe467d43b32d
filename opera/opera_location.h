// Where Opera lives: its program folder, default settings file, profile folder and preferences
// file, found from the values Opera leaves in the user's registry. Linked by both programs.
#pragma once

#include <windows.h>

// The result of LocateOpera. Every path is a 260-character buffer, terminator included.
struct OperaLocation {
    wchar_t programDir[MAX_PATH];   // program folder (trailing backslash kept when single-user)
    wchar_t mainIniPath[MAX_PATH];  // program folder + the "oper*de*.ini" file found there
    wchar_t prefsPath[MAX_PATH];    // profileDir + "\" + "operaprefs.ini" or "opera6.ini"
    wchar_t profileDir[MAX_PATH];   // the folder that holds the preferences file
    DWORD versionMajor;             // opera.exe's file version, most significant part
    DWORD versionMinor;
};

// Finds Opera 9.50 or later for the current user. False when it is missing, too old or any step
// fails; the fields are then undefined. Leaves the process's current directory alone.
[[nodiscard]] bool LocateOpera(OperaLocation* location);

// FindFirstFileW with `pattern` (relative to the current directory when relative); the search is
// closed at once. True when an entry matched; its data is then in `findData`.
[[nodiscard]] bool FindFirstMatch(const wchar_t* pattern, WIN32_FIND_DATAW* findData);
