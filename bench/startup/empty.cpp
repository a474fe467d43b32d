// The yardstick for Sweeply's start-up cost: a Win32 GUI program that starts and exits.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
