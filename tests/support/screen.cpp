// Screen copies through BitBlt from the screen's device context into a 32-bit DIB.
#include "tests/support/screen.h"

#include <algorithm>

#include "base/scoped.h"

namespace testing_support {

DWORD Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0xFFFFFFFF;
    }
    return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
}

int Screenshot::Count(const RECT& area, DWORD rgb) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            count += At(x, y) == rgb;
        }
    }
    return count;
}

RECT Screenshot::BoundsOfOther(const RECT& area, DWORD rgb) const {
    RECT bounds = {area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (At(x, y) != rgb) {
                bounds.left = std::min(bounds.left, x);
                bounds.top = std::min(bounds.top, y);
                bounds.right = std::max(bounds.right, x + 1);
                bounds.bottom = std::max(bounds.bottom, y + 1);
            }
        }
    }
    if (bounds.left >= bounds.right) {
        return RECT{};
    }
    return bounds;
}

bool Screenshot::SameIn(const Screenshot& other, const RECT& area) const {
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (At(x, y) != other.At(x, y)) {
                return false;
            }
        }
    }
    return true;
}

bool Screenshot::Save(const std::wstring& path) const {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;  // top-down rows, as held
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(pixels.size() * sizeof(DWORD));
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    ScopedHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out.valid() && WriteFile(out.get(), &file, sizeof(file), &written, nullptr) &&
           WriteFile(out.get(), &info, sizeof(info), &written, nullptr) &&
           WriteFile(out.get(), pixels.data(), bytes, &written, nullptr);
}

Screenshot CaptureScreen() {
    return CaptureScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

Screenshot CaptureScreen(const RECT& area) {
    Screenshot shot;
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const DWORD* source = static_cast<const DWORD*>(bits);
        shot.pixels.assign(source, source + static_cast<size_t>(shot.width) * shot.height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (shot.pixels.empty()) {
        shot.width = shot.height = 0;
    }
    return shot;
}

}  // namespace testing_support
