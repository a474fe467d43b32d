// Storage for the process-wide settings of a run.
#include "run/settings.h"

#include <cwchar>

const wchar_t* TaskString = L"";
LaunchOptions Options;
bool VisibleMode = false;
WorkAreaSize WorkArea;
ScreenPoint ScreenCentre;
bool OpenHomePage = false;
HWND MainWindow = nullptr;
HINSTANCE ProgramInstance = nullptr;
HANDLE WorkerThread = nullptr;

bool TaskHas(const wchar_t* token) {
    return wcsstr(TaskString, token) != nullptr;
}
