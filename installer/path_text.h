// Bounded joining of path pieces into the installer's 260-character buffers: a path that would
// not fit is a failure of the step that builds it, never a cut path.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>

constexpr size_t kInstallerPathChars = MAX_PATH;

// Writes the pieces one after the other into `out` (room for `capacity` characters, terminator
// included); false, with `out` emptied, when they do not fit.
[[nodiscard]] bool JoinText(wchar_t* out,
                            size_t capacity,
                            std::initializer_list<const wchar_t*> pieces);

template <size_t N>
[[nodiscard]] bool JoinText(wchar_t (&out)[N], std::initializer_list<const wchar_t*> pieces) {
    return JoinText(out, N, pieces);
}

// The current user's Internet cache folder followed by `suffix` (which starts with a backslash);
// false when the folder cannot be obtained or the path does not fit `capacity`.
[[nodiscard]] bool InternetCachePath(wchar_t* out, size_t capacity, const wchar_t* suffix);
