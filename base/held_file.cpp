// Opening files and folders as themselves (FILE_FLAG_OPEN_REPARSE_POINT) and working through
// the handles, so that a link planted by another program leads nowhere.
#include "base/held_file.h"

#include <windows.h>

#include <objbase.h>

#include <cwchar>

#include "base/path_builder.h"

namespace {

// Every handle here is held without delete sharing: nobody can rename, remove or replace what
// it stands for until it is closed.
constexpr DWORD kHeldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// True when `opened`, found at `path`, is the folder (or file) itself and no link: no reparse
// point on the handle (FILE_FLAG_OPEN_REPARSE_POINT made a symbolic link's or junction's handle
// its own) nor on the path (Wine opens what a Unix link to a folder leads to even with that
// flag, and only the attributes by path show the link). A file must have no second name: through
// a hard link, an elevated copy would read a file that the user cannot.
bool IsItself(HANDLE opened, const wchar_t* path, bool folder) {
    BY_HANDLE_FILE_INFORMATION info;
    DWORD byPath = GetFileAttributesW(path);
    if (!GetFileInformationByHandle(opened, &info) || byPath == INVALID_FILE_ATTRIBUTES ||
        ((info.dwFileAttributes | byPath) & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    if (folder) {
        return (info.dwFileAttributes & byPath & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return ((info.dwFileAttributes | byPath) & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           info.nNumberOfLinks == 1;
}

ScopedHandle HoldItself(const wchar_t* path, DWORD access, bool folder) {
    DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    ScopedHandle held(CreateFileW(path, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kHeldSharing,
                                  nullptr, OPEN_EXISTING, flags, nullptr));
    if (held.valid() && !IsItself(held.get(), path, folder)) {
        held.reset();
    }
    return held;
}

}  // namespace

ScopedHandle HoldFolder(const wchar_t* path) {
    return HoldItself(path, FILE_LIST_DIRECTORY, true);
}

ScopedHandle HoldFile(const wchar_t* path, DWORD access) {
    return HoldItself(path, access, false);
}

ScopedHandle CreateNewFile(const wchar_t* path) {
    // CREATE_NEW fails on any existing name, and FILE_FLAG_OPEN_REPARSE_POINT keeps Windows from
    // resolving a link planted there (which would otherwise create the file where it points).
    return ScopedHandle(CreateFileW(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool CopyHeldFile(HANDLE from, HANDLE to) {
    BYTE buffer[8192];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, buffer, sizeof(buffer), &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            return true;
        }
        if (!WriteWholeBuffer(to, buffer, read)) {
            return false;
        }
    }
}

bool RenameHeldFile(HANDLE file, const wchar_t* newPath, bool replace) {
    size_t chars = wcsnlen(newPath, kPathChars);
    if (chars >= kPathChars) {
        return false;
    }
    // FILE_RENAME_INFO ends in the name; the union gives it room for a whole path.
    union {
        FILE_RENAME_INFO info;
        BYTE bytes[sizeof(FILE_RENAME_INFO) + kPathChars * sizeof(wchar_t)];
    } rename = {};
    rename.info.ReplaceIfExists = replace ? TRUE : FALSE;
    rename.info.FileNameLength = static_cast<DWORD>(chars * sizeof(wchar_t));
    wmemcpy(rename.info.FileName, newPath, chars);
    return SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof(rename)) != FALSE;
}

void DiscardHeldFile(HANDLE file) {
    FILE_DISPOSITION_INFO discard = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &discard, sizeof(discard));
}

bool MakeUniqueName(wchar_t (&name)[kUniqueNameChars]) {
    GUID guid;
    return SUCCEEDED(CoCreateGuid(&guid)) &&
           StringFromGUID2(guid, name, static_cast<int>(kUniqueNameChars)) ==
               static_cast<int>(kUniqueNameChars);
}

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
