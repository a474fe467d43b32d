// The plug-in storage removals: Flash Player's shared objects and Silverlight's isolated storage,
// emptied with the shared folder walk. No abort test: they run first and take no time to speak of.
#include "cleaners/plugin_storage.h"

#include <windows.h>

#include <shlobj.h>

#include <cwchar>

#include "base/path_builder.h"
#include "base/scoped.h"
#include "cleaners/automation.h"

namespace {

// True when every folder of `path` from character `from` on exists and none is a link or
// junction. The storage folders lie in places other programs can write to (LocalLow is open to
// low-integrity processes): a folder replaced by a junction must not lead the walk elsewhere.
bool FoldersExistWithoutLinks(wchar_t* path, size_t from) {
    for (size_t i = from + 1;; ++i) {
        wchar_t kept = path[i];
        if (kept != L'\\' && kept != L'\0') {
            continue;
        }
        path[i] = L'\0';
        DWORD attributes = GetFileAttributesW(path);
        path[i] = kept;
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return false;
        }
        if (kept == L'\0') {
            return true;
        }
    }
}

// Empties the folder `tail` names under the special folder `csidl`; `tail` is appended as it
// stands, so it carries its own leading backslash where one belongs.
void EmptyStorageFolder(int csidl, const wchar_t* tail) {
    ScopedGlobal memory(GlobalAlloc(GMEM_FIXED, kPathChars * sizeof(wchar_t)));
    if (!memory.valid()) {
        return;
    }
    auto* path = static_cast<wchar_t*>(static_cast<void*>(memory.get()));
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return;
    }
    size_t specialFolderLength = wcslen(path);
    if (!AppendPath(path, tail) || !FoldersExistWithoutLinks(path, specialFolderLength)) {
        return;
    }
    DeleteTree(path, false);
}

}  // namespace

void RemoveFlashSharedObjects() {
    EmptyStorageFolder(CSIDL_APPDATA, L"\\Macromedia\\Flash Player\\#SharedObjects");
}

void RemoveSilverlightStorage() {
    // From Vista on, Silverlight keeps its storage in the low-integrity "LocalLow" folder, which
    // has no folder identifier of its own here: it is Local's sibling, named Local + "Low".
    if (IsPreVistaWindows()) {
        EmptyStorageFolder(CSIDL_LOCAL_APPDATA, L"\\Microsoft\\Silverlight");
    } else {
        EmptyStorageFolder(CSIDL_LOCAL_APPDATA, L"Low\\Microsoft\\Silverlight");
    }
}
