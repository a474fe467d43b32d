// Puts the Sweeply button into Opera's document toolbar through the profile-string functions, so
// that Windows parses the file, creates it when missing and replaces an earlier button key.
#include "installer/toolbar_patch.h"

#include <windows.h>

#include <cwchar>

#include "base/held_file.h"
#include "base/registry_text.h"
#include "base/scoped.h"
#include "installer/path_text.h"

namespace {

constexpr wchar_t kSection[] = L"Document Toolbar.content";
constexpr wchar_t kButtonKey[] = L"Button3001, \"Sweeply\"";
constexpr wchar_t kValueHead[] =
    L"\"Delete private data, , , \"Delete private data and erase the internet history and other "
    L"tracks on your computer\", \"Sweeply\" & Click default button & Execute program, \"";
// The last quotation mark closes the whole value, as the head's first one opened it: the profile
// functions strip that pair on reading, and Opera then sees "opera/f cc" closed.
constexpr wchar_t kValueTail[] = L"\",\"opera/f cc\"\"";
constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Sweeply.exe";

constexpr DWORD kProbeChars = 16;
constexpr DWORD kCopyChars = 2047;
// GetPrivateProfileSectionW answers size - 2 when the section did not fit.
constexpr DWORD kCopyCutShort = kCopyChars - 2;
constexpr size_t kValueChars = 384;

bool IsFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes P\toolbar ready and holds it open in `held`, so that the folder stays the one checked
// until the patch ends; false when it cannot be made or is a link.
bool HoldToolbarFolder(const wchar_t* profileDir, ScopedHandle& held) {
    wchar_t folder[kInstallerPathChars];
    if (!JoinText(folder, {profileDir, L"\\toolbar"})) {
        return false;
    }
    DWORD attributes = GetFileAttributesW(folder);
    if ((attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) &&
        !CreateDirectoryW(folder, nullptr)) {
        return false;
    }
    held = HoldFolder(folder);
    return held.valid();
}

// Checked just before the profile functions write `target`: true when it is a plain file or
// missing (they then create it in the held folder). The file is not held meanwhile, since those
// functions open it in their own way; the gap between this check and their write is short.
bool IsPlainFileOrMissing(const wchar_t* target) {
    if (HoldFile(target, 0).valid()) {
        return true;
    }
    DWORD attributes = GetFileAttributesW(target);
    return attributes == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Opera's default toolbar file: "ui\" first, then "defaults\".
bool FindDefaultToolbar(const wchar_t* programDir, wchar_t (&source)[kInstallerPathChars]) {
    for (const wchar_t* name :
         {L"\\ui\\standard_toolbar.ini", L"\\defaults\\standard_toolbar.ini"}) {
        if (!JoinText(source, {programDir, name})) {
            return false;
        }
        if (IsFile(source)) {
            return true;
        }
    }
    return false;
}

// Copies Opera's default section into P\toolbar\standard_toolbar.ini, which becomes the target.
bool CopyDefaultSection(const OperaLocation& opera, wchar_t (&target)[kInstallerPathChars]) {
    wchar_t source[kInstallerPathChars];
    if (!FindDefaultToolbar(opera.programDir, source)) {
        return false;
    }
    wchar_t copy[kCopyChars];
    // Nothing is written yet. A cut list would lose default buttons; an empty one (no section,
    // or one without entries) would leave the user a toolbar holding only the Sweeply button.
    DWORD length = GetPrivateProfileSectionW(kSection, copy, kCopyChars, source);
    if (length == 0 || length == kCopyCutShort) {
        return false;
    }
    if (!JoinText(target, {opera.profileDir, L"\\toolbar\\standard_toolbar.ini"})) {
        return false;
    }
    // Checked, unlike a plain copy would be: a failed copy followed by a written button would
    // leave the user a toolbar that holds nothing but the Sweeply button.
    return IsPlainFileOrMissing(target) &&
           WritePrivateProfileSectionW(kSection, copy, target) != FALSE;
}

// The toolbar file that receives the button: the first profile file found whose section already
// has entries, or standard_toolbar.ini when its section has entries, else standard_toolbar.ini
// filled with Opera's defaults. A profile without any toolbar file (a
// fresh one) is treated as one with an empty section, so its user gets the button too.
bool ChooseTarget(const OperaLocation& opera, wchar_t (&target)[kInstallerPathChars]) {
    wchar_t pattern[kInstallerPathChars];
    if (!JoinText(pattern, {opera.profileDir, L"\\toolbar\\standard_toolba*.ini"})) {
        return false;
    }
    WIN32_FIND_DATAW found;
    wchar_t probe[kProbeChars];
    if (FindFirstMatch(pattern, &found)) {
        if (!JoinText(target, {opera.profileDir, L"\\toolbar\\", found.cFileName})) {
            return false;
        }
        if (GetPrivateProfileSectionW(kSection, probe, kProbeChars, target) != 0) {
            return true;
        }
    }
    // The first match may be another file (a blank sorts before the dot) while Opera's own
    // standard_toolbar.ini already holds the user's buttons: those are never overwritten with
    // the defaults; the button joins them.
    if (!JoinText(target, {opera.profileDir, L"\\toolbar\\standard_toolbar.ini"})) {
        return false;
    }
    if (GetPrivateProfileSectionW(kSection, probe, kProbeChars, target) != 0) {
        return true;
    }
    return CopyDefaultSection(opera, target);
}

}  // namespace

bool ReadSweeplyAppPath(wchar_t (&path)[130]) {
    // The 64-bit view first on 64-bit Windows: that is where the shell, and a .reg file imported
    // by regedit, keep App Paths. Then this program's own view, where a 32-bit setup writes.
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kAppPathsKey, L"", RegistryView::SixtyFourBitFirst,
                            TextExpansion::Expanded, path) &&
           path[0] != L'\0';
}

bool PatchOperaToolbar(const OperaLocation& opera) {
    ScopedHandle toolbarFolder;
    if (!HoldToolbarFolder(opera.profileDir, toolbarFolder)) {
        return false;
    }
    wchar_t target[kInstallerPathChars];
    if (!ChooseTarget(opera, target)) {
        return false;
    }
    wchar_t appPath[130];
    wchar_t value[kValueChars];
    if (!ReadSweeplyAppPath(appPath) || !JoinText(value, {kValueHead, appPath, kValueTail})) {
        return false;
    }
    return IsPlainFileOrMissing(target) &&
           WritePrivateProfileStringW(kSection, kButtonKey, value, target) != FALSE;
}
