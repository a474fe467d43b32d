// Opera installations laid out in the Wine prefix for tests: program folder with the stand-in
// as opera.exe, default settings file, profile with preferences, private data and session, and
// the registry values of the last start. Everything made is removed again, registry included.
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
    const wchar_t* version = L"10.0";  // stand-in: "9.27", "9.50", "9.64", "10.0", "10.0_console"
    const wchar_t* folderName = L"Opera 10";  // program folder's name (a unique suffix is added)
    const wchar_t* defaultsName = L"operadef6.ini";  // nullptr: no default settings file
    int multiUser = 0;                               // [System] "Multi User", or kOmit
    bool profileSubfolder = false;  // preferences in the profile's "profile" sub-folder
    PrefsFiles prefs = PrefsFiles::OperaPrefs;
    int showStartupDialog = 1;  // [User Prefs] values, or kOmit
    int showDefaultBrowserDialog = 1;
};

// Names of the registry values of the last start, under HKCU "Software\Opera Software".
extern const wchar_t* const kCommandLineV2;
extern const wchar_t* const kCommandLine;
extern const wchar_t* const kDirectory3;

// One fake installation. On construction the three registry values are taken away (and given
// back at destruction), so each test sees only what it sets. Destruction ends every running
// opera.exe first, so that the folders can go.
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
    // operaprefs.ini when written, else opera6.ini.
    std::wstring prefsPath() const;
    // The temporary folder that holds the program folder.
    const std::wstring& root() const { return root_.path(); }

    // Writes a text value of the last start; removed at destruction.
    bool SetRegistryValue(const wchar_t* name, const std::wstring& text);
    // Writes `name` as the program path (quoted or not) followed by `arguments`.
    bool RegisterCommandLine(const wchar_t* name, bool quoted, const std::wstring& arguments);

    // A [User Prefs] integer of prefsPath(), 700 when missing.
    int ReadPref(const wchar_t* key) const;

    // Private data the stand-in's dialog deletes: cookies, history and two cache files.
    bool AddPrivateData() const;
    int CountPrivateData() const;
    // The saved session "sessions\autosave.win" with `text`.
    bool AddSession(const std::string& text) const;
    std::wstring sessionPath() const { return profileDir_ + L"\\sessions\\autosave.win"; }
    std::wstring backupPath() const { return profileDir_ + L"\\autosave.backup"; }

  private:
    struct SavedValue {
        std::wstring name;
        std::vector<BYTE> data;
        DWORD type;
        bool existed;
    };
    bool Lay(const OperaSetup& setup);
    void RestoreRegistry();

    testing_support::TempFolder root_;
    std::wstring programDir_;
    std::wstring profileDir_;
    std::wstring profileRoot_;  // the folder made for the profile (multi-user: under APPDATA)
    bool madeAppDataOpera_ = false;
    bool keyExisted_ = false;
    std::vector<SavedValue> saved_;
    bool ready_ = false;
};

// Starts the stand-in as Opera itself and gives back the "toolbar Sweeply" lines it logs on
// reading its own toolbar: what the Sweeply button would start.
std::vector<std::string> ToolbarButtonAsOperaSeesIt(const OperaInstallation& opera);

// Ends every running stand-in named opera.exe (tests that leave one running on purpose).
void EndOperaStandins();

}  // namespace opera_fixture
