// LocateOpera: from the command line or folder of Opera's last start (registry) to the program
// file, its version, the default settings file, the profile folder and the preferences file.
#include "opera/opera_location.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

#include "base/file_version.h"
#include "base/path_builder.h"
#include "base/registry_text.h"

namespace {

constexpr wchar_t kOperaKey[] = L"Software\\Opera Software";
constexpr wchar_t kProgramName[] = L"opera.exe";
constexpr size_t kProgramNameChars = 9;
constexpr int kMultiUserMissing = 7;

// A text value of Opera's key into a 260-character buffer (Opera keeps it in the user's own
// view); absent, not text, or too long for the buffer all count as absent.
bool ReadOperaValue(const wchar_t* name, wchar_t* buffer) {
    return ReadRegistryText(HKEY_CURRENT_USER, kOperaKey, name, RegistryView::Own,
                            TextExpansion::Expanded, buffer, MAX_PATH);
}

// Step 1: the last start's command line, newer value first, else the program folder + name.
bool ReadProgramPath(wchar_t* programDir) {
    if (ReadOperaValue(L"Last CommandLine v2", programDir) ||
        ReadOperaValue(L"Last CommandLine", programDir)) {
        // A command line whose program path holds blanks is quoted; without this the quote
        // would stay at the front of the program folder and nothing would be found there.
        if (programDir[0] == L'"') {
            wmemmove(programDir, programDir + 1, wcslen(programDir));
        }
        return true;
    }
    return ReadOperaValue(L"Last Directory3", programDir) && AppendPath(programDir, kProgramName);
}

// Steps 2 to 4: the bare program path, its version (9.50 or later), then the program folder.
bool CheckProgram(OperaLocation* location) {
    wchar_t* programDir = location->programDir;
    // The first three characters (a drive, or a quote and a drive) never hold the name.
    if (wcslen(programDir) <= 3) {
        return false;
    }
    wchar_t* match = StrStrIW(programDir + 3, kProgramName);
    if (match == nullptr) {
        return false;
    }
    match[kProgramNameChars] = L'\0';  // drops a closing quote and any arguments
    if (!ReadFileVersion(programDir, &location->versionMajor, &location->versionMinor)) {
        return false;
    }
    if (location->versionMajor < 9 ||
        (location->versionMajor == 9 && location->versionMinor < 50)) {
        return false;
    }
    match = StrStrIW(programDir, kProgramName);
    if (match == nullptr) {
        return false;
    }
    *match = L'\0';
    return true;
}

// Step 7, multi-user: "<roaming application data>\Opera\<program folder's name>". Leaves
// programDir without its trailing backslash.
bool BuildMultiUserProfile(OperaLocation* location) {
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, location->profileDir)) ||
        !AppendPath(location->profileDir, L"\\Opera")) {
        return false;
    }
    wchar_t* cut = wcsrchr(location->programDir, L'\\');
    if (cut == nullptr) {
        return false;
    }
    *cut = L'\0';
    const wchar_t* folderName = wcsrchr(location->programDir, L'\\');
    return folderName != nullptr && AppendPath(location->profileDir, folderName);
}

// The first file in `folder` named `name` (`folder` may end with a backslash already).
bool FindIn(const wchar_t* folder, const wchar_t* name, WIN32_FIND_DATAW* findData) {
    wchar_t pattern[MAX_PATH];
    return JoinText(pattern, {folder, L"\\", name}) && FindFirstMatch(pattern, findData);
}

// Looks for the preferences file in `folder`, the newer name first.
bool FindPrefsFile(const wchar_t* folder, WIN32_FIND_DATAW* findData) {
    return FindIn(folder, L"operaprefs.ini", findData) || FindIn(folder, L"opera6.ini", findData);
}

// Steps 8 and 9: the preferences file in profileDir, else in its "profile" sub-folder. The
// searches name the folders in full: the process's current directory is not Opera's to change.
bool FindPrefs(OperaLocation* location) {
    WIN32_FIND_DATAW found;
    if (!FindPrefsFile(location->profileDir, &found)) {
        if (!AppendPath(location->profileDir, L"\\profile") ||
            !FindPrefsFile(location->profileDir, &found)) {
            return false;
        }
    }
    return JoinText(location->prefsPath, {location->profileDir, L"\\", found.cFileName});
}

}  // namespace

bool LocateOpera(OperaLocation* location) {
    location->programDir[0] = L'\0';
    if (!ReadProgramPath(location->programDir) || !CheckProgram(location)) {
        return false;
    }

    // Step 5: the default settings file beside the program (programDir ends with a backslash).
    WIN32_FIND_DATAW found;
    wchar_t pattern[MAX_PATH];
    if (!JoinText(pattern, {location->programDir, L"oper*de*.ini"}) ||
        !FindFirstMatch(pattern, &found) ||
        !JoinText(location->mainIniPath, {location->programDir, found.cFileName})) {
        return false;
    }

    // Step 6: 0 is a single-user installation; the default 7 means the key is missing.
    UINT multiUser =
        GetPrivateProfileIntW(L"System", L"Multi User", kMultiUserMissing, location->mainIniPath);
    if (multiUser == kMultiUserMissing) {
        return false;
    }
    if (multiUser != 0) {
        if (!BuildMultiUserProfile(location)) {
            return false;
        }
    } else {
        wcscpy(location->profileDir, location->programDir);
    }
    return FindPrefs(location);
}
