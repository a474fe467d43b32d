// Both programs may lie in a folder that others can write to (Downloads, say), and Windows looks
// for a DLL that is not a known DLL in the program's own folder first: this takes that folder
// out of the search before any such DLL is loaded (the programs delay-load them all).
#pragma once

#include <windows.h>

// Limits the search for DLLs named without a path to the system folder, for the process and for
// the DLLs it loads. SetDefaultDllDirectories is missing where Windows Vista or 7 lacks its loader
// update (KB2533623): there only the current folder is taken out. Call first thing in the entry.
inline void LimitDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    SetDllDirectoryW(L"");
}
