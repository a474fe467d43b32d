// The curtain's drawing resources: the graphics for the window, the pictures from the program's
// own resources, the two hot regions; and their release when the window goes.
#include "curtain/curtain.h"

#include <cstring>

#include "base/poll.h"
#include "base/scoped.h"
#include "run/run_state.h"
#include "run/settings.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

CurtainResources Curtain;
ULONG_PTR GdiplusToken = 0;
HCURSOR HandCursor = nullptr;
HCURSOR ArrowCursor = nullptr;

namespace {

constexpr int kCloseMarkLeft = 60;
constexpr int kCloseMarkTop = 30;
constexpr int kCloseMarkSize = 30;
constexpr int kHelpLinkLeft = 235;
constexpr int kHelpLinkUp = 50;
constexpr int kHelpLinkWidth = 220;
constexpr int kHelpLinkHeight = 40;
constexpr int kAnimationX = 26;
constexpr int kAnimationUp = 72;

// Wait for the animation thread: the flag is noticed only between two passes over the frames.
constexpr int kStopPolls = 3600;
constexpr DWORD kStopPollMs = 500;

HRSRC FindImageResource(const wchar_t* name) {
    return FindResourceW(ProgramInstance, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
}

void StopAnimationThread() {
    if (Curtain.animationThread == nullptr) {
        return;
    }
    Curtain.animationRunning = 0;
    static_cast<void>(WaitUntilEnded(Curtain.animationThread, kStopPolls, kStopPollMs));
    CloseHandle(Curtain.animationThread);
    Curtain.animationThread = nullptr;
}

void ReleaseAnimation(Animation* animation) {
    free(animation->frameDelay);
    animation->frameDelay = nullptr;
    if (animation->image.bitmap != nullptr) {
        GdipDisposeImage(animation->image.bitmap);
    }
    animation->image = ImageResource{};
    animation->frameCount = 0;
    animation->width = 0;
    animation->height = 0;
    animation->shownFrame = -1;
    animation->x = 0;
    animation->y = 0;
}

void DeleteRegion(GpRegion** region) {
    if (*region != nullptr) {
        GdipDeleteRegion(*region);
        *region = nullptr;
    }
}

// A rectangular hot region; null when GDI+ refuses it.
GpRegion* MakeRegion(int x, int y, int width, int height) {
    GpRectF rect{static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                 static_cast<REAL>(height)};
    GpRegion* region = nullptr;
    if (GdipCreateRegionRect(&rect, &region) != Ok) {
        return nullptr;
    }
    return region;
}

bool FailSetUp() {
    ReleaseCurtain();
    return false;
}

}  // namespace

ImageResource LoadImageResource(HRSRC found) {
    ImageResource result;
    if (found == nullptr) {
        return result;
    }
    DWORD size = SizeofResource(ProgramInstance, found);
    if (size == 0) {
        return result;
    }
    HGLOBAL loaded = LoadResource(ProgramInstance, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return result;
    }
    // GDI+ reads the stream lazily for as long as the bitmap lives, so it gets its own copy on
    // movable memory, which the stream frees when its last reference goes.
    ScopedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory.valid()) {
        return result;
    }
    void* copy = GlobalLock(memory.get());
    if (copy == nullptr) {
        return result;
    }
    memcpy(copy, bytes, size);
    GlobalUnlock(memory.get());
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) {
        return result;
    }
    static_cast<void>(memory.detach());  // the stream owns it now
    result.status = GdipCreateBitmapFromStream(stream, &result.bitmap);
    if (result.status != Ok) {
        result.bitmap = nullptr;
    }
    stream->Release();  // the bitmap keeps its own reference
    return result;
}

bool LoadAnimation(Animation* animation) {
    animation->image = LoadImageResource(FindImageResource(L"cleaning"));
    if (animation->image.status != Ok) {
        return false;
    }
    GpBitmap* bitmap = animation->image.bitmap;
    // The statuses below are not tested: a GIF that GDI+ opened answers them, and a zero frame
    // count or a missing delay only leaves the animation still or slow.
    GdipGetImageWidth(bitmap, &animation->width);
    GdipGetImageHeight(bitmap, &animation->height);
    UINT dimensions = 0;
    GdipImageGetFrameDimensionsCount(bitmap, &dimensions);
    if (dimensions > 0) {
        GUID* ids = static_cast<GUID*>(calloc(dimensions, sizeof(GUID)));
        if (ids != nullptr) {
            GdipImageGetFrameDimensionsList(bitmap, ids, dimensions);
            GdipImageGetFrameCount(bitmap, &ids[0], &animation->frameCount);
            free(ids);
        }
    }
    UINT delaySize = 0;
    GdipGetPropertyItemSize(bitmap, PropertyTagFrameDelay, &delaySize);
    if (delaySize >= sizeof(PropertyItem)) {
        animation->frameDelay = static_cast<PropertyItem*>(calloc(1, delaySize));
        if (animation->frameDelay != nullptr) {
            GdipGetPropertyItem(bitmap, PropertyTagFrameDelay, delaySize, animation->frameDelay);
        }
    }
    return true;
}

bool StartGdiplus() {
    GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    return GdiplusStartup(&GdiplusToken, &input, nullptr) == Ok;
}

void LoadCurtainCursors() {
    HandCursor = LoadCursorW(nullptr, IDC_HAND);
    ArrowCursor = LoadCursorW(nullptr, IDC_ARROW);
}

bool SetUpCurtain(bool (*fadedIn)()) {
    Curtain.fadedIn = fadedIn;
    if (GdipCreateFromHWND(MainWindow, &Curtain.graphics) != Ok || Curtain.graphics == nullptr) {
        Curtain.graphics = nullptr;
        return FailSetUp();
    }
    Curtain.logo = LoadImageResource(FindImageResource(L"logo"));
    if (Curtain.logo.status != Ok) {
        return FailSetUp();
    }
    const LONG right = WorkArea.right;
    const LONG bottom = WorkArea.bottom;
    Curtain.closeMark =
        MakeRegion(right - kCloseMarkLeft, kCloseMarkTop, kCloseMarkSize, kCloseMarkSize);
    if (Curtain.closeMark == nullptr) {
        return FailSetUp();
    }
    Curtain.helpLink =
        MakeRegion(right - kHelpLinkLeft, bottom - kHelpLinkUp, kHelpLinkWidth, kHelpLinkHeight);
    if (Curtain.helpLink == nullptr) {
        return FailSetUp();
    }
    if (!LoadAnimation(&Curtain.animation)) {
        return FailSetUp();
    }
    Curtain.animation.x = kAnimationX;
    Curtain.animation.y = bottom - kAnimationUp;
    SetRunStateListener(InvalidateStatusStrip);
    return true;
}

void ReleaseCurtain() {
    SetRunStateListener(nullptr);
    StopAnimationThread();
    ReleaseAnimation(&Curtain.animation);
    DeleteRegion(&Curtain.helpLink);
    DeleteRegion(&Curtain.closeMark);
    if (Curtain.logo.bitmap != nullptr) {
        GdipDisposeImage(Curtain.logo.bitmap);
    }
    Curtain.logo = ImageResource{};
    if (Curtain.graphics != nullptr) {
        GdipDeleteGraphics(Curtain.graphics);
        Curtain.graphics = nullptr;
    }
    // Once only: a failed set-up releases, and the window's destruction releases again.
    if (GdiplusToken != 0) {
        GdiplusShutdown(GdiplusToken);
        GdiplusToken = 0;
    }
}

bool PointInRegion(GpRegion* region, int x, int y) {
    BOOL inside = FALSE;
    if (region == nullptr ||
        GdipIsVisibleRegionPointI(region, x, y, Curtain.graphics, &inside) != Ok) {
        return false;
    }
    return inside != FALSE;
}
