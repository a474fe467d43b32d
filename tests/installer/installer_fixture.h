// What the installer's tests lay out besides an Opera installation: the App Paths registration
// of Sweeply.exe, and skin archives made and read back with the zip component.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace installer_fixture {

constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Sweeply.exe";

// HKLM "...\App Paths\Sweeply.exe" with `path` (none for null) as its default value while in
// scope; an earlier registration is given back afterwards.
struct ScopedAppPath : testing_support::ScopedRegistryText {
    explicit ScopedAppPath(const wchar_t* path)
        : ScopedRegistryText(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr, path) {}
};

struct SkinEntry {
    std::wstring name;
    bool folder = false;
    std::string data;
    bool fromFile = false;  // the zip reader's attributes say so; not compared
    bool operator==(const SkinEntry& other) const {
        return name == other.name && folder == other.folder && data == other.data;
    }
    friend void PrintTo(const SkinEntry& entry, std::ostream* out) {
        *out << testing_support::Narrow(entry.name) << " (" << entry.data.size() << " bytes)";
    }
};

// A skin archive in the shape of Opera's: a "skin.ini" with `skinIni` as its text, `pngCount`
// incompressible images in a folder, `withOldImage` an earlier "buttons/sweeply.png" among them,
// a nested "defaults/skin.ini" and a larger file.
std::vector<SkinEntry> RealisticSkin(int pngCount, const std::string& skinIni, bool withOldImage);

// Writes `entries` as a zip archive to `path` / reads every entry back, with the zip component.
bool WriteSkinArchive(const std::wstring& path, const std::vector<SkinEntry>& entries);
bool ReadSkinArchive(const std::wstring& path, std::vector<SkinEntry>* entries);

// Names in `folder` that begin with `prefix`, sorted: what a run left behind.
std::vector<std::wstring> ListFolder(const std::wstring& folder, const std::wstring& prefix = L"");

}  // namespace installer_fixture
