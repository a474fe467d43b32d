// A follow-up program for "--ext=": logs the parameters it was started with and the process that
// started it, then ends.
#include <windows.h>

#include <tlhelp32.h>

#include "tests/standins/common/standin.h"

namespace {

// The id of the process that started this one, or 0 when it cannot be read.
DWORD ParentId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD parent = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent == 0;
         more = Process32NextW(snapshot, &entry)) {
        parent = entry.th32ProcessID == GetCurrentProcessId() ? entry.th32ParentProcessID : 0;
    }
    CloseHandle(snapshot);
    return parent;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR parameters, int) {
    StandinLog(L"started [%ls]", parameters);
    StandinLog(L"command line [%ls]", GetCommandLineW());
    StandinLog(L"parent %lu", ParentId());
    return 0;
}
