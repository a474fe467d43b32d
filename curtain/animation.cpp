// The animation thread: keeps the image at the curtain's bottom left moving. It only advances
// the frame index and invalidates the image's box; the window's own thread selects and draws the
// frame at WM_PAINT, because a GDI+ object must never be used by two threads at once.
#include "curtain/curtain.h"

#include <algorithm>

#include "run/settings.h"

namespace {

constexpr DWORD kFirstFramePauseMs = 1000;
// A delay that is missing or under 10 ms plays as 100 ms, as browsers play such GIFs; taken as
// it stands it would have this thread spin on a core.
constexpr DWORD kShortestDelayMs = 10;
constexpr DWORD kMissingDelayMs = 100;

// The first delay entry, in milliseconds; every frame waits this long.
DWORD FramePauseMs(const Animation& animation) {
    const Gdiplus::PropertyItem* delay = animation.frameDelay;
    if (delay == nullptr || delay->value == nullptr || delay->length < sizeof(UINT)) {
        return kMissingDelayMs;
    }
    const DWORD pauseMs = *static_cast<const UINT*>(delay->value) * 10;
    return pauseMs < kShortestDelayMs ? kMissingDelayMs : pauseMs;
}

void ShowFrame(Animation* animation, UINT frame) {
    animation->shownFrame = static_cast<LONG>(frame);
    const RECT box = {animation->x, animation->y,
                      animation->x + static_cast<LONG>(animation->width),
                      animation->y + static_cast<LONG>(animation->height)};
    // No erase: every frame is opaque and covers the one before.
    InvalidateRect(MainWindow, &box, FALSE);
}

}  // namespace

unsigned __stdcall AnimationThread(void* parameter) {
    Animation* animation = static_cast<Animation*>(parameter);
    Sleep(kFirstFramePauseMs);
    const DWORD pauseMs = FramePauseMs(*animation);
    // An image that reports no frames plays as a still one, with the same pauses.
    const UINT frameCount = std::max(animation->frameCount, 1u);
    // The flag is tested only between two passes, so a release waits at most one pass.
    while (Curtain.animationRunning != 0) {
        for (UINT frame = 0; frame < frameCount; ++frame) {
            ShowFrame(animation, frame);
            Sleep(pauseMs);
        }
        ShowFrame(animation, 0);
    }
    return 0;
}
