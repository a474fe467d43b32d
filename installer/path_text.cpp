// The Internet cache folder where the installer leaves the button image file.
#include "installer/path_text.h"

#include <shlobj.h>
#include <windows.h>

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
