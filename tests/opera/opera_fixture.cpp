// Fake Opera installations for tests; see opera_fixture.h.
#include "tests/opera/opera_fixture.h"

#include <shlobj.h>

#include <cwchar>

namespace opera_fixture {

using namespace testing_support;

namespace {

constexpr wchar_t kOperaKey[] = L"Software\\Opera Software";

// The stand-in build of `version` ("9.64" is opera_9_64.exe).
std::wstring StandinFile(const wchar_t* version) {
    std::wstring name = std::wstring(L"opera_") + version + L".exe";
    name[name.find(L'.')] = L'_';
    return BinPath(name.c_str());
}

}  // namespace

OperaInstallation::OperaInstallation(const OperaSetup& setup)
    : lastStart_{{HKEY_CURRENT_USER, kOperaKey, kCommandLineV2, nullptr},
                 {HKEY_CURRENT_USER, kOperaKey, kCommandLine, nullptr},
                 {HKEY_CURRENT_USER, kOperaKey, kDirectory3, nullptr}} {
    ready_ = lastStart_[0].ready() && lastStart_[1].ready() && lastStart_[2].ready() && Lay(setup);
}

bool OperaInstallation::Lay(const OperaSetup& setup) {
    static LONG counter = 0;
    wchar_t folder[64];
    swprintf(folder, 64, L"Opera 10 %lu-%ld", GetCurrentProcessId(),
             InterlockedIncrement(&counter));
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
    profileRoot_ = programDir_;
    if (setup.multiUser != 0 && setup.multiUser != kOmit) {
        std::wstring operaData = SpecialFolder(CSIDL_APPDATA) + L"\\Opera";
        profileRoot_ = operaData + L"\\" + folder;
    }
    profileDir_ = setup.profileSubfolder ? profileRoot_ + L"\\profile" : profileRoot_;
    if (!MakeFolders(profileDir_)) {
        return false;
    }
    std::string prefs = "Opera Preferences version 2.1\r\n[User Prefs]\r\n";
    for (auto [key, value] : {std::pair{"Show Startup Dialog", setup.showStartupDialog},
                              {"Show Default Browser Dialog", setup.showDefaultBrowserDialog}}) {
        prefs += value == kOmit ? "" : key + ("=" + std::to_string(value)) + "\r\n";
    }
    bool opera6 = setup.prefs == PrefsFiles::Opera6 || setup.prefs == PrefsFiles::Both;
    bool operaPrefs = setup.prefs == PrefsFiles::OperaPrefs || setup.prefs == PrefsFiles::Both;
    return (!operaPrefs || WriteTextFile(profileDir_ + L"\\operaprefs.ini", prefs)) &&
           (!opera6 || WriteTextFile(profileDir_ + L"\\opera6.ini", prefs));
}

OperaInstallation::~OperaInstallation() {
    // A stand-in still running from the program folder would keep its file from being removed.
    EndOperaStandins();
    if (profileRoot_ != programDir_) {
        RemoveTree(profileRoot_);
        // "Opera" under the application data goes too, unless something else lies there.
        RemoveDirectoryW(profileRoot_.substr(0, profileRoot_.rfind(L'\\')).c_str());
    }
}

bool OperaInstallation::SetRegistryValue(const wchar_t* name, const std::wstring& text) {
    return WriteRegistryText(HKEY_CURRENT_USER, kOperaKey, name, text);
}

bool OperaInstallation::RegisterCommandLine(const wchar_t* name,
                                            bool quoted,
                                            const std::wstring& arguments) {
    std::wstring line = quoted ? Quote(exePath()) : exePath();
    return SetRegistryValue(name, arguments.empty() ? line : line + L" " + arguments);
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
    // started, command line, the prefs line, the toolbar line, "main window shown"
    std::vector<std::string> lines = ReadLog(logs / L"opera.log", 5, 15000);
    EndOperaStandins();
    return LinesStartingWith(lines, {"toolbar Sweeply"});
}

void EndOperaStandins() {
    EndProcesses(L"opera.exe");
}

}  // namespace opera_fixture
