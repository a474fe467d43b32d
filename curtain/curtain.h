// The curtain of a shown run: its drawing resources (made by SetUpCurtain, released by
// ReleaseCurtain), the painting with the fade-in, and the animation thread. Only the window's
// thread touches GDI+; the animation thread hands it frame numbers.
#pragma once

#include <windows.h>

#include <objidl.h>  // GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out

#include <gdiplus.h>

// A GDI+ bitmap made from one of the program's resources, with the status of the call that
// made it (Ok only when the bitmap exists).
struct ImageResource {
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::GpStatus status = Gdiplus::GenericError;
};

// The animated image at the bottom left and what its thread needs to play it.
struct Animation {
    ImageResource image;
    Gdiplus::PropertyItem* frameDelay = nullptr;  // PropertyTagFrameDelay, hundredths of a second
    UINT frameCount = 0;
    UINT width = 0;  // the image's native size: the box the thread invalidates
    UINT height = 0;
    INT x = 0;
    INT y = 0;
    volatile LONG shownFrame = -1;  // set by the animation thread, drawn at WM_PAINT; -1: none yet
};

// Everything the curtain draws with; process-wide, like the settings it is drawn from.
struct CurtainResources {
    Gdiplus::GpGraphics* graphics = nullptr;  // draws on the window itself; window thread only
    ImageResource logo;
    Gdiplus::GpRegion* closeMark = nullptr;
    Gdiplus::GpRegion* helpLink = nullptr;
    Animation animation;
    volatile LONG animationRunning = 0;  // raised as the animation starts, cleared on release
    HANDLE animationThread = nullptr;
    int fadeLevel = 0;  // below 200: the fade-in has not run yet
    bool (*fadedIn)() = nullptr;  // the app's start of the work; false when it could not start
};

extern CurtainResources Curtain;

// Visible mode only: GDI+ token (released with the curtain) and the two cursors.
extern ULONG_PTR GdiplusToken;
extern HCURSOR HandCursor;
extern HCURSOR ArrowCursor;

// Starts GDI+ for a shown run, before the window exists; false when it cannot be started.
[[nodiscard]] bool StartGdiplus();

// Loads the hand and arrow cursors of the curtain.
void LoadCurtainCursors();

// Makes the graphics, the logo, the two hot regions and the animation for MainWindow, and
// registers for RunState changes. `fadedIn` is called once the curtain is opaque, from its first
// paint, to start the work; when it says false the run is ended. On any failure releases what
// was made (GDI+ shut down included) and returns false.
[[nodiscard]] bool SetUpCurtain(bool (*fadedIn)());

// The status line's rectangle in window coordinates.
[[nodiscard]] RECT StatusStrip();

// Invalidates StatusStrip (with erase) so that a shown run repaints the status line.
void InvalidateStatusStrip();

// Stops the animation thread (bounded wait), deletes every GDI+ object and shuts GDI+ down.
// Safe to call more than once.
void ReleaseCurtain();

// WM_PAINT of a shown run, between BeginPaint and EndPaint: logo, texts and the animation's
// current frame within `dirty` (the update region; null: everywhere), and at the first paint the
// fade-in followed by the start of the worker and the animation thread.
void PaintCurtain(HRGN dirty);

// The status line for RunState and the help link (or "Please wait..." once it was clicked).
void PaintStatusTexts();

// Thread procedure: steps the Animation it is given through its frames, invalidating its box at
// each, until the running flag is cleared. It makes no GDI+ call.
unsigned __stdcall AnimationThread(void* animation);

// A GDI+ bitmap from the resource `found` of the program's own module; the bitmap owns a copy
// of the bytes. `status` is Ok only when the bitmap was made.
[[nodiscard]] ImageResource LoadImageResource(HRSRC found);

// Fills `animation` from the "CLEANING" resource; false when it is missing or unreadable.
[[nodiscard]] bool LoadAnimation(Animation* animation);

// Whether the client point (x, y) lies in `region`, measured with the curtain's graphics.
[[nodiscard]] bool PointInRegion(Gdiplus::GpRegion* region, int x, int y);
