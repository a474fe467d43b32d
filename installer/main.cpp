// Entry of SweeplyOpera.exe: no window, no command line; the run is in install_run.cpp.
#include <windows.h>

#include "base/dll_search.h"
#include "installer/install_run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LimitDllSearchToSystemFolder();
    return RunOperaInstaller(instance);
}
