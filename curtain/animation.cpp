// The animation thread: plays the animated image at the curtain's bottom left, frame by frame,
// with the same graphics object the painting uses, until the curtain is released.
#include "curtain/curtain.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// FrameDimensionTime: the frames of an animated GIF lie along the time dimension.
constexpr GUID kFrameDimensionTime = {0x6aedbd6d,
                                      0x3fb5,
                                      0x418a,
                                      {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr DWORD kFirstFramePauseMs = 1000;

// The first delay entry, in milliseconds; every frame waits this long.
DWORD FramePauseMs(const Animation& animation) {
    const PropertyItem* delay = animation.frameDelay;
    if (delay == nullptr || delay->value == nullptr || delay->length < sizeof(UINT)) {
        return 0;
    }
    return *static_cast<const UINT*>(delay->value) * 10;
}

void DrawFrame(const Animation& animation, UINT frame) {
    GdipImageSelectActiveFrame(animation.image.bitmap, &kFrameDimensionTime, frame);
    GdipDrawImageI(Curtain.graphics, animation.image.bitmap, animation.x, animation.y);
}

}  // namespace

unsigned __stdcall AnimationThread(void* parameter) {
    const Animation& animation = *static_cast<const Animation*>(parameter);
    Sleep(kFirstFramePauseMs);
    const DWORD pauseMs = FramePauseMs(animation);
    // The flag is tested only between two passes, so a release waits at most one pass.
    while (Curtain.animationRunning != 0) {
        for (UINT frame = 0; frame < animation.frameCount; ++frame) {
            DrawFrame(animation, frame);
            Sleep(pauseMs);
        }
        DrawFrame(animation, 0);
    }
    return 0;
}
