// Owners for the GDI+ flat-API objects a function makes for itself (fonts, brushes), in a header
// of their own so that only the code that draws pulls in GDI+.
#pragma once

#include <windows.h>

#include <objidl.h>  // GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out

#include <gdiplus.h>

#include "base/scoped.h"

struct GdipFontTraits {
    static bool Valid(Gdiplus::GpFont* font) { return font != nullptr; }
    static void Close(Gdiplus::GpFont* font) { Gdiplus::DllExports::GdipDeleteFont(font); }
};
struct GdipBrushTraits {
    static bool Valid(Gdiplus::GpSolidFill* brush) { return brush != nullptr; }
    static void Close(Gdiplus::GpSolidFill* brush) { Gdiplus::DllExports::GdipDeleteBrush(brush); }
};

using ScopedGdipFont = Scoped<Gdiplus::GpFont*, nullptr, GdipFontTraits>;
using ScopedGdipBrush = Scoped<Gdiplus::GpSolidFill*, nullptr, GdipBrushTraits>;
