// Stand-in for Internet Explorer's Internet Options module (inetcpl.cpl), whose two clearing
// entries are only stubs in Wine: a modal Delete Browsing History dialog and the rundll32 entry.
// Both clear the files directly inside the prefix's Internet cache, cookie and history folders.
#include <windows.h>

#include <shlobj.h>

#include <cwchar>
#include <initializer_list>

#include "tests/standins/common/standin.h"
#include "tests/standins/inetcpl/inetcpl_ids.h"

namespace {

HINSTANCE moduleInstance = nullptr;

// Category bits of the rundll32 entry, as Internet Explorer numbers them.
constexpr DWORD kHistoryBit = 1;
constexpr DWORD kCookiesBit = 2;
constexpr DWORD kCacheBit = 8;

// Deletes the files (not the folders) directly inside a special folder; logs how many went.
void ClearFolder(int csidl, const wchar_t* category) {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        StandinLog(L"no folder for %ls", category);
        return;
    }
    wchar_t pattern[MAX_PATH];
    swprintf(pattern, MAX_PATH, L"%ls\\*", folder);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern, &entry);
    int removed = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            wchar_t file[MAX_PATH];
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                swprintf(file, MAX_PATH, L"%ls\\%ls", folder, entry.cFileName) > 0 &&
                DeleteFileW(file)) {
                ++removed;
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    StandinLog(L"cleared %ls %d", category, removed);
}

void ClearCategories(DWORD bits) {
    if (bits & kCacheBit) {
        ClearFolder(CSIDL_INTERNET_CACHE, L"cache");
    }
    if (bits & kCookiesBit) {
        ClearFolder(CSIDL_COOKIES, L"cookies");
    }
    if (bits & kHistoryBit) {
        ClearFolder(CSIDL_HISTORY, L"history");
    }
}

DWORD CheckedCategories(HWND dialog) {
    DWORD bits = 0;
    bits |= IsDlgButtonChecked(dialog, IDC_CACHE) ? kCacheBit : 0;
    bits |= IsDlgButtonChecked(dialog, IDC_COOKIES) ? kCookiesBit : 0;
    bits |= IsDlgButtonChecked(dialog, IDC_HISTORY) ? kHistoryBit : 0;
    return bits;
}

// Misbehaviour on request, each leaving exactly one way to the Delete button: "German" keeps only
// the identifier (the button is moved first among the children, so Cancel is the nineteenth);
// "no id" keeps only the place; "caption only" keeps only the English caption.
void OnInitDialog(HWND dialog) {
    for (int id : {IDC_FAVORITES, IDC_CACHE, IDC_COOKIES, IDC_HISTORY}) {
        CheckDlgButton(dialog, id, BST_CHECKED);
    }
    HWND button = GetDlgItem(dialog, IDC_DELETE);
    bool german = StandinFlag(L"INETCPL_GERMAN");
    bool noId = StandinFlag(L"INETCPL_NOID");
    bool captionOnly = StandinFlag(L"INETCPL_CAPTIONONLY");
    if (german || noId) {
        SetWindowTextW(button, L"&L\u00f6schen");
    }
    if (noId || captionOnly) {
        SetWindowLongPtrW(button, GWLP_ID, IDC_DELETE_UNNUMBERED);
    }
    if (german || captionOnly) {
        SetWindowPos(button, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (StandinFlag(L"INETCPL_NOBUTTONS")) {
        DestroyWindow(button);
        DestroyWindow(GetDlgItem(dialog, IDCANCEL));
    }
    StandinLog(L"dialog shown");
}

void OnCommand(HWND dialog, WORD id) {
    if (id == IDC_DELETE || id == IDC_DELETE_UNNUMBERED) {
        StandinLog(L"delete pressed");
        ClearCategories(CheckedCategories(dialog));
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        StandinLog(L"cancelled");
        EndDialog(dialog, IDCANCEL);
    }
}

[[maybe_unused]] INT_PTR CALLBACK DeleteHistoryProc(HWND dialog,
                                                    UINT message,
                                                    WPARAM wParam,
                                                    LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

#ifndef INETCPL_WITHOUT_DIALOG_ENTRY
// Shows the dialog modally on the calling thread and returns when it has closed.
extern "C" __declspec(dllexport) BOOL WINAPI ShowDeleteBrowsingHistoryDialog(HWND owner) {
    INT_PTR result = DialogBoxParamW(moduleInstance, MAKEINTRESOURCEW(IDD_DELETE_HISTORY), owner,
                                     DeleteHistoryProc, 0);
    StandinLog(L"dialog closed");
    return result == IDOK;
}
#endif

// rundll32 entries: Windows' and Wine's rundll32 look up the name with "W" appended first and
// use the plain (ANSI) name only when that is missing, so the wide one is the one that runs.
extern "C" __declspec(dllexport) void CALLBACK
    ClearMyTracksByProcessW(HWND, HINSTANCE, LPWSTR arguments, int) {
    DWORD bits = wcstoul(arguments != nullptr ? arguments : L"", nullptr, 10);
    StandinLog(L"tracks %lu", bits);
    ClearCategories(bits);
}

extern "C" __declspec(dllexport) void CALLBACK
    ClearMyTracksByProcess(HWND, HINSTANCE, LPSTR arguments, int) {
    StandinLog(L"tracks through the ANSI entry [%hs]", arguments != nullptr ? arguments : "");
}
