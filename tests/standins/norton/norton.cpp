// Stand-in for an open Norton 360: its windows (see norton_windows.h) in a process of their own.
#include <windows.h>

#include "tests/standins/common/standin.h"
#include "tests/standins/norton/norton_windows.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return CreateNortonWindows(instance) ? StandinMessageLoop() : 1;
}
