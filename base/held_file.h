// Files and folders opened as themselves, never through a link, and held so that nobody can
// swap them while they are used; and new files written whole. For elevated runs that work in
// folders the user's programs can change.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/scoped.h"

// Characters of a name from MakeUniqueName, terminator included.
constexpr size_t kUniqueNameChars = 39;

// Opens the folder `path` itself for listing, shared for reading and writing but not deleting:
// while the handle is held, the folder cannot be renamed, removed or replaced. Empty when it is
// missing, not a folder, or a link or junction (which is never followed).
[[nodiscard]] ScopedHandle HoldFolder(const wchar_t* path);

// Opens the file `path` itself with `access`, shared likewise. Empty when it is missing, a
// folder, a link, or a file with a second name elsewhere (a hard link).
[[nodiscard]] ScopedHandle HoldFile(const wchar_t* path, DWORD access);

// Creates the file `path` new, for writing and deleting, shared with nobody. Empty when anything
// (a file, a folder or a link) already has that name: a link there is never followed.
[[nodiscard]] ScopedHandle CreateNewFile(const wchar_t* path);

// Copies what is left to read of `from` into `to`, every byte. False when a read or write fails.
[[nodiscard]] bool CopyHeldFile(HANDLE from, HANDLE to);

// Gives the file held in `file` (opened with DELETE access) the full path `newPath`. With
// `replace`, the entry of that name goes (a file or a link, never what the link leads to);
// without, that name must be free. False on failure, with nothing changed.
[[nodiscard]] bool RenameHeldFile(HANDLE file, const wchar_t* newPath, bool replace);

// Marks the file held in `file` (opened with DELETE access) to be removed when it is closed.
void DiscardHeldFile(HANDLE file);

// A fresh GUID in its braced text form, a name that nobody can have chosen beforehand; false
// when the system gives none.
[[nodiscard]] bool MakeUniqueName(wchar_t (&name)[kUniqueNameChars]);

// Writes all `length` bytes to `file`, going on after short writes; false when a write fails
// or makes no progress. Wine reports a write cut short by a full disk or a file-size limit as a
// success with fewer bytes, so one WriteFile result alone proves nothing.
[[nodiscard]] bool WriteWholeBuffer(HANDLE file, const void* data, uint32_t length);
