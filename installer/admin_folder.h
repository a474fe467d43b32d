// A working folder for files that the elevated installer writes and then reads back: made fresh
// for the purpose, changeable by administrators and the system only, and removed afterwards.
#pragma once

#include <windows.h>

#include "installer/path_text.h"

// Names of the working folders, so that one left by a killed run can be told by its name.
constexpr wchar_t kAdminFolderPrefix[] = L"SweeplyOpera-";

class AdminFolder {
  public:
    // Creates a folder of a fresh name in the system's temporary folder (not the user's), whose
    // security descriptor, owner Administrators and a protected list of two entries (full
    // control for Administrators and for SYSTEM), is inherited by the files made in it.
    AdminFolder();
    // Removes the files in the folder, then the folder.
    ~AdminFolder();
    AdminFolder(const AdminFolder&) = delete;
    AdminFolder& operator=(const AdminFolder&) = delete;

    // True when the folder was made; `path` is then its full path, else empty.
    [[nodiscard]] bool valid() const { return path_[0] != L'\0'; }
    [[nodiscard]] const wchar_t* path() const { return path_; }

  private:
    wchar_t path_[kInstallerPathChars] = {};
};
