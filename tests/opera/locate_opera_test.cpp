// LocateOpera against installations laid out in the prefix.
#include "opera/opera_location.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

std::wstring Text(const wchar_t* text) {
    return text;
}

TEST(LocateOpera, ReadsTheRegistryValuesInTheirOrder) {
    OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    OperaLocation location;
    EXPECT_FALSE(LocateOpera(&location)) << "no registry value at all";

    ASSERT_TRUE(opera.SetRegistryValue(kDirectory3, opera.programDir() + L"\\"));
    ASSERT_TRUE(LocateOpera(&location));
    EXPECT_EQ(Text(location.programDir), opera.programDir() + L"\\");

    // The older command line wins over the folder, the newer over both: a wrong earlier value
    // proves which one was read.
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLine, L"C:\\nowhere\\opera.exe"));
    EXPECT_FALSE(LocateOpera(&location));
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
    EXPECT_TRUE(LocateOpera(&location));
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLineV2, L"C:\\nowhere\\opera.exe"));
    ASSERT_TRUE(opera.RegisterCommandLine(kCommandLine, false, L""));
    EXPECT_FALSE(LocateOpera(&location));
}

TEST(LocateOpera, SingleUserInstallationInAFolderWithBlanks) {
    OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    ASSERT_NE(opera.programDir().find(L' '), std::wstring::npos);
    // Unquoted with an argument, and quoted with arguments (the quote is dropped first).
    for (bool quoted : {false, true}) {
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, quoted, L"http://example.com/ -x"));
        OperaLocation location;
        ASSERT_TRUE(LocateOpera(&location)) << "quoted " << quoted;
        EXPECT_EQ(Text(location.programDir), opera.programDir() + L"\\");
        EXPECT_EQ(Text(location.mainIniPath), opera.programDir() + L"\\operadef6.ini");
        EXPECT_EQ(Text(location.profileDir), opera.programDir() + L"\\");
        EXPECT_EQ(Text(location.prefsPath), opera.programDir() + L"\\\\operaprefs.ini");
        EXPECT_EQ(location.versionMajor, 10u);
        EXPECT_EQ(location.versionMinor, 0u);
    }
}

TEST(LocateOpera, VersionGate) {
    struct Case {
        const wchar_t* version;
        bool accepted;
    };
    for (Case c :
         {Case{L"9.27", false}, Case{L"9.50", true}, Case{L"9.64", true}, Case{L"10.0", true}}) {
        OperaSetup setup;
        setup.version = c.version;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLine, true, L""));
        OperaLocation location;
        EXPECT_EQ(LocateOpera(&location), c.accepted) << Narrow(c.version);
    }
}

TEST(LocateOpera, ProgramNameOnlyWithinTheFirstThreeCharacters) {
    OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    // Made the current directory, "opera.exe" alone would be found if the name were searched
    // from the first character.
    ASSERT_TRUE(SetCurrentDirectoryW(opera.programDir().c_str()));
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLineV2, L"opera.exe"));
    OperaLocation location;
    EXPECT_FALSE(LocateOpera(&location));
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLineV2, L"\"opera.exe\" about:blank"));
    EXPECT_FALSE(LocateOpera(&location));
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLineV2, L"ab"));
    EXPECT_FALSE(LocateOpera(&location));
    // From the fourth character on it counts.
    ASSERT_TRUE(opera.SetRegistryValue(kCommandLineV2, L".\\\\opera.exe"));
    EXPECT_TRUE(LocateOpera(&location));
    ASSERT_TRUE(SetCurrentDirectoryW(BinDir().c_str()));
}

TEST(LocateOpera, DefaultSettingsFileAndMultiUserKey) {
    {
        OperaSetup setup;
        setup.defaultsName = nullptr;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        EXPECT_FALSE(LocateOpera(&location)) << "no oper*de*.ini";
    }
    {
        OperaSetup setup;
        setup.multiUser = kOmit;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        EXPECT_FALSE(LocateOpera(&location)) << "no Multi User";
    }
    {
        OperaSetup setup;
        setup.defaultsName = L"operaDEF.ini";  // any name the pattern matches
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        ASSERT_TRUE(LocateOpera(&location));
        EXPECT_EQ(Text(location.mainIniPath), opera.programDir() + L"\\operaDEF.ini");
    }
}

TEST(LocateOpera, MultiUserProfileUnderApplicationData) {
    wchar_t appData[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    for (bool subfolder : {false, true}) {
        OperaSetup setup;
        setup.multiUser = 1;
        setup.profileSubfolder = subfolder;
        setup.prefs = PrefsFiles::Opera6;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, true, L"about:blank"));
        OperaLocation location;
        ASSERT_TRUE(LocateOpera(&location)) << "subfolder " << subfolder;
        std::wstring folderName = opera.programDir().substr(opera.programDir().rfind(L'\\'));
        std::wstring profile = std::wstring(appData) + L"\\Opera" + folderName;
        EXPECT_EQ(Text(location.programDir), opera.programDir());
        EXPECT_EQ(Text(location.profileDir), subfolder ? profile + L"\\profile" : profile);
        EXPECT_EQ(Text(location.prefsPath), Text(location.profileDir) + L"\\opera6.ini");
        EXPECT_EQ(Text(location.profileDir), opera.profileDir());
    }
}

TEST(LocateOpera, PreferencesFileChoice) {
    {
        OperaSetup setup;
        setup.prefs = PrefsFiles::Both;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        ASSERT_TRUE(LocateOpera(&location));
        EXPECT_NE(Text(location.prefsPath).find(L"\\operaprefs.ini"), std::wstring::npos);
    }
    {
        // Single-user with the preferences in "profile": the program folder is looked at first.
        OperaSetup setup;
        setup.profileSubfolder = true;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        ASSERT_TRUE(LocateOpera(&location));
        EXPECT_EQ(Text(location.profileDir), opera.programDir() + L"\\\\profile");
        EXPECT_EQ(Text(location.prefsPath), opera.programDir() + L"\\\\profile\\operaprefs.ini");
    }
    {
        OperaSetup setup;
        setup.prefs = PrefsFiles::None;
        OperaInstallation opera(setup);
        ASSERT_TRUE(opera.RegisterCommandLine(kCommandLineV2, false, L""));
        OperaLocation location;
        EXPECT_FALSE(LocateOpera(&location));
    }
}

TEST(LocateOpera, ProgramPathThatDoesNotFit) {
    OperaInstallation opera;
    ASSERT_TRUE(opera.ready());
    OperaLocation location;
    // 255 characters + "opera.exe" does not fit 260.
    ASSERT_TRUE(opera.SetRegistryValue(kDirectory3, L"C:\\" + std::wstring(252, L'a')));
    EXPECT_FALSE(LocateOpera(&location));
}

}  // namespace
