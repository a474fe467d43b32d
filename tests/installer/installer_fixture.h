// What the installer's tests lay out besides an Opera installation: the App Paths registration
// of Sweeply.exe, skin archives made and read back with the zip component, and file contents.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace installer_fixture {

constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Sweeply.exe";

// HKLM "...\App Paths\Sweeply.exe" with `path` as its default value while in scope; an earlier
// registration is given back afterwards.
class ScopedAppPath : public testing_support::ScopedRegistryText {
  public:
    explicit ScopedAppPath(const std::wstring& path)
        : ScopedRegistryText(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr, path.c_str()) {}
};

struct SkinEntry {
    std::wstring name;
    bool folder = false;
    std::string data;
    uint32_t attributes = 0;  // as the zip reader gives them; not compared
    bool operator==(const SkinEntry& other) const {
        return name == other.name && folder == other.folder && data == other.data;
    }
};

// A skin archive in the shape of Opera's: folders, `pngCount` small images, a "skin.ini" with
// `skinIni` as its text, a nested "defaults/skin.ini", and `withOldImage` an earlier
// "buttons/sweeply.png".
std::vector<SkinEntry> RealisticSkin(int pngCount, const std::string& skinIni, bool withOldImage);

// Writes `entries` as a zip archive (with the zip writer) to `path`.
bool WriteSkinArchive(const std::wstring& path, const std::vector<SkinEntry>& entries);

// Reads every entry back (with the zip reader); false when the archive cannot be read.
bool ReadSkinArchive(const std::wstring& path, std::vector<SkinEntry>* entries);

// Files in `folder` (names only), for checks that nothing was left behind.
std::vector<std::wstring> ListFolder(const std::wstring& folder);

}  // namespace installer_fixture
