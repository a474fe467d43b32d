// A program file's version, as its version resource gives it: Opera's locator checks Opera's and
// the CCleaner runner CCleaner's.
#pragma once

#include <windows.h>

// The most significant part of `path`'s file version resource (major: high word, minor: low
// word). False, with both outputs 0, when the file has no readable version resource.
[[nodiscard]] bool ReadFileVersion(const wchar_t* path, DWORD* major, DWORD* minor);
