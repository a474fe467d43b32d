// Entry of Sweeply.exe.
#include <windows.h>

#include "app/startup.h"
#include "base/dll_search.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    LimitDllSearchToSystemFolder();
    return RunSweeply(instance, commandLine);
}
