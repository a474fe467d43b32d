// Painting the curtain: the logo, the status line for RunState, the help link and the
// animation's current frame, and at the first paint the fade-in that then starts the worker and
// the animation.
#include "curtain/curtain.h"

#include <process.h>

#include "base/gdiplus_owners.h"
#include "run/run_state.h"
#include "run/settings.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr ARGB kTextColour = 0xFF3B86A4;
constexpr ARGB kWarningColour = 0xFFDC6464;
constexpr REAL kTextPixels = 20;
constexpr int kStatusTop = 30;
constexpr int kFadeDone = 200;  // a fade level from here on means the fade-in has run
constexpr int kFadeStep = 25;
constexpr int kFadeLast = 250;  // the last stepped alpha; 255 follows
constexpr DWORD kFadePauseMs = 20;
// FrameDimensionTime: the frames of an animated GIF lie along the time dimension.
constexpr GUID kFrameDimensionTime = {0x6aedbd6d,
                                      0x3fb5,
                                      0x418a,
                                      {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

// The family for the curtain's texts. "Verdana" where it exists; otherwise GDI+'s generic
// sans-serif family (Wine's prefix has no Verdana, and without a family no text is drawn).
// The generic family belongs to GDI+ and is never deleted.
struct TextFamily {
    GpFontFamily* family = nullptr;
    bool owned = false;
};

TextFamily CreateTextFamily() {
    TextFamily text;
    if (GdipCreateFontFamilyFromName(L"Verdana", nullptr, &text.family) == Ok) {
        text.owned = true;
        return text;
    }
    // The generic family is asked for once per run: Wine hands out a new object on every call
    // (Windows the same one), and it is not ours to delete.
    static GpFontFamily* sansSerif = nullptr;
    if (sansSerif == nullptr && GdipGetGenericFontFamilySansSerif(&sansSerif) != Ok) {
        sansSerif = nullptr;
    }
    text.family = sansSerif;
    return text;
}

void DeleteTextFamily(TextFamily* text) {
    if (text->owned && text->family != nullptr) {
        GdipDeleteFontFamily(text->family);
    }
    *text = TextFamily{};
}

GpFont* CreateTextFont(const TextFamily& text, INT style) {
    GpFont* font = nullptr;
    if (text.family == nullptr ||
        GdipCreateFont(text.family, kTextPixels, style, UnitPixel, &font) != Ok) {
        return nullptr;
    }
    return font;
}

GpSolidFill* CreateBrush(ARGB colour) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(colour, &brush) != Ok) {
        return nullptr;
    }
    return brush;
}

// Top-left corner at (x, y), an empty layout rectangle (no wrapping, no clipping), no format.
// A missing font or brush leaves the text out, as a failed drawing call would.
void DrawText(const wchar_t* text, GpFont* font, GpSolidFill* brush, LONG x, LONG y) {
    if (font == nullptr || brush == nullptr) {
        return;
    }
    RectF layout{static_cast<REAL>(x), static_cast<REAL>(y), 0, 0};
    GdipDrawString(Curtain.graphics, text, -1, font, &layout, nullptr, brush);
}

void DrawWarning(const wchar_t* text, GpFont* font, LONG x) {
    ScopedGdipBrush warning(CreateBrush(kWarningColour));
    DrawText(text, font, warning.get(), x, kStatusTop);
}

void DrawStatusLine(GpFont* font, GpSolidFill* brush) {
    const LONG right = WorkArea.right;
    switch (RunState) {
        case Running:
            DrawText(L"x", font, brush, right - 55, kStatusTop);
            break;
        case AbortAsked:
            DrawText(L"Do you want to abort the cleaning process?", font, brush, right - 560,
                     kStatusTop);
            DrawWarning(L"X", font, right - 50);
            break;
        case CCleanerMissing:
            DrawWarning(L"Warning! Could not find CCleaner.exe!", font, right - 560);
            break;
        case Complete:
            DrawText(L"Cleaning Complete!", font, brush, right - 250, kStatusTop);
            break;
        default:  // Aborting, and any value nobody should have set
            DrawText(L"Sweeply is shutting down. Please wait...", font, brush, right - 560,
                     kStatusTop);
            break;
    }
}

void DrawHelpLink(const TextFamily& family, GpFont* font, GpSolidFill* brush) {
    const LONG right = WorkArea.right;
    const LONG bottom = WorkArea.bottom;
    if (OpenHomePage) {
        DrawText(L"Please wait...", font, brush, right - 230, bottom - 50);
        return;
    }
    ScopedGdipFont linkFont(CreateTextFont(family, FontStyleBold | FontStyleUnderline));
    DrawText(L"Help and Support", linkFont.get(), brush, right - 235, bottom - 50);
}

// The frame the animation thread last asked for, once it has asked for one.
void DrawAnimationFrame() {
    const Animation& animation = Curtain.animation;
    const LONG frame = animation.shownFrame;
    if (Curtain.animationRunning == 0 || frame < 0) {
        return;
    }
    GdipImageSelectActiveFrame(animation.image.bitmap, &kFrameDimensionTime,
                               static_cast<UINT>(frame));
    GdipDrawImageI(Curtain.graphics, animation.image.bitmap, animation.x, animation.y);
}

// Whether all that needs repainting lies in the animation's box, as after the animation thread
// moved on a frame: then the logo and the texts are not drawn at all.
bool OnlyAnimationDirty(HRGN dirty) {
    const Animation& animation = Curtain.animation;
    RECT bounds;
    if (dirty == nullptr || GetRgnBox(dirty, &bounds) == ERROR) {
        return false;
    }
    return bounds.left >= animation.x && bounds.top >= animation.y &&
           bounds.right <= animation.x + static_cast<LONG>(animation.width) &&
           bounds.bottom <= animation.y + static_cast<LONG>(animation.height);
}

// Eleven steps of 20 ms (alpha 0, 25, ... 250), then fully opaque; the level ends at 275 so
// that later paints skip this.
void FadeIn() {
    Curtain.fadeLevel = 0;
    while (Curtain.fadeLevel <= kFadeLast) {
        SetLayeredWindowAttributes(MainWindow, 0, static_cast<BYTE>(Curtain.fadeLevel), LWA_ALPHA);
        Sleep(kFadePauseMs);
        Curtain.fadeLevel += kFadeStep;
    }
    SetLayeredWindowAttributes(MainWindow, 0, 255, LWA_ALPHA);
}

void StartWorkerAndAnimation() {
    if (Curtain.fadedIn == nullptr || !Curtain.fadedIn()) {
        // Nothing would ever close the curtain: end the run as start-up does when its worker
        // cannot start.
        PostMessageW(MainWindow, WM_CLEANING_DONE, 0, 0);
        return;
    }
    // The running flag is raised here, not by the new thread: a release that comes before the
    // thread first runs must find it raised, or the thread would raise it after the release
    // had cleared it and never stop.
    Curtain.animationRunning = 1;
    uintptr_t thread = _beginthreadex(nullptr, 0, AnimationThread, &Curtain.animation, 0, nullptr);
    Curtain.animationThread = reinterpret_cast<HANDLE>(thread);
    if (Curtain.animationThread == nullptr) {
        Curtain.animationRunning = 0;
    }
}

}  // namespace

RECT StatusStrip() {
    return RECT{WorkArea.right - 560, kStatusTop, WorkArea.right, kStatusTop + 30};
}

void InvalidateStatusStrip() {
    if (VisibleMode && MainWindow != nullptr) {
        RECT strip = StatusStrip();
        InvalidateRect(MainWindow, &strip, TRUE);
    }
}

void PaintCurtain(HRGN dirty) {
    if (!VisibleMode) {
        return;
    }
    if (Curtain.graphics != nullptr) {
        // The graphics draws on the window, not through the paint's device context, so it is
        // clipped to what needs repainting: drawn again over pixels that were not erased, the
        // antialiased edges of the logo and the texts would darken.
        if (dirty != nullptr) {
            GdipSetClipHrgn(Curtain.graphics, dirty, CombineModeReplace);
        }
        if (!OnlyAnimationDirty(dirty)) {
            GdipDrawImageI(Curtain.graphics, Curtain.logo.bitmap, 10, 2);
            PaintStatusTexts();
        }
        DrawAnimationFrame();
        GdipResetClip(Curtain.graphics);
    }
    if (Curtain.fadeLevel < kFadeDone) {
        FadeIn();
        StartWorkerAndAnimation();
    }
}

void PaintStatusTexts() {
    if (!VisibleMode || Curtain.graphics == nullptr) {
        return;
    }
    TextFamily family = CreateTextFamily();
    {
        ScopedGdipFont font(CreateTextFont(family, FontStyleBold));
        ScopedGdipBrush brush(CreateBrush(kTextColour));
        DrawStatusLine(font.get(), brush.get());
        DrawHelpLink(family, font.get(), brush.get());
    }
    DeleteTextFamily(&family);
}
