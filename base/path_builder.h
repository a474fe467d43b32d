// The one bounded builder for paths and other texts of fixed-size buffers: a text that would not
// fit is a failure of the step that builds it, and the buffer then stays exactly as it was (the
// folder walk relies on that to step back up).
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>

constexpr int kPathChars = MAX_PATH;  // every path buffer: 260 characters, terminator included

// Writes the pieces one after the other into `out` (room for `capacity` characters, terminator
// included). False, with `out` unchanged, when they do not fit. Only the first piece may be `out`
// itself (which then appends); a piece is read no further than `capacity` characters.
[[nodiscard]] bool JoinText(wchar_t* out,
                            size_t capacity,
                            std::initializer_list<const wchar_t*> pieces);

template <size_t N>
[[nodiscard]] bool JoinText(wchar_t (&out)[N], std::initializer_list<const wchar_t*> pieces) {
    return JoinText(out, N, pieces);
}

// Appends `text` to the path in the 260-character buffer `path`. False, with `path` unchanged,
// when the result would not fit or `path` is not terminated within the buffer.
[[nodiscard]] inline bool AppendPath(wchar_t* path, const wchar_t* text) {
    return JoinText(path, kPathChars, {path, text});
}
