// SweeplyOpera's whole run, in process, against Opera installations laid out in the prefix. The
// real program is run end to end by the host checks and by the setup's test.
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
using opera_fixture::OperaInstallation;
using opera_fixture::OperaSetup;

constexpr char kDefaults[] = "[Document Toolbar.content]\r\nButton0=\"Back\"\r\n";

// An Opera installation with default toolbar, skin archive and the App Paths registration.
class InstallRun : public ::testing::Test {
  protected:
    void Lay(OperaInstallation& opera, bool registerStart = true) {
        ASSERT_TRUE(opera.ready());
        if (registerStart) {
            ASSERT_TRUE(opera.RegisterCommandLine(opera_fixture::kCommandLineV2, true, L""));
        }
        std::wstring program = opera.programDir();
        ASSERT_TRUE(CreateDirectoryW((program + L"\\ui").c_str(), nullptr));
        ASSERT_TRUE(WriteTextFile(program + L"\\ui\\standard_toolbar.ini", kDefaults));
        ASSERT_TRUE(CreateDirectoryW((program + L"\\skin").c_str(), nullptr));
        skinPath_ = program + L"\\skin\\standard_skin.zip";
        skin_ = RealisticSkin(40, "[Images]\r\nBack=buttons/back.png\r\n", false);
        ASSERT_TRUE(WriteSkinArchive(skinPath_, skin_));
        skinBytes_ = ReadTextFile(skinPath_);
        toolbarPath_ = opera.profileDir() + L"\\toolbar\\standard_toolbar.ini";
    }

    // SweeplyOpera.exe's own resources, for in-process runs that need the button image.
    HMODULE ProgramResources() {
        if (resources_ == nullptr) {
            resources_ = LoadLibraryExW(BinPath(L"SweeplyOpera.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE);
        }
        return resources_;
    }
    std::string ButtonImage() {
        HRSRC found = FindResourceW(resources_, kButtonImageResource, MAKEINTRESOURCEW(10));
        const char* data = static_cast<const char*>(LockResource(LoadResource(resources_, found)));
        return data ? std::string(data, SizeofResource(resources_, found)) : std::string();
    }
    void TearDown() override {
        if (resources_ != nullptr) {
            FreeLibrary(resources_);
        }
    }

    ScopedAppPath registration_{L"C:\\Program Files\\Sweeply\\Sweeply.exe"};
    HMODULE resources_ = nullptr;
    std::wstring skinPath_;
    std::wstring toolbarPath_;
    std::vector<SkinEntry> skin_;
    std::string skinBytes_;
};

// A run that stops early changes nothing after the failed step: no Opera registered (Opera 9.27
// stops at the same step: its version gate is LocateOpera's, tested with it), no default toolbar,
// or no button image in the module (this test program carries none).
TEST_F(InstallRun, AFailedStepLeavesWhatFollowsUntouched) {
    const struct {
        const char* name;
        bool registered;
        bool defaults;
        bool image;
        bool toolbar;  // the toolbar gets the button
    } cases[] = {
        {"no Opera", false, true, true, false},
        {"no default toolbar", true, false, true, false},
        {"no button image", true, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperaInstallation opera;
        Lay(opera, c.registered);
        if (!c.defaults) {
            ASSERT_TRUE(DeleteFileW((opera.programDir() + L"\\ui\\standard_toolbar.ini").c_str()));
        }
        EXPECT_EQ(RunOperaInstaller(c.image ? ProgramResources() : GetModuleHandleW(nullptr)), 0);
        EXPECT_EQ(ReadTextFile(toolbarPath_).find("Button3001, \"Sweeply\"=") != std::string::npos,
                  c.toolbar);
        EXPECT_EQ(FileExists(opera.profileDir() + L"\\toolbar"), c.registered);
        EXPECT_EQ(ReadTextFile(skinPath_), skinBytes_);
    }
}

// The Internet cache folder is the user's: the elevated run writes no file that a name there
// leads to (a second name of a file elsewhere, as a hard link gives it), and the skin takes the
// image from the resource, not from the file it wrote there.
TEST_F(InstallRun, MultiUserRunInstallsTheResourceImageWritingNothingThroughTheCacheFolder) {
    OperaSetup setup;
    setup.multiUser = 1;
    OperaInstallation opera(setup);
    Lay(opera);
    TempFolder elsewhere;
    const std::wstring cache = SpecialFolder(CSIDL_INTERNET_CACHE) + L"\\";
    const std::wstring image = cache + L"2963edc3-e519-4153-a191-18f2e5fc1401";
    std::vector<std::wstring> victims;
    for (const std::wstring& name : {image, cache + L"skin.ini"}) {
        victims.push_back(elsewhere / name.substr(name.rfind(L'\\') + 1));
        DeleteFileW(name.c_str());
        ASSERT_TRUE(WriteTextFile(victims.back(), "precious"));
        ASSERT_TRUE(CreateHardLinkW(name.c_str(), victims.back().c_str(), nullptr));
    }
    EXPECT_EQ(RunOperaInstaller(ProgramResources()), 0);
    std::vector<SkinEntry> now;
    ASSERT_TRUE(ReadSkinArchive(skinPath_, &now));
    ASSERT_EQ(now.size(), skin_.size() + 1);
    EXPECT_EQ(now.back().name, L"buttons/sweeply.png");
    EXPECT_EQ(now.back().data, ButtonImage());
    EXPECT_EQ(now.back().attributes, 0u) << "added from a file, not from memory";
    EXPECT_EQ(ReadTextFile(image), ButtonImage());
    for (const std::wstring& victim : victims) {
        EXPECT_EQ(ReadTextFile(victim), "precious") << Narrow(victim);
    }
    DeleteFileW((cache + L"skin.ini").c_str());
}

}  // namespace
