// LocateOpera: from the command line or folder of Opera's last start (registry) to the program
// file, its version, the default settings file, the profile folder and the preferences file.
#include "opera/opera_location.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

namespace {

constexpr wchar_t kOperaKey[] = L"Software\\Opera Software";
constexpr wchar_t kProgramName[] = L"opera.exe";
constexpr size_t kProgramNameChars = 9;
constexpr int kMultiUserMissing = 7;

// A text value of Opera's key into a 260-character buffer; absent, not text, or too long for
// the buffer all count as absent.
bool ReadOperaValue(const wchar_t* name, wchar_t* buffer) {
    DWORD type = 0;
    DWORD bytes = MAX_PATH * sizeof(wchar_t);
    if (SHGetValueW(HKEY_CURRENT_USER, kOperaKey, name, &type, buffer, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return false;
    }
    // Registry text need not be terminated: terminate it within the buffer or refuse it.
    size_t chars = bytes / sizeof(wchar_t);
    if (chars > 0 && buffer[chars - 1] == L'\0') {
        return true;
    }
    if (chars >= MAX_PATH) {
        return false;
    }
    buffer[chars] = L'\0';
    return true;
}

// Appends `text` to the 260-character `path`; false, leaving `path` as it was, when it would
// not fit.
bool AppendText(wchar_t* path, const wchar_t* text) {
    size_t used = wcslen(path);
    size_t extra = wcslen(text);
    if (used + extra >= MAX_PATH) {
        return false;
    }
    wmemcpy(path + used, text, extra + 1);
    return true;
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
    return ReadOperaValue(L"Last Directory3", programDir) && AppendText(programDir, kProgramName);
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
        !AppendText(location->profileDir, L"\\Opera")) {
        return false;
    }
    wchar_t* cut = wcsrchr(location->programDir, L'\\');
    if (cut == nullptr) {
        return false;
    }
    *cut = L'\0';
    const wchar_t* folderName = wcsrchr(location->programDir, L'\\');
    return folderName != nullptr && AppendText(location->profileDir, folderName);
}

// Looks for the preferences file in the current directory, the newer name first.
bool FindPrefsFile(WIN32_FIND_DATAW* findData) {
    return FindFirstMatch(L"operaprefs.ini", findData) || FindFirstMatch(L"opera6.ini", findData);
}

// Steps 8 and 9: the preferences file in profileDir, else in its "profile" sub-folder. The
// directory changes may fail; the search then runs where the process already was.
bool FindPrefs(OperaLocation* location) {
    WIN32_FIND_DATAW found;
    SetCurrentDirectoryW(location->profileDir);
    if (!FindPrefsFile(&found)) {
        if (!AppendText(location->profileDir, L"\\profile")) {
            return false;
        }
        SetCurrentDirectoryW(location->profileDir);
        if (!FindPrefsFile(&found)) {
            return false;
        }
    }
    wcscpy(location->prefsPath, location->profileDir);
    return AppendText(location->prefsPath, L"\\") &&
           AppendText(location->prefsPath, found.cFileName);
}

}  // namespace

bool LocateOpera(OperaLocation* location) {
    location->programDir[0] = L'\0';
    if (!ReadProgramPath(location->programDir) || !CheckProgram(location)) {
        return false;
    }

    // Step 5: the default settings file beside the program.
    SetCurrentDirectoryW(location->programDir);
    WIN32_FIND_DATAW found;
    if (!FindFirstMatch(L"oper*de*.ini", &found)) {
        return false;
    }
    wcscpy(location->mainIniPath, location->programDir);
    if (!AppendText(location->mainIniPath, found.cFileName)) {
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
