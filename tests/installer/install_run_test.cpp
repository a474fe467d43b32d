// SweeplyOpera's whole run against Opera installations laid out in the prefix: in-process for the
// failure paths, and the real program followed by the Opera stand-in for the end-to-end case.
#include <gtest/gtest.h>

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
        skinBytes_ = ReadBytes(skinPath_);
        toolbarPath_ = opera.profileDir() + L"\\toolbar\\standard_toolbar.ini";
    }

    // SweeplyOpera.exe's own resources, for in-process runs that need the button image.
    HMODULE ProgramResources() {
        resources_ =
            LoadLibraryExW(BinPath(L"SweeplyOpera.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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

// Opera's values missing: nothing changes. (Opera 9.27 stops the run at the same step: its
// version gate is LocateOpera's, tested with it.)
TEST_F(InstallRun, NothingChangesWithoutOpera) {
    OperaInstallation opera;
    Lay(opera, false);
    EXPECT_EQ(RunOperaInstaller(ProgramResources()), 0);
    EXPECT_FALSE(FileExists(opera.profileDir() + L"\\toolbar"));
    EXPECT_EQ(ReadBytes(skinPath_), skinBytes_);
}

TEST_F(InstallRun, FailedToolbarStepLeavesTheSkinUntouched) {
    OperaInstallation opera;
    Lay(opera);
    ASSERT_TRUE(DeleteFileW((opera.programDir() + L"\\ui\\standard_toolbar.ini").c_str()));
    EXPECT_EQ(RunOperaInstaller(ProgramResources()), 0);
    EXPECT_FALSE(FileExists(toolbarPath_));
    EXPECT_EQ(ReadBytes(skinPath_), skinBytes_);
}

TEST_F(InstallRun, WithoutResource110TheToolbarIsWrittenAndTheSkinUntouched) {
    OperaInstallation opera;
    Lay(opera);
    // This test program carries no button image.
    EXPECT_EQ(RunOperaInstaller(GetModuleHandleW(nullptr)), 0);
    EXPECT_NE(ReadBytes(toolbarPath_).find("Button3001, \"Sweeply\"="), std::string::npos);
    EXPECT_EQ(ReadBytes(skinPath_), skinBytes_);
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
    const std::wstring image = CacheFile(L"2963edc3-e519-4153-a191-18f2e5fc1401");
    std::vector<std::wstring> victims;
    for (const std::wstring& name : {image, CacheFile(L"skin.ini")}) {
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
    EXPECT_EQ(ReadBytes(image), ButtonImage());
    for (const std::wstring& victim : victims) {
        EXPECT_EQ(ReadBytes(victim), "precious") << Narrow(victim);
    }
    DeleteFileW(CacheFile(L"skin.ini").c_str());
}

// The real program, then Opera itself (the stand-in) reading back what its button would start.
TEST_F(InstallRun, EndToEndTheOperaButtonStartsSweeplyWithItsTask) {
    OperaInstallation opera;
    Lay(opera);
    RunResult run = RunProgram(Quote(BinPath(L"SweeplyOpera.exe")), 60000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(ReadBytes(skinPath_), skinBytes_);

    std::vector<std::string> button = opera_fixture::ToolbarButtonAsOperaSeesIt(opera);
    ASSERT_EQ(button.size(), 1u);
    EXPECT_EQ(button[0],
              "toolbar Sweeply program [C:\\Program Files\\Sweeply\\Sweeply.exe] parameters "
              "[opera/f cc]");
}

}  // namespace
