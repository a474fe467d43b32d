// The cleaners' own helpers: the version test and folder walk of the storage removals, and the
// wait for a window that a cleaner asked to close.
#include "cleaners/automation.h"

#include <cwchar>

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

// Cuts `path` just behind its last backslash (keepSeparator) or at it; false without one.
bool CutAtLastBackslash(wchar_t* path, bool keepSeparator) {
    wchar_t* last = wcsrchr(path, L'\\');
    if (last == nullptr) {
        return false;
    }
    last[keepSeparator ? 1 : 0] = L'\0';
    return true;
}

bool IsDotEntry(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

// Removes one entry whose full path is in `path`. A junction or a symbolic link to a folder
// carries the directory attribute too; it is removed as a link and never walked into, since its
// target may lie outside the folder the caller asked to empty.
void DeleteEntry(wchar_t* path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileW(path);
    } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        RemoveDirectoryW(path);
    } else {
        DeleteTree(path, true);
    }
}

}  // namespace

void DeleteTree(wchar_t* path, bool removeSelf) {
    // A pattern that does not fit skips the level, with the folder path as it came in.
    if (!AppendPath(path, L"\\*")) {
        return;
    }
    WIN32_FIND_DATAW entry;
    ScopedFind find(FindFirstFileW(path, &entry));
    if (find.valid()) {
        do {
            if (!CutAtLastBackslash(path, true)) {
                break;
            }
            if (IsDotEntry(entry.cFileName) || !AppendPath(path, entry.cFileName)) {
                continue;
            }
            DeleteEntry(path, entry.dwFileAttributes);
        } while (FindNextFileW(find.get(), &entry));
    }
    find.reset();
    if (CutAtLastBackslash(path, false) && removeSelf) {
        RemoveDirectoryW(path);
    }
}

bool WaitWindowGone(DWORD budgetMs, HWND window) {
    return PollUntil(static_cast<int>(budgetMs / 500), 500, PollOrder::AbortPauseTest,
                     AbortRequested, [window] { return !IsWindow(window); }) == PollResult::Met;
}
