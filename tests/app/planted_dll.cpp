// A DLL planted beside a program under the name of a system DLL (the tests copy it as
// gdiplus.dll): it exports nothing and only logs that it was loaded, and whether at process start.
#include <windows.h>

#include <cwchar>

#include "tests/standins/common/standin.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(module, path, MAX_PATH);
        const wchar_t* name = wcsrchr(path, L'\\');
        // The loader passes a non-null reserved argument to the DLLs a program imports.
        StandinLog(L"loaded %ls %ls", name != nullptr ? name + 1 : path,
                   reserved != nullptr ? L"at start" : L"later");
    }
    return TRUE;
}
