// Stands in for the web browser registered for https: logs the address it was asked to open and
// whether Sweeply's window still existed at that moment, then ends.
#include <windows.h>

#include "tests/standins/common/standin.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR parameters, int) {
    bool curtain = FindWindowW(L"Sweeply", L"Sweeply") != nullptr;
    StandinLog(L"opened %ls curtain=%ls", parameters, curtain ? L"present" : L"gone");
    return 0;
}
