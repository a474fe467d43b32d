// The setup program run silently under Wine: what it installs and registers, what a second
// install leaves, and that the uninstaller takes back exactly what the setup added.
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/installer/installer_fixture.h"
#include "tests/opera/opera_fixture.h"
#include "tests/support/test_support.h"
#include "version.h"

namespace {

using namespace testing_support;
using namespace installer_fixture;

constexpr wchar_t kSetupName[] = L"SweeplySetup-" SWEEPLY_VERSION_TEXT ".exe";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sweeply";
constexpr wchar_t kOtherAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\SweeplyTestNeighbour.exe";

std::wstring ReadString(const wchar_t* key, const wchar_t* name) {
    wchar_t value[1024];
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"<absent>";
    }
    return value;
}

bool KeyExists(const wchar_t* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

std::wstring StartMenuFolder() {
    wchar_t programs[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs))) {
        return L"";
    }
    return std::wstring(programs) + L"\\Sweeply";
}

struct Shortcut {
    std::wstring target;
    std::wstring arguments;
};

bool ReadShortcut(const std::wstring& path, Shortcut* shortcut) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    wchar_t text[MAX_PATH] = L"";
    ok = ok && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    shortcut->target = text;
    ok = ok && SUCCEEDED(link->GetArguments(text, MAX_PATH));
    shortcut->arguments = text;
    if (file) {
        file->Release();
    }
    link->Release();
    return ok;
}

class Setup : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(nullptr);
        wchar_t programFiles[MAX_PATH];
        ASSERT_TRUE(
            SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles)));
        installDir_ = std::wstring(programFiles) + L"\\Sweeply Test Install";
        RemoveTree(installDir_);
        // A neighbour that the setup must leave alone.
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, kOtherAppPathsKey, nullptr,
                                      L"C:\\Other\\SweeplyTestNeighbour.exe"));
    }
    void TearDown() override {
        RemoveTree(installDir_);
        RemoveTree(StartMenuFolder());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathsKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOtherAppPathsKey);
        CoUninitialize();
    }

    void Install() {
        // "/D=" must come last and takes the folder unquoted, blanks and all.
        RunResult run = RunProgram(Quote(BinPath(kSetupName)) + L" /S /D=" + installDir_, 120000);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
    }

    // The uninstaller copies itself away and returns at once; the copy does the work.
    void Uninstall() {
        RunResult run = RunProgram(Quote(installDir_ + L"\\uninstall.exe") + L" /S", 60000);
        ASSERT_TRUE(run.finished);
        WaitFor([&] { return !FileExists(installDir_ + L"\\uninstall.exe"); }, 30000);
        Sleep(500);
    }

    std::wstring installDir_;
};

// Installed twice over an Opera installation, then uninstalled. The checked Opera component runs
// SweeplyOpera.exe from the install folder: Opera's toolbar then names the installed Sweeply.exe,
// and its skin holds the button image. The uninstaller takes back exactly what the setup added.
TEST_F(Setup, InstallTwiceThenUninstall) {
    opera_fixture::OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    ASSERT_TRUE(opera.RegisterCommandLine(opera_fixture::kCommandLineV2, true, L""));
    std::wstring program = opera.programDir();
    ASSERT_TRUE(CreateDirectoryW((program + L"\\ui").c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(program + L"\\ui\\standard_toolbar.ini",
                              "[Document Toolbar.content]\r\nButton0=\"Back\"\r\n"));
    ASSERT_TRUE(CreateDirectoryW((program + L"\\skin").c_str(), nullptr));
    std::wstring skinPath = program + L"\\skin\\standard_skin.zip";
    ASSERT_TRUE(WriteSkinArchive(skinPath, RealisticSkin(5, "[Images]\r\n", false)));

    Install();
    Install();
    std::wstring sweeply = installDir_ + L"\\Sweeply.exe";
    const std::wstring uninstaller = installDir_ + L"\\uninstall.exe";
    EXPECT_TRUE(FileExists(sweeply));
    EXPECT_TRUE(FileExists(installDir_ + L"\\SweeplyOpera.exe"));
    EXPECT_TRUE(FileExists(uninstaller));
    EXPECT_EQ(ReadString(kAppPathsKey, nullptr), sweeply);

    EXPECT_EQ(ReadString(kUninstallKey, L"DisplayName"), L"Sweeply");
    EXPECT_EQ(ReadString(kUninstallKey, L"Publisher"), L"Sweeply");
    EXPECT_EQ(ReadString(kUninstallKey, L"DisplayVersion"), Widen(SWEEPLY_VERSION_TEXT));
    EXPECT_EQ(ReadString(kUninstallKey, L"DisplayIcon"), sweeply + L",0");
    EXPECT_EQ(ReadString(kUninstallKey, L"UninstallString"), Quote(uninstaller));
    EXPECT_EQ(ReadString(kUninstallKey, L"QuietUninstallString"), Quote(uninstaller) + L" /S");
    DWORD size = 0, bytes = sizeof(size);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD,
                           nullptr, &size, &bytes),
              ERROR_SUCCESS);
    EXPECT_GT(size, 0u);

    // Every shortcut in the start menu folder, as "target | arguments".
    const std::map<std::wstring, std::wstring> expected = {
        {L"Clean all browsers.lnk", sweeply + L" | chrome firefox opera ie8"},
        {L"Clean with CCleaner, keep Opera session.lnk", sweeply + L" | opera/f cc"},
        {L"Remove Flash and Silverlight storage.lnk", sweeply + L" | --lso --sl"},
        {L"Uninstall Sweeply.lnk", uninstaller + L" | "},
    };
    std::map<std::wstring, std::wstring> shortcuts;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((StartMenuFolder() + L"\\*.lnk").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            Shortcut shortcut;
            EXPECT_TRUE(ReadShortcut(StartMenuFolder() + L"\\" + found.cFileName, &shortcut));
            shortcuts[found.cFileName] = shortcut.target + L" | " + shortcut.arguments;
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    EXPECT_EQ(shortcuts, expected);

    std::vector<SkinEntry> skin;
    ASSERT_TRUE(ReadSkinArchive(skinPath, &skin));
    EXPECT_EQ(skin.back().name, L"buttons/sweeply.png");
    // Opera (the stand-in) reads its own toolbar and logs what the Sweeply button would start.
    std::vector<std::string> button = opera_fixture::ToolbarButtonAsOperaSeesIt(opera);
    ASSERT_EQ(button.size(), 1u);
    EXPECT_EQ(button[0], "toolbar Sweeply program [" + Narrow(installDir_) +
                             "\\Sweeply.exe] parameters [opera/f cc]");

    // A file of the user's in the program folder keeps the folder and itself.
    std::wstring userFile = installDir_ + L"\\notes.txt";
    ASSERT_TRUE(WriteTextFile(userFile, "mine"));
    Uninstall();

    EXPECT_FALSE(FileExists(installDir_ + L"\\Sweeply.exe"));
    EXPECT_FALSE(FileExists(installDir_ + L"\\SweeplyOpera.exe"));
    EXPECT_FALSE(FileExists(uninstaller));
    EXPECT_FALSE(FileExists(StartMenuFolder()));
    EXPECT_FALSE(KeyExists(kAppPathsKey));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(ReadTextFile(userFile), "mine");
    EXPECT_EQ(ReadString(kOtherAppPathsKey, nullptr), L"C:\\Other\\SweeplyTestNeighbour.exe");
}

}  // namespace
