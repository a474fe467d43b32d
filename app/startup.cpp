// Sweeply's start-up: elevation, options, the window and the message loop, then the wait for the
// worker and the end actions. Every failure of start-up ends the run quietly with exit code 0.
#include "app/startup.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "base/poll.h"
#include "run/command_line.h"
#include "run/settings.h"
#include "app/worker.h"
#include "curtain/curtain.h"
#include "curtain/window.h"

namespace {

constexpr wchar_t kClassName[] = L"Sweeply";
constexpr int kIconGroup = 107;
constexpr COLORREF kCurtainGrey = RGB(220, 220, 220);

// The curtain's word that it has faded in: the work starts now.
bool StartWorkAfterFadeIn() {
    WorkerThread = StartCleaningWorker();
    return WorkerThread != nullptr;
}

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SweeplyWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconGroup));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hbrBackground = VisibleMode ? CreateSolidBrush(kCurtainGrey)
                                            : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance) {
    if (!VisibleMode) {
        return CreateWindowExW(0, kClassName, kClassName, WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, instance, nullptr);
    }
    RECT workArea = {};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) {
        WorkArea = {workArea.right, workArea.bottom};
        ScreenCentre = {workArea.right / 2, workArea.bottom / 2};
    }
    LoadCurtainCursors();
    return CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST, kClassName, kClassName,
                           WS_POPUP | WS_SYSMENU, 0, 0, WorkArea.right, WorkArea.bottom, nullptr,
                           nullptr, instance, nullptr);
}

int RunMessageLoop() {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// Waits at most 3600 times 500 ms for the worker thread or the elevated copy's process to end,
// then closes its handle, whether it ended or not. The wait returns as soon as it has ended, so
// a run that is over does not sit out a whole pause.
void AwaitEnd(HANDLE running) {
    static_cast<void>(WaitUntilEnded(running, 3600, 500));
    CloseHandle(running);
}

// A run that needs administrator rights, by a user without them: the elevated copy cleans with
// the task text and flags alone, and this process, with the user's own rights, starts the
// follow-up program once the copy has ended (or could not be started).
int RunElevatedCopy(const wchar_t* commandLine) {
    HANDLE copy = nullptr;
    RelaunchFollowUp next =
        DecideAfterRelaunch(RelaunchElevated(BuildElevatedLine(commandLine).c_str(), &copy));
    if (next.awaitCopy && copy != nullptr) {
        AwaitEnd(copy);
    }
    if (next.startFollowUp) {
        RunExtProgram();
    }
    return 0;
}

}  // namespace

int RunSweeply(HINSTANCE instance, const wchar_t* commandLine) {
    ProgramInstance = instance;
    if (commandLine == nullptr) {
        return 0;
    }
    // The options point into this copy for the rest of the run.
    static std::vector<wchar_t> line;
    line.assign(commandLine, commandLine + wcslen(commandLine) + 1);
    TaskString = CutCommandLine(line.data(), &Options);
    if (LineNeedsElevation(commandLine) && !IsUserAdmin()) {
        return RunElevatedCopy(commandLine);
    }
    VisibleMode = DeriveVisibleMode(TaskString);

    if (VisibleMode && !StartGdiplus()) {
        return 0;
    }
    RegisterWindowClass(instance);
    MainWindow = CreateMainWindow(instance);
    if (MainWindow == nullptr) {
        return 0;
    }
    if (VisibleMode) {
        // A failed set-up has already released what it made and shut GDI+ down.
        if (!SetUpCurtain(StartWorkAfterFadeIn)) {
            return 0;
        }
        // Shown fully transparent: the first paint fades it in, then starts the worker and the
        // animation (so WorkerThread is set from the message loop).
        SetLayeredWindowAttributes(MainWindow, 0, 0, LWA_ALPHA);
        SetCursor(ArrowCursor);
        ShowWindow(MainWindow, SW_SHOWNORMAL);
    } else {
        WorkerThread = StartCleaningWorker();
        if (WorkerThread == nullptr) {
            return 0;
        }
    }
    int exitCode = RunMessageLoop();
    if (WorkerThread != nullptr) {
        AwaitEnd(WorkerThread);
    }
    if (OpenHomePage) {
        ShellExecuteW(nullptr, L"open", kHomePageUrl, nullptr, nullptr, SW_SHOWMAXIMIZED);
    }
    RunExtProgram();
    return exitCode;
}
