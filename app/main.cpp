// Entry of Sweeply.exe.
#include <windows.h>

#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    return RunSweeply(instance, commandLine);
}
