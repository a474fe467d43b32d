// The plug-in storage removals: Flash Player's shared objects and Silverlight's isolated storage,
// emptied with the shared folder walk. No abort test: they run first and take no time to speak of.
#include "cleaners/plugin_storage.h"

#include <windows.h>

#include <shlobj.h>

#include <cwchar>

#include "base/held_file.h"
#include "base/path_builder.h"
#include "base/scoped.h"
#include "cleaners/automation.h"

namespace {

// Holds every folder of `path` from character `from` on, one per level of this recursion, and
// empties the last while all are held. The storage folders lie in places other programs can
// write to (LocalLow is open to low-integrity processes): a folder on the way that is a link or
// junction stops the removal, and a held one cannot be swapped for one during the walk.
void EmptyThroughHeldFolders(wchar_t* path, size_t from) {
    size_t end = from + 1;
    while (path[end] != L'\\' && path[end] != L'\0') {
        ++end;
    }
    wchar_t kept = path[end];
    path[end] = L'\0';
    ScopedHandle folder = HoldFolder(path);
    path[end] = kept;
    if (!folder.valid()) {
        return;
    }
    if (kept == L'\0') {
        DeleteTree(path, false);
    } else {
        EmptyThroughHeldFolders(path, end);
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
    if (AppendPath(path, tail)) {
        EmptyThroughHeldFolders(path, specialFolderLength);
    }
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
