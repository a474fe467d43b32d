// The installer's paths: 260-character buffers joined with base/'s bounded JoinText (a path that
// would not fit is a failure of the step that builds it, never a cut path), and the Internet
// cache folder where the installer leaves the button image file.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/path_builder.h"

constexpr size_t kInstallerPathChars = kPathChars;

// The current user's Internet cache folder followed by `suffix` (which starts with a backslash);
// false when the folder cannot be obtained or the path does not fit `capacity`.
[[nodiscard]] bool InternetCachePath(wchar_t* out, size_t capacity, const wchar_t* suffix);
