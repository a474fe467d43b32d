// Screenshots of the whole screen for pixel checks of another process's windows (GetPixel on
// another process's window answers CLR_INVALID under Wine; a copy of the screen does not).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// Colours as 0xRRGGBB, the way the curtain's constants are written.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // row by row from the top

    [[nodiscard]] DWORD At(int x, int y) const;
    // Pixels of exactly `rgb` inside `area`.
    [[nodiscard]] int Count(const RECT& area, DWORD rgb) const;
    // Smallest rectangle (right and bottom exclusive) holding every pixel in `area` that is not
    // `rgb`; empty when there is none.
    [[nodiscard]] RECT BoundsOfOther(const RECT& area, DWORD rgb) const;
    // Whether `area` holds the same pixels in both shots.
    [[nodiscard]] bool SameIn(const Screenshot& other, const RECT& area) const;
    // Writes a 32-bit BMP (for a look at what a failing check saw).
    bool Save(const std::wstring& path) const;
};

// Copies the screen as it is now.
Screenshot CaptureScreen();

// Copies `area` of the screen; the shot's (0, 0) is the area's top left.
Screenshot CaptureScreen(const RECT& area);

}  // namespace testing_support
