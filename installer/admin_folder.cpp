// The installer's admin-only working folder. It lies in the system's temporary folder, where a
// standard user may create folders of their own but cannot rename or remove anyone else's (no
// delete-child right there), and its name is a fresh GUID made with CreateDirectoryW, which
// fails on any existing name: a folder or link that a user put there beforehand is never used.
// The user's own temporary or cache folders would not do: the user may rename anything in them,
// whatever its security descriptor, and put a link in its place.
#include "installer/admin_folder.h"

#include <sddl.h>
#include <windows.h>

#include "base/scoped.h"
#include "installer/file_replace.h"

namespace {

// Owner Administrators (not the elevated user, whose unelevated programs share the user's SID
// and with it the owner's right to rewrite the list); protected, so nothing is inherited from the
// temporary folder, where every user may create files.
constexpr wchar_t kAdminOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

struct LocalTraits {
    static bool Valid(HLOCAL memory) { return memory != nullptr; }
    static void Close(HLOCAL memory) { LocalFree(memory); }
};
using ScopedLocal = Scoped<HLOCAL, nullptr, LocalTraits>;

}  // namespace

AdminFolder::AdminFolder() {
    wchar_t windows[kInstallerPathChars];
    UINT length = GetSystemWindowsDirectoryW(windows, kInstallerPathChars);
    wchar_t name[kUniqueNameChars];
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (length == 0 || length >= kInstallerPathChars || !MakeUniqueName(name) ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnly, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return;
    }
    ScopedLocal owned(descriptor);
    SECURITY_ATTRIBUTES security = {sizeof(security), descriptor, FALSE};
    if (!JoinText(path_, {windows, L"\\Temp\\", kAdminFolderPrefix, name}) ||
        !CreateDirectoryW(path_, &security)) {
        path_[0] = L'\0';
    }
}

AdminFolder::~AdminFolder() {
    if (!valid()) {
        return;
    }
    // Only administrators can have put anything here, so the walk by name is safe.
    wchar_t entry[kInstallerPathChars];
    WIN32_FIND_DATAW found;
    ScopedFind find;
    if (JoinText(entry, {path_, L"\\*"})) {
        find.reset(FindFirstFileW(entry, &found));
    }
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &found) != FALSE) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            JoinText(entry, {path_, L"\\", found.cFileName})) {
            DeleteFileW(entry);
        }
    }
    find.reset();
    RemoveDirectoryW(path_);
}
