// Atomic replacement of the skin archive: the new image goes to a temporary file in the same
// folder (same volume, so the final rename cannot turn into a copy) and is renamed over the old.
#include "installer/file_replace.h"

#include <windows.h>

#include <cwchar>

#include "base/scoped.h"
#include "installer/path_text.h"

namespace {

// Folder part of `path` (everything before its last backslash).
bool FolderOf(const wchar_t* path, wchar_t (&folder)[kInstallerPathChars]) {
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr || static_cast<size_t>(slash - path) >= kInstallerPathChars) {
        return false;
    }
    size_t length = static_cast<size_t>(slash - path);
    wmemcpy(folder, path, length);
    folder[length] = L'\0';
    return true;
}

bool WriteTemporaryFile(const wchar_t* tempPath, const void* data, uint32_t length) {
    ScopedHandle file(CreateFileW(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !WriteWholeBuffer(file.get(), data, length) ||
        !FlushFileBuffers(file.get())) {
        return false;
    }
    LARGE_INTEGER size;
    return GetFileSizeEx(file.get(), &size) && size.QuadPart == static_cast<LONGLONG>(length);
}

}  // namespace

bool WriteWholeBuffer(HANDLE file, const void* data, uint32_t length) {
    const BYTE* next = static_cast<const BYTE*>(data);
    uint32_t left = length;
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(file, next, left, &written, nullptr) || written == 0 || written > left) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

bool ReplaceFileContents(const wchar_t* path, const void* data, uint32_t length) {
    wchar_t folder[kInstallerPathChars];
    wchar_t tempPath[kInstallerPathChars];
    // GetTempFileNameW creates the (empty) file, so the name is ours from here on.
    if (!FolderOf(path, folder) || GetTempFileNameW(folder, L"swp", 0, tempPath) == 0) {
        return false;
    }
    if (!WriteTemporaryFile(tempPath, data, length) ||
        !MoveFileExW(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tempPath);
        return false;
    }
    return true;
}
