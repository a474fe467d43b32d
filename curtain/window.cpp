// Window procedure of Sweeply's single window. In a shown run it is the curtain, the user's only
// control; a silent run's message-only window only ever sees the worker's closing message and
// its own destruction.
#include "curtain/window.h"

#include <windowsx.h>

#include "run/run_state.h"
#include "run/settings.h"
#include "curtain/curtain.h"

namespace {

// The window moves RunState upwards only, and only while the user still has a say (below 2).
// A compare-and-swap, so that a step the worker takes at the same moment (completion, the
// CCleaner warning) is not overwritten.
void AskOrConfirmAbort() {
    LONG current = RunState;
    if (current < Aborting &&
        InterlockedCompareExchange(&RunState, current + 1, current) == current) {
        InvalidateStatusStrip();
    }
}

void OnDestroy() {
    if (VisibleMode) {
        ReleaseCurtain();
    }
    PostQuitMessage(0);
}

void OnPaint(HWND window) {
    // What needs repainting, taken before BeginPaint validates it: the curtain's drawing does
    // not go through the paint's device context and is clipped to this instead.
    HRGN dirty = CreateRectRgn(0, 0, 0, 0);
    if (dirty != nullptr && GetUpdateRgn(window, dirty, FALSE) == ERROR) {
        DeleteObject(dirty);
        dirty = nullptr;
    }
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    PaintCurtain(dirty);
    EndPaint(window, &paint);
    if (dirty != nullptr) {
        DeleteObject(dirty);
    }
}

void OnKeyDown(WPARAM key) {
    if (key == VK_ESCAPE && RunState < Aborting) {
        AskOrConfirmAbort();
    }
}

// Alt+F4, or a WM_CLOSE from another program, counts as Escape: the window stays until the
// worker ends the run, since without it nothing could abort the run any more while the worker
// went on driving other programs' windows.
void OnClose() {
    OnKeyDown(VK_ESCAPE);
}

void OnMouseMove(int x, int y) {
    if (Curtain.helpLink == nullptr || Curtain.closeMark == nullptr) {
        return;
    }
    if (PointInRegion(Curtain.helpLink, x, y)) {
        SetCursor(HandCursor);
    } else if (PointInRegion(Curtain.closeMark, x, y)) {
        if (RunState < Aborting) {
            SetCursor(HandCursor);
        }
    } else {
        SetCursor(ArrowCursor);
    }
}

// Invalidates the help link's area so that "Please wait..." replaces the link.
void InvalidateHelpLink(HWND window) {
    HRGN area = nullptr;
    if (Gdiplus::DllExports::GdipGetRegionHRgn(Curtain.helpLink, Curtain.graphics, &area) !=
            Gdiplus::Ok ||
        area == nullptr) {
        return;
    }
    InvalidateRgn(window, area, TRUE);
    DeleteObject(area);
}

void OnLeftButtonDown(HWND window, int x, int y) {
    if (!VisibleMode) {
        return;
    }
    if (!OpenHomePage && PointInRegion(Curtain.helpLink, x, y)) {
        OpenHomePage = true;
        InvalidateHelpLink(window);
    }
    if (RunState < Aborting && PointInRegion(Curtain.closeMark, x, y)) {
        AskOrConfirmAbort();
    }
}

}  // namespace

LRESULT CALLBACK SweeplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CLEANING_DONE:
            DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
