// SweeplyOpera's whole run, in process, against Opera installations laid out in the prefix. The
// real program is run end to end by the setup's test and by the host checks.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "installer/install_run.h"
#include "tests/installer/installer_fixture.h"
#include "tests/opera/opera_fixture.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace installer_fixture;

// A whole run, and runs that stop early and change nothing after the failed step: no Opera
// registered (Opera 9.27 stops at the same step: its version gate is LocateOpera's, tested with
// it), no default toolbar, or no button image in the module (this test program carries none).
// The Internet cache folder is the user's: no run writes a file that a name there leads to (a
// second name of a file elsewhere, as a hard link gives it), and the skin takes the image from
// SweeplyOpera.exe's resource, not from the file written there.
TEST(InstallRun, WholeRunOrAFailedStepLeavingWhatFollowsUntouched) {
    ScopedAppPath registration(L"C:\\Program Files\\Sweeply\\Sweeply.exe");
    HMODULE resources =
        LoadLibraryExW(BinPath(L"SweeplyOpera.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(resources, kButtonImageResource, MAKEINTRESOURCEW(10));
    const char* data = static_cast<const char*>(LockResource(LoadResource(resources, found)));
    ASSERT_NE(data, nullptr);
    const std::string buttonImage(data, SizeofResource(resources, found));
    const std::vector<SkinEntry> skin = RealisticSkin(40, "[Images]\r\n", false);
    TempFolder elsewhere;
    const std::wstring cache = SpecialFolder(CSIDL_INTERNET_CACHE) + L"\\";
    const std::wstring image = L"2963edc3-e519-4153-a191-18f2e5fc1401";
    for (const std::wstring& name : {image, std::wstring(L"skin.ini")}) {
        DeleteFileW((cache + name).c_str());
        ASSERT_TRUE(WriteTextFile(elsewhere / name, "precious"));
        ASSERT_TRUE(CreateHardLinkW((cache + name).c_str(), (elsewhere / name).c_str(), nullptr));
    }
    const struct {
        const char* name;
        bool registered, defaults, image;
        bool toolbar, skin;  // the toolbar gets the button; the skin and the cache the image
    } cases[] = {
        {"no Opera", false, true, true, false, false},
        {"no default toolbar", true, false, true, false, false},
        {"no button image", true, true, false, true, false},
        {"a whole run, multi-user", true, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        opera_fixture::OperaSetup setup;
        setup.multiUser = c.skin ? 1 : 0;
        opera_fixture::OperaInstallation opera(setup);
        ASSERT_TRUE(opera.ready());
        ASSERT_TRUE(!c.registered ||
                    opera.RegisterCommandLine(opera_fixture::kCommandLineV2, true, L""));
        const std::wstring program = opera.programDir();
        ASSERT_TRUE(!c.defaults || (MakeFolders(program + L"\\ui") &&
                                    WriteTextFile(program + L"\\ui\\standard_toolbar.ini",
                                                  "[Document Toolbar.content]\r\nButton0=1\r\n")));
        const std::wstring skinPath = program + L"\\skin\\standard_skin.zip";
        ASSERT_TRUE(MakeFolders(program + L"\\skin") && WriteSkinArchive(skinPath, skin));

        EXPECT_EQ(RunOperaInstaller(c.image ? resources : GetModuleHandleW(nullptr)), 0);
        const std::wstring toolbar = opera.profileDir() + L"\\toolbar";
        EXPECT_EQ(ReadTextFile(toolbar + L"\\standard_toolbar.ini").find("Button3001") !=
                      std::string::npos,
                  c.toolbar);
        EXPECT_EQ(FileExists(toolbar), c.registered);
        std::vector<SkinEntry> expected = skin, now;
        if (c.skin) {
            expected[0].data = "[Images]\r\nSweeply=buttons/sweeply.png\r\n";
            expected.push_back({L"buttons/sweeply.png", false, buttonImage});
        }
        ASSERT_TRUE(ReadSkinArchive(skinPath, &now));
        EXPECT_EQ(now, expected);
        EXPECT_FALSE(now.back().fromFile) << "added from a file, not from memory";
        EXPECT_EQ(ReadTextFile(cache + image), c.skin ? buttonImage : "precious");
        EXPECT_EQ(ReadTextFile(elsewhere / image), "precious");
        EXPECT_EQ(ReadTextFile(elsewhere / L"skin.ini"), "precious");
    }
    DeleteFileW((cache + image).c_str());
    DeleteFileW((cache + L"skin.ini").c_str());
    FreeLibrary(resources);
}

}  // namespace
