// Replacing a file in one step, so that a failed or partial write never costs the old file.
#pragma once

#include <windows.h>

#include <cstdint>

// Writes `length` bytes to a new temporary file beside `path`, checks that every byte reached
// it, and then puts it in place of `path` in one rename. False on any failure: the temporary
// file is removed and `path` is left byte for byte as it was. Fails while another process holds
// `path` open without delete sharing (as a running Opera holds its skin).
[[nodiscard]] bool ReplaceFileContents(const wchar_t* path, const void* data, uint32_t length);

// Writes all `length` bytes to `file`, going on after short writes; false when a write fails
// or makes no progress. Wine reports a write cut short by a full disk or a file-size limit as a
// success with fewer bytes, so one WriteFile result alone proves nothing.
[[nodiscard]] bool WriteWholeBuffer(HANDLE file, const void* data, uint32_t length);
