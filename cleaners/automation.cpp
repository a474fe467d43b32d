// The automation helpers every cleaner calls: bounded paths, the folder walk of the storage
// removals, synthesised input, placing foreign dialogs and the two ways of starting a program.
#include "cleaners/automation.h"

#include <objbase.h>
#include <shellapi.h>

#include <cwchar>

#include "base/scoped.h"

bool AppendPath(wchar_t* path, const wchar_t* text) {
    size_t length = wcsnlen(path, kPathChars);
    if (length == kPathChars) {
        return false;
    }
    for (; *text != L'\0'; ++text) {
        if (length == kPathChars - 1) {
            path[length] = L'\0';
            return false;
        }
        path[length++] = *text;
    }
    path[length] = L'\0';
    return true;
}

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
    size_t folderLength = wcsnlen(path, kPathChars);
    if (!AppendPath(path, L"\\*")) {
        // The pattern does not fit: skip the level, with the folder path as it came in.
        if (folderLength < kPathChars) {
            path[folderLength] = L'\0';
        }
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
    for (DWORD pass = 0; pass < budgetMs / 500; ++pass) {
        if (AbortRequested()) {
            return false;
        }
        Sleep(500);
        if (!IsWindow(window)) {
            return true;
        }
    }
    return false;
}

void CentreOnScreen(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return;
    }
    int x = ScreenCentre.x - (rect.right - rect.left) / 2;
    int y = ScreenCentre.y - (rect.bottom - rect.top) / 2;
    SetWindowPos(window, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

void PressKey(HWND window, WPARAM key) {
    SendMessageW(window, WM_KEYDOWN, key, 0);
    SendMessageW(window, WM_KEYUP, key, 0);
}

void ClickWindow(HWND window) {
    SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
}

bool StartAndWaitIdle(const wchar_t* application, wchar_t* commandLine, bool hidden) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(application, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &started)) {
        return false;
    }
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    return WaitForInputIdle(process.get(), 10000) != WAIT_TIMEOUT;
}

bool ShellStart(const wchar_t* file, const wchar_t* parameters, HANDLE* process) {
    *process = nullptr;
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    // SEE_MASK_FLAG_NO_UI: a missing file must fail quietly, not leave a modal error box
    // that would hold the worker (and a silent run) until someone answers it.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_WAITFORINPUTIDLE | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = file;
    execute.lpParameters = parameters;
    // The shell may use COM for the start; uninitialise whatever CoInitialize answered, as a
    // call that found COM already set up still counts once.
    CoInitialize(nullptr);
    BOOL executed = ShellExecuteExW(&execute);
    CoUninitialize();
    ScopedHandle started(execute.hProcess);
    if (!executed || reinterpret_cast<INT_PTR>(execute.hInstApp) <= 32 || !started.valid()) {
        return false;
    }
    *process = started.detach();
    return true;
}
