// Replacing a file in one step, so that a failed or partial write never costs the old file, and
// a link at the file's name is replaced rather than written through.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/held_file.h"

// Writes `length` bytes to a new file of a fresh name beside `path` (created new, never through
// a link), checks that every byte reached it, and then renames it over `path` in one step, which
// replaces whatever entry bears that name (a file, a link or a second name of another file)
// without writing to what it leads to. False on any failure: the new file is removed and `path`
// is left as it was. Fails while another process holds `path` open without delete sharing (as a
// running Opera holds its skin), or when `path` is a folder or a link to one.
[[nodiscard]] bool ReplaceFileContents(const wchar_t* path, const void* data, uint32_t length);
