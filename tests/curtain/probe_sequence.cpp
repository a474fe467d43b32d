// Test-only step table for probe builds of Sweeply (never linked into Sweeply.exe): one step that
// holds the curtain open while a file exists, a watcher that logs, from the first moment of the
// process, the window's alpha and the threads' starts, and at exit what the window left; and a
// link-time seam in front of GDI+ calls that notes which thread draws and which images
// outlive the window.
#include <windows.h>

#include <cstdlib>

#include "run/run_state.h"
#include "run/settings.h"
#include "app/worker.h"
#include "curtain/curtain.h"
#include "tests/standins/common/standin.h"

namespace {

constexpr int kHoldPolls = 1200;  // 60 s at most, so a broken test never leaves a probe behind
constexpr DWORD kPollMs = 50;

BYTE WindowAlpha(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) {
        return 0;
    }
    return alpha;
}

bool HoldFileExists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Logs the alpha it finds at its start, then every RunState it sees while the hold file lasts.
void HoldCurtain() {
    StandinLog(L"step alpha=%u", WindowAlpha(MainWindow));
    if (StandinFlag(L"PROBE_WARN")) {
        // as the CCleaner runner does when CCleaner is missing
        static_cast<void>(AdvanceRunState(CCleanerMissing));
    }
    wchar_t hold[MAX_PATH];
    if (!StandinText(L"PROBE_HOLD", hold, MAX_PATH)) {
        hold[0] = L'\0';
    }
    LONG seen = RunState;
    for (int poll = 0; hold[0] != L'\0' && HoldFileExists(hold) && poll < kHoldPolls; ++poll) {
        if (RunState != seen) {
            seen = RunState;
            StandinLog(L"state %ld", seen);
        }
        Sleep(kPollMs);
    }
    StandinLog(L"step ended state=%ld", static_cast<long>(RunState));
}

bool AlwaysSelected() {
    return true;
}

constexpr CleaningStep kSteps[] = {{L"probe", AlwaysSelected, HoldCurtain, 0}};

HANDLE WatchedAnimationThread = nullptr;  // the watcher's own handle on the animation thread

// Static start-up runs on the thread that goes on to create the window and run its loop.
const DWORD kWindowThread = GetCurrentThreadId();
volatile LONG OffThreadCalls = 0;  // GDI+ calls seen from any other thread
volatile LONG AnimationDraws = 0;
volatile LONG LiveImages = 0;  // images made from the resources and not yet disposed
DWORD FirstAnimationDraw = 0;  // tick counts
DWORD LastAnimationDraw = 0;

void NoteGdiplusCall() {
    if (GetCurrentThreadId() != kWindowThread) {
        InterlockedIncrement(&OffThreadCalls);
    }
}

// The entry of gdiplus.dll itself, which the seam's own definitions hide from the linker.
template <typename Function>
Function RealGdiplus(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdiplus.dll"), name)));
}

// Runs at exit, after the message loop and the wait for the worker: the window is gone by now.
void LogWhatOutlivesTheWindow() {
    if (MainWindow == nullptr || !VisibleMode) {
        return;
    }
    DWORD exitCode = STILL_ACTIVE;
    HANDLE thread = WatchedAnimationThread;
    bool ended =
        thread != nullptr && GetExitCodeThread(thread, &exitCode) && exitCode != STILL_ACTIVE;
    StandinLog(L"window gone=%d", !IsWindow(MainWindow));
    StandinLog(L"animation drawn=%ld ms=%lu offThread=%ld", AnimationDraws,
               LastAnimationDraw - FirstAnimationDraw, OffThreadCalls);
    StandinLog(
        L"released animationEnded=%d graphics=%d logo=%d regions=%d animation=%d "
        L"gdiplus=%d images=%ld",
        ended, Curtain.graphics != nullptr, Curtain.logo.bitmap != nullptr,
        Curtain.closeMark != nullptr || Curtain.helpLink != nullptr,
        Curtain.animation.image.bitmap != nullptr, GdiplusToken != 0, LiveImages);
}

// Polls every millisecond and logs each change of (alpha, worker started, animation running).
DWORD WINAPI Watch(void*) {
    int lastAlpha = -1, lastWorker = -1, lastAnimation = -1;
    for (;;) {
        HWND window = MainWindow;
        if (window != nullptr && VisibleMode && IsWindow(window)) {
            // Worker and animation first: both start only after the fade, so an alpha read after
            // them is 255 whenever they are seen running, however late this thread gets to run.
            int worker = WorkerThread != nullptr;
            int animation = Curtain.animationRunning != 0;
            int alpha = WindowAlpha(window);
            if (WatchedAnimationThread == nullptr && Curtain.animationThread != nullptr) {
                DuplicateHandle(GetCurrentProcess(), Curtain.animationThread, GetCurrentProcess(),
                                &WatchedAnimationThread, SYNCHRONIZE | THREAD_QUERY_INFORMATION,
                                FALSE, 0);
            }
            if (alpha != lastAlpha || worker != lastWorker || animation != lastAnimation) {
                StandinLog(L"watch alpha=%d worker=%d animation=%d", alpha, worker, animation);
                lastAlpha = alpha;
                lastWorker = worker;
                lastAnimation = animation;
            }
        }
        Sleep(1);
    }
}

// Started before wWinMain, so that nothing the program does escapes the watch.
const bool kWatching = [] {
    atexit(LogWhatOutlivesTheWindow);
    HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (thread != nullptr) {
        CloseHandle(thread);
    }
    return thread != nullptr;
}();

}  // namespace

// The seam: these definitions take the place of the import library's, so the curtain's calls
// come here first and then go on to gdiplus.dll unchanged.
namespace Gdiplus::DllExports {

GpStatus WINGDIPAPI GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y) {
    NoteGdiplusCall();
    if (image != nullptr && image == Curtain.animation.image.bitmap) {
        LastAnimationDraw = GetTickCount();
        if (InterlockedIncrement(&AnimationDraws) == 1) {
            FirstAnimationDraw = LastAnimationDraw;
        }
    }
    using Draw = GpStatus(WINGDIPAPI*)(GpGraphics*, GpImage*, INT, INT);
    static const Draw real = RealGdiplus<Draw>("GdipDrawImageI");
    return real(graphics, image, x, y);
}

GpStatus WINGDIPAPI GdipImageSelectActiveFrame(GpImage* image,
                                               GDIPCONST GUID* dimension,
                                               UINT frame) {
    NoteGdiplusCall();
    using Select = GpStatus(WINGDIPAPI*)(GpImage*, GDIPCONST GUID*, UINT);
    static const Select real = RealGdiplus<Select>("GdipImageSelectActiveFrame");
    return real(image, dimension, frame);
}

GpStatus WINGDIPAPI GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
    using Create = GpStatus(WINGDIPAPI*)(IStream*, GpBitmap**);
    static const Create real = RealGdiplus<Create>("GdipCreateBitmapFromStream");
    GpStatus status = real(stream, bitmap);
    if (*bitmap != nullptr) {
        InterlockedIncrement(&LiveImages);
    }
    return status;
}

GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image) {
    if (image != nullptr) {
        InterlockedDecrement(&LiveImages);
    }
    using Dispose = GpStatus(WINGDIPAPI*)(GpImage*);
    static const Dispose real = RealGdiplus<Dispose>("GdipDisposeImage");
    return real(image);
}

}  // namespace Gdiplus::DllExports

StepTable CleaningSteps() {
    return StepTable{kSteps, sizeof(kSteps) / sizeof(kSteps[0])};
}
