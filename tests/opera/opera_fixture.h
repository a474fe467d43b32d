// Opera installations laid out in the Wine prefix for tests: program folder with the stand-in
// as opera.exe, default settings file, profile with preferences and session, and the registry
// values of the last start. Everything made is removed again, registry included.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace opera_fixture {

// An omitted integer setting: its key is not written.
constexpr int kOmit = -1;

enum class PrefsFiles { OperaPrefs, Opera6, Both, None };

struct OperaSetup {
    const wchar_t* version = L"10.0";  // stand-in build: "8.99", "9.27", "9.49", "9.50", "10.0"...
    int multiUser = 0;                 // [System] "Multi User", or kOmit
    bool profileSubfolder = false;     // preferences in the profile's "profile" sub-folder
    PrefsFiles prefs = PrefsFiles::OperaPrefs;
    const wchar_t* defaultsName = L"operadef6.ini";  // nullptr: no default settings file
    int showStartupDialog = 1;                       // [User Prefs] values, or kOmit
    int showDefaultBrowserDialog = 1;
};

// The registry values of the last start, under HKCU "Software\Opera Software".
constexpr wchar_t kCommandLineV2[] = L"Last CommandLine v2";
constexpr wchar_t kCommandLine[] = L"Last CommandLine";
constexpr wchar_t kDirectory3[] = L"Last Directory3";

// One fake installation, in a program folder named "Opera 10" with a unique suffix. While it
// lives the three registry values are taken away, so each test sees only what it sets. It ends
// every running opera.exe first when it goes, so that the folders can go too.
class OperaInstallation {
  public:
    explicit OperaInstallation(const OperaSetup& setup = OperaSetup());
    ~OperaInstallation();
    OperaInstallation(const OperaInstallation&) = delete;
    OperaInstallation& operator=(const OperaInstallation&) = delete;

    bool ready() const { return ready_; }
    // Program folder without trailing backslash, e.g. ...\Opera 10 123-4.
    const std::wstring& programDir() const { return programDir_; }
    std::wstring exePath() const { return programDir_ + L"\\opera.exe"; }
    // The folder that holds the preferences file(s).
    const std::wstring& profileDir() const { return profileDir_; }

    // Writes a text value of the last start.
    bool SetRegistryValue(const wchar_t* name, const std::wstring& text);
    // Writes `name` as the program path (quoted or not) followed by `arguments`.
    bool RegisterCommandLine(const wchar_t* name, bool quoted, const std::wstring& arguments);

    // The saved session "sessions\autosave.win" with `text`.
    bool AddSession(const std::string& text) const;
    std::wstring sessionPath() const { return profileDir_ + L"\\sessions\\autosave.win"; }
    std::wstring backupPath() const { return profileDir_ + L"\\autosave.backup"; }

  private:
    bool Lay(const OperaSetup& setup);

    testing_support::ScopedRegistryText lastStart_[3];
    testing_support::TempFolder root_;
    std::wstring programDir_;
    std::wstring profileDir_;
    std::wstring profileRoot_;  // the folder made for the profile (multi-user: under APPDATA)
    bool ready_ = false;
};

// Starts the stand-in as Opera itself and gives back the "toolbar Sweeply" lines it logs on
// reading its own toolbar: what the Sweeply button would start.
std::vector<std::string> ToolbarButtonAsOperaSeesIt(const OperaInstallation& opera);

// Ends every running stand-in named opera.exe (tests that leave one running on purpose).
void EndOperaStandins();

}  // namespace opera_fixture
