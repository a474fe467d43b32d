// The cleaners' own helpers: the version test and folder walk of the storage removals, and the
// wait for a window that a cleaner asked to close.
#include "cleaners/automation.h"

#include <cwchar>

#include "base/held_file.h"
#include "base/path_builder.h"
#include "base/poll.h"
#include "base/scoped.h"
#include "run/run_state.h"

bool IsPreVistaWindows() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    // On failure the zeroed major version 0 counts as an old system.
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    return version.dwMajorVersion < 6;
}

namespace {

// Room for a few entries of a listing, each at most 104 bytes and a 255-character name.
constexpr DWORD kListingBytes = 2048;

// The name of one listed entry, terminated, in `name`; false for "." and "..", and for a name
// that no path could hold.
bool EntryName(const FILE_ID_BOTH_DIR_INFO& entry, wchar_t (&name)[kPathChars]) {
    size_t chars = entry.FileNameLength / sizeof(wchar_t);
    if (chars == 0 || chars >= kPathChars) {
        return false;
    }
    wmemcpy(name, entry.FileName, chars);
    name[chars] = L'\0';
    return wcscmp(name, L".") != 0 && wcscmp(name, L"..") != 0;
}

// The next entries of the held folder's listing; false once all were given, or on failure.
bool ListNextEntries(HANDLE folder, BYTE (&listing)[kListingBytes]) {
    return GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, listing, kListingBytes) !=
           FALSE;
}

// Removes one entry whose full path is in `path`. A junction or a symbolic link to a folder
// carries the directory attribute too, but DeleteTree does not hold it (it is no folder of its
// own) and so removes it as a link, without walking into it: its target may lie outside the
// folder the caller asked to empty. DeleteFileW removes a link to a file as a link (Wine 8, which
// shows such a Unix link as a plain file, removes the file it leads to instead).
void DeleteEntry(wchar_t* path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        DeleteTree(path, true);
    } else {
        DeleteFileW(path);
    }
}

// Removes the entries of the folder held in `folder`, whose path is in `path`, listed through
// the handle itself. `path` holds the folder's path again on return: the path builder leaves it
// unchanged when an entry's path does not fit, and each entry's name is cut off after use.
void DeleteEntries(HANDLE folder, wchar_t* path) {
    size_t length = wcslen(path);
    alignas(8) BYTE listing[kListingBytes];
    while (ListNextEntries(folder, listing)) {
        for (DWORD offset = 0;;) {
            const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(listing + offset);
            wchar_t name[kPathChars];
            if (EntryName(entry, name) && JoinText(path, kPathChars, {path, L"\\", name})) {
                DeleteEntry(path, entry.FileAttributes);
                path[length] = L'\0';
            }
            if (entry.NextEntryOffset == 0) {
                break;
            }
            offset += entry.NextEntryOffset;
        }
    }
}

}  // namespace

void DeleteTree(wchar_t* path, bool removeSelf) {
    {
        // Held until its entries are gone, without delete sharing: the folder cannot be renamed
        // or replaced by a link meanwhile, so every path built below it leads into this folder.
        // A link or junction is never held, and so never walked.
        ScopedHandle folder = HoldFolder(path);
        if (folder.valid()) {
            DeleteEntries(folder.get(), path);
        }
    }
    // RemoveDirectoryW removes a link as a link, and a folder only once it is empty.
    if (removeSelf) {
        RemoveDirectoryW(path);
    }
}

bool WaitWindowGone(DWORD budgetMs, HWND window) {
    return PollUntil(static_cast<int>(budgetMs / 500), 500, PollOrder::AbortPauseTest,
                     AbortRequested, [window] { return !IsWindow(window); }) == PollResult::Met;
}
