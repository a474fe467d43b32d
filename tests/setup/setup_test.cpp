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

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sweeply";
constexpr wchar_t kNeighbourKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\SweeplyTestNeighbour.exe";

// A value of HKLM `key` as text (a number in decimal), "<absent>" without one, "<no key>"
// without the key.
std::wstring ReadValue(const wchar_t* key, const wchar_t* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return L"<no key>";
    }
    wchar_t value[1024] = L"";
    DWORD type = 0, size = sizeof(value) - sizeof(wchar_t);
    LONG status =
        RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    return status != ERROR_SUCCESS ? L"<absent>"
           : type == REG_DWORD     ? std::to_wstring(value[0] | value[1] << 16)
                                   : std::wstring(value);
}

// A shortcut as "target | arguments", as the shell reads it.
std::wstring ReadShortcut(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"?", arguments[MAX_PATH] = L"?";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, MAX_PATH);
        }
        if (file != nullptr) {
            file->Release();
        }
        link->Release();
    }
    return std::wstring(target) + L" | " + arguments;
}

// Installed twice over an Opera installation, then uninstalled. The checked Opera component runs
// SweeplyOpera.exe from the install folder: Opera's toolbar then names the installed Sweeply.exe,
// and its skin holds the button image. The uninstaller takes back exactly what the setup added,
// and leaves a neighbour's registration and a file of the user's in the program folder.
class Setup : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(nullptr);
        RemoveTree(dir);
    }
    void TearDown() override {
        RemoveTree(dir);
        RemoveTree(menu);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathsKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        CoUninitialize();
    }
    const std::wstring dir = SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Sweeply Test Install";
    const std::wstring menu = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Sweeply";
};

TEST_F(Setup, InstallTwiceThenUninstall) {
    ScopedRegistryText neighbour(HKEY_LOCAL_MACHINE, kNeighbourKey, nullptr, L"C:\\Other\\N.exe");
    opera_fixture::OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    ASSERT_TRUE(opera.RegisterCommandLine(opera_fixture::kCommandLineV2, true, L""));
    const std::wstring program = opera.programDir();
    ASSERT_TRUE(CreateDirectoryW((program + L"\\ui").c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(program + L"\\ui\\standard_toolbar.ini",
                              "[Document Toolbar.content]\r\nButton0=\"Back\"\r\n"));
    ASSERT_TRUE(CreateDirectoryW((program + L"\\skin").c_str(), nullptr));
    const std::wstring skinPath = program + L"\\skin\\standard_skin.zip";
    ASSERT_TRUE(WriteSkinArchive(skinPath, RealisticSkin(4, "[Images]\r\n", false)));

    for (int run = 0; run < 2; ++run) {
        // "/D=" must come last and takes the folder unquoted, blanks and all.
        RunResult setup = RunProgram(
            Quote(BinPath(L"SweeplySetup-" SWEEPLY_VERSION_TEXT ".exe")) + L" /S /D=" + dir,
            120000);
        ASSERT_TRUE(setup.finished);
        EXPECT_EQ(setup.exitCode, 0u);
    }
    const std::wstring sweeply = dir + L"\\Sweeply.exe";
    const std::wstring uninstaller = dir + L"\\uninstall.exe";
    EXPECT_TRUE(FileExists(sweeply));
    EXPECT_TRUE(FileExists(dir + L"\\SweeplyOpera.exe"));
    EXPECT_EQ(ReadValue(kAppPathsKey, nullptr), sweeply);
    const std::map<std::wstring, std::wstring> values = {
        {L"DisplayName", L"Sweeply"},
        {L"Publisher", L"Sweeply"},
        {L"DisplayVersion", Widen(SWEEPLY_VERSION_TEXT)},
        {L"DisplayIcon", sweeply + L",0"},
        {L"UninstallString", Quote(uninstaller)},
        {L"QuietUninstallString", Quote(uninstaller) + L" /S"},
    };
    for (const auto& [name, value] : values) {
        EXPECT_EQ(ReadValue(kUninstallKey, name.c_str()), value) << Narrow(name);
    }
    EXPECT_GT(_wtoi(ReadValue(kUninstallKey, L"EstimatedSize").c_str()), 0);

    const std::map<std::wstring, std::wstring> expected = {
        {L"Clean all browsers.lnk", sweeply + L" | chrome firefox opera ie8"},
        {L"Clean with CCleaner, keep Opera session.lnk", sweeply + L" | opera/f cc"},
        {L"Remove Flash and Silverlight storage.lnk", sweeply + L" | --lso --sl"},
        {L"Uninstall Sweeply.lnk", uninstaller + L" | "},
    };
    std::map<std::wstring, std::wstring> shortcuts;
    for (const std::wstring& name : ListFolder(menu)) {
        shortcuts[name] = ReadShortcut(menu + L"\\" + name);
    }
    EXPECT_EQ(shortcuts, expected);

    std::vector<SkinEntry> skin;
    ASSERT_TRUE(ReadSkinArchive(skinPath, &skin));
    EXPECT_EQ(skin.back().name, L"buttons/sweeply.png");
    // Opera (the stand-in) reads its own toolbar and logs what the Sweeply button would start.
    EXPECT_EQ(opera_fixture::ToolbarButtonAsOperaSeesIt(opera),
              std::vector<std::string>{"toolbar Sweeply program [" + Narrow(sweeply) +
                                       "] parameters [opera/f cc]"});

    ASSERT_TRUE(WriteTextFile(dir + L"\\notes.txt", "mine"));
    // The uninstaller copies itself away and returns at once; the copy does the work.
    ASSERT_TRUE(RunProgram(Quote(uninstaller) + L" /S", 60000).finished);
    WaitFor([&] { return !FileExists(uninstaller); }, 30000);
    Sleep(500);
    EXPECT_FALSE(FileExists(sweeply));
    EXPECT_FALSE(FileExists(dir + L"\\SweeplyOpera.exe"));
    EXPECT_FALSE(FileExists(uninstaller));
    EXPECT_FALSE(FileExists(menu));
    EXPECT_EQ(ReadValue(kAppPathsKey, nullptr), L"<no key>");
    EXPECT_EQ(ReadValue(kUninstallKey, nullptr), L"<no key>");
    EXPECT_EQ(ReadTextFile(dir + L"\\notes.txt"), "mine");
    EXPECT_EQ(ReadValue(kNeighbourKey, nullptr), L"C:\\Other\\N.exe");
}

}  // namespace
