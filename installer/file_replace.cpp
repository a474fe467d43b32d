// Atomic replacement of a file: the new bytes go to a fresh file in the same folder (same volume,
// so the final rename cannot turn into a copy) and are renamed over the old name. Used for the
// skin archive and for the button image in the user's Internet cache folder.
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

// CREATE_NEW fails on any existing name, and FILE_FLAG_OPEN_REPARSE_POINT keeps Windows from
// resolving a link planted there (which would otherwise create the file where the link points).
bool WriteNewFile(const wchar_t* newPath, const void* data, uint32_t length) {
    ScopedHandle file = CreateNewFile(newPath);
    if (!file.valid()) {
        return false;
    }
    LARGE_INTEGER size;
    bool written = WriteWholeBuffer(file.get(), data, length) && FlushFileBuffers(file.get()) &&
                   GetFileSizeEx(file.get(), &size) &&
                   size.QuadPart == static_cast<LONGLONG>(length);
    file.reset();
    if (!written) {
        DeleteFileW(newPath);
    }
    return written;
}

}  // namespace

bool ReplaceFileContents(const wchar_t* path, const void* data, uint32_t length) {
    wchar_t folder[kInstallerPathChars];
    wchar_t name[kUniqueNameChars];
    wchar_t newPath[kInstallerPathChars];
    if (!FolderOf(path, folder) || !MakeUniqueName(name) ||
        !JoinText(newPath, {folder, L"\\", name, L".tmp"}) ||
        !WriteNewFile(newPath, data, length)) {
        return false;
    }
    // The old entry is replaced by the rename, not deleted beforehand: a rename never follows a
    // link at its target name, on Windows or under Wine, whereas Wine's DeleteFileW on a link to
    // a file removes the file it points to.
    if (!MoveFileExW(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(newPath);
        return false;
    }
    return true;
}
