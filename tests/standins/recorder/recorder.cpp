// A follow-up program for "--ext=": logs the parameters it was started with, then ends.
#include <windows.h>

#include "tests/standins/common/standin.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR parameters, int) {
    StandinLog(L"started [%ls]", parameters);
    StandinLog(L"command line [%ls]", GetCommandLineW());
    return 0;
}
