// Path building for the installer: pieces joined with a length check, and the Internet cache
// folder where the installer keeps its two working files.
#include "installer/path_text.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

bool JoinText(wchar_t* out, size_t capacity, std::initializer_list<const wchar_t*> pieces) {
    if (capacity == 0) {
        return false;
    }
    size_t used = 0;
    for (const wchar_t* piece : pieces) {
        size_t length = wcslen(piece);
        if (length >= capacity - used) {
            out[0] = L'\0';
            return false;
        }
        wmemcpy(out + used, piece, length);
        used += length;
    }
    out[used] = L'\0';
    return true;
}

bool InternetCachePath(wchar_t* out, size_t capacity, const wchar_t* suffix) {
    wchar_t folder[kInstallerPathChars];
    // No CSIDL_FLAG_CREATE: the folder belongs to the system; when it is missing the file
    // creation that follows fails and the step ends there.
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return false;
    }
    return JoinText(out, capacity, {folder, suffix});
}
