// The plug-in storage removals: Flash Player's shared objects and Silverlight's isolated storage,
// emptied with the shared folder walk. No abort test: they run first and take no time to speak of.
#include "cleaners/plugin_storage.h"

#include <windows.h>

#include <shlobj.h>

#include "cleaners/automation.h"
#include "core/scoped.h"

namespace {

// Empties the folder `tail` names under the special folder `csidl`; `tail` is appended as it
// stands, so it carries its own leading backslash where one belongs.
void EmptyStorageFolder(int csidl, const wchar_t* tail) {
    ScopedGlobal memory(GlobalAlloc(GMEM_FIXED, kPathChars * sizeof(wchar_t)));
    if (!memory.valid()) {
        return;
    }
    auto* path = static_cast<wchar_t*>(static_cast<void*>(memory.get()));
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ||
        !AppendPath(path, tail)) {
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
