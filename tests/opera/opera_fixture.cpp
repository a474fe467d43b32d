// Fake Opera installations for tests; see opera_fixture.h.
#include "tests/opera/opera_fixture.h"

#include <shlobj.h>

#include <cwchar>

namespace opera_fixture {

using namespace testing_support;

const wchar_t* const kCommandLineV2 = L"Last CommandLine v2";
const wchar_t* const kCommandLine = L"Last CommandLine";
const wchar_t* const kDirectory3 = L"Last Directory3";

namespace {

constexpr wchar_t kOperaKey[] = L"Software\\Opera Software";

// The stand-in build of `version` ("9.64" is opera_9_64.exe).
std::wstring StandinFile(const wchar_t* version) {
    std::wstring name = std::wstring(L"opera_") + version;
    for (wchar_t& c : name) {
        c = c == L'.' ? L'_' : c;
    }
    return BinPath((name + L".exe").c_str());
}

std::string PrefsText(const OperaSetup& setup) {
    std::string text = "Opera Preferences version 2.1\r\n\r\n[User Prefs]\r\n";
    if (setup.showStartupDialog != kOmit) {
        text += "Show Startup Dialog=" + std::to_string(setup.showStartupDialog) + "\r\n";
    }
    if (setup.showDefaultBrowserDialog != kOmit) {
        text += "Show Default Browser Dialog=" + std::to_string(setup.showDefaultBrowserDialog) +
                "\r\n";
    }
    return text;
}

std::wstring UniqueSuffix() {
    static LONG counter = 0;
    wchar_t suffix[32];
    swprintf(suffix, 32, L" %lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
    return suffix;
}

}  // namespace

OperaInstallation::OperaInstallation(const OperaSetup& setup) {
    HKEY key = nullptr;
    keyExisted_ =
        RegOpenKeyExW(HKEY_CURRENT_USER, kOperaKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
    for (const wchar_t* name : {kCommandLineV2, kCommandLine, kDirectory3}) {
        SavedValue value{name, {}, 0, false};
        DWORD bytes = 0;
        if (key != nullptr &&
            RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
            value.data.resize(bytes);
            value.existed = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(),
                                             &bytes) == ERROR_SUCCESS;
            RegDeleteValueW(key, name);
        }
        saved_.push_back(value);
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    ready_ = Lay(setup);
}

bool OperaInstallation::Lay(const OperaSetup& setup) {
    std::wstring folder = setup.folderName + UniqueSuffix();
    programDir_ = root_ / folder;
    if (!CreateDirectoryW(programDir_.c_str(), nullptr) ||
        !CopyFileW(StandinFile(setup.version).c_str(), exePath().c_str(), FALSE)) {
        return false;
    }
    if (setup.defaultsName != nullptr) {
        std::string defaults = "[System]\r\n";
        defaults += setup.multiUser == kOmit
                        ? "Other Setting=1\r\n"
                        : "Multi User=" + std::to_string(setup.multiUser) + "\r\n";
        if (!WriteTextFile(programDir_ + L"\\" + setup.defaultsName, defaults)) {
            return false;
        }
    }
    if (setup.multiUser != 0 && setup.multiUser != kOmit) {
        wchar_t appData[MAX_PATH];
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData))) {
            return false;
        }
        std::wstring operaData = std::wstring(appData) + L"\\Opera";
        madeAppDataOpera_ = CreateDirectoryW(operaData.c_str(), nullptr) != FALSE;
        profileRoot_ = operaData + L"\\" + folder;
        if (!CreateDirectoryW(profileRoot_.c_str(), nullptr)) {
            return false;
        }
    } else {
        profileRoot_ = programDir_;
    }
    profileDir_ = profileRoot_;
    if (setup.profileSubfolder) {
        profileDir_ += L"\\profile";
        if (!CreateDirectoryW(profileDir_.c_str(), nullptr)) {
            return false;
        }
    }
    std::string prefs = PrefsText(setup);
    bool ok = true;
    if (setup.prefs == PrefsFiles::OperaPrefs || setup.prefs == PrefsFiles::Both) {
        ok = WriteTextFile(profileDir_ + L"\\operaprefs.ini", prefs) && ok;
    }
    if (setup.prefs == PrefsFiles::Opera6 || setup.prefs == PrefsFiles::Both) {
        ok = WriteTextFile(profileDir_ + L"\\opera6.ini", prefs) && ok;
    }
    return ok;
}

OperaInstallation::~OperaInstallation() {
    // A stand-in still running from the program folder would keep its file from being removed.
    EndOperaStandins();
    RestoreRegistry();
    if (profileRoot_ != programDir_ && !profileRoot_.empty()) {
        RemoveTree(profileRoot_);
        if (madeAppDataOpera_) {
            RemoveDirectoryW(profileRoot_.substr(0, profileRoot_.find_last_of(L'\\')).c_str());
        }
    }
}

void OperaInstallation::RestoreRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kOperaKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    for (const SavedValue& value : saved_) {
        if (value.existed) {
            RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
        } else {
            RegDeleteValueW(key, value.name.c_str());
        }
    }
    RegCloseKey(key);
    if (!keyExisted_) {
        RegDeleteKeyW(HKEY_CURRENT_USER, kOperaKey);
    }
}

std::wstring OperaInstallation::prefsPath() const {
    std::wstring prefs = profileDir_ + L"\\operaprefs.ini";
    return FileExists(prefs) ? prefs : profileDir_ + L"\\opera6.ini";
}

bool OperaInstallation::SetRegistryValue(const wchar_t* name, const std::wstring& text) {
    return WriteRegistryText(HKEY_CURRENT_USER, kOperaKey, name, text);
}

bool OperaInstallation::RegisterCommandLine(const wchar_t* name,
                                            bool quoted,
                                            const std::wstring& arguments) {
    std::wstring line = quoted ? Quote(exePath()) : exePath();
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    return SetRegistryValue(name, line);
}

int OperaInstallation::ReadPref(const wchar_t* key) const {
    return static_cast<int>(GetPrivateProfileIntW(L"User Prefs", key, 700, prefsPath().c_str()));
}

bool OperaInstallation::AddPrivateData() const {
    std::wstring cache = profileDir_ + L"\\cache4";
    CreateDirectoryW(cache.c_str(), nullptr);
    return WriteTextFile(profileDir_ + L"\\cookies4.dat", "cookie") &&
           WriteTextFile(profileDir_ + L"\\global_history.dat", "history") &&
           WriteTextFile(cache + L"\\opr00001.tmp", "page") &&
           WriteTextFile(cache + L"\\opr00002.tmp", "image");
}

int OperaInstallation::CountPrivateData() const {
    int count = 0;
    for (const wchar_t* name : {L"cookies4.dat", L"global_history.dat", L"cache4\\opr00001.tmp",
                                L"cache4\\opr00002.tmp"}) {
        count += FileExists(profileDir_ + L"\\" + name) ? 1 : 0;
    }
    return count;
}

bool OperaInstallation::AddSession(const std::string& text) const {
    CreateDirectoryW((profileDir_ + L"\\sessions").c_str(), nullptr);
    return WriteTextFile(sessionPath(), text);
}

std::vector<std::string> ToolbarButtonAsOperaSeesIt(const OperaInstallation& opera) {
    TempFolder logs;
    ScopedEnv log(L"SWEEPLY_STANDIN_LOG", logs / L"opera.log");
    ScopedEnv profile(L"SWEEPLY_STANDIN_OPERA_PROFILE", opera.profileDir());
    if (!StartProgram(Quote(opera.exePath()))) {
        return {};
    }
    // started, command line, the toolbar line, the prefs line, "main window shown"
    std::vector<std::string> lines = ReadLog(logs / L"opera.log", 5, 15000);
    EndOperaStandins();
    return LinesStartingWith(lines, {"toolbar Sweeply"});
}

void EndOperaStandins() {
    testing_support::EndProcesses(L"opera.exe");
}

}  // namespace opera_fixture
