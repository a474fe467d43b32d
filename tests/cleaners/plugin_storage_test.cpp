// Sweeply.exe "--lso --sl" under Wine: Flash Player's and Silverlight's storage folders are
// emptied and kept, their neighbours stay; Wine's reported Windows version picks the Silverlight
// folder (Windows 7 by default, Windows XP for a program named in Wine's AppDefaults).
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

// Writes the file `relative` below `base`, making the folders on its way.
void Plant(const std::wstring& base, const std::wstring& relative) {
    std::wstring path = base + L"\\" + relative;
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    ASSERT_TRUE(WriteTextFile(path, "stored")) << Narrow(path);
}

class PluginStorage : public ::testing::Test {
  protected:
    void SetUp() override {
        Plant(flash_, L"#SharedObjects\\K7T2X9QA\\example.com\\game.swf\\save.sol");
        Plant(flash_, L"#SharedObjects\\K7T2X9QA\\top.sol");
        Plant(flash_, L"macromedia.com\\support\\flashplayer\\sys\\settings.sol");
        Plant(local_, L"Microsoft\\Silverlight\\is\\a1\\local.bin");
        Plant(localLow_, L"Microsoft\\Silverlight\\is\\b2\\low.bin");
        Plant(localLow_, L"Microsoft\\neighbour.txt");
    }
    void TearDown() override {
        RemoveTree(appData_ + L"\\Macromedia");
        RemoveTree(local_ + L"\\Microsoft\\Silverlight");
        RemoveTree(localLow_ + L"\\Microsoft\\Silverlight");
        DeleteFileW((localLow_ + L"\\Microsoft\\neighbour.txt").c_str());
    }

    std::wstring appData_ = SpecialFolder(CSIDL_APPDATA);
    std::wstring flash_ = appData_ + L"\\Macromedia\\Flash Player";
    std::wstring local_ = SpecialFolder(CSIDL_LOCAL_APPDATA);
    std::wstring localLow_ = local_ + L"Low";
};

TEST_F(PluginStorage, SweeplyEmptiesBothFoldersAndLeavesTheirNeighbours) {
    RunResult run = RunSweeply(L"--lso --sl");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    EXPECT_TRUE(IsEmptyFolder(flash_ + L"\\#SharedObjects"));
    EXPECT_TRUE(FileExists(flash_ + L"\\macromedia.com\\support\\flashplayer\\sys\\settings.sol"));
    // Wine reports Windows 7 here: the LocalLow folder is the one emptied.
    EXPECT_TRUE(IsEmptyFolder(localLow_ + L"\\Microsoft\\Silverlight"));
    EXPECT_TRUE(FileExists(localLow_ + L"\\Microsoft\\neighbour.txt"));
    EXPECT_TRUE(FileExists(local_ + L"\\Microsoft\\Silverlight\\is\\a1\\local.bin"));
}

// Flash Player's folder, on the way to the storage folder, replaced by a link to a folder elsewhere
// (the storage folders lie where other programs can write): nothing behind the link is touched.
TEST_F(PluginStorage, OnWindowsXpSilverlightIsEmptiedUnderLocalAppDataAndLinksStopTheWalk) {
    TempFolder temp;
    std::wstring program = temp / L"SweeplyOnXp.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"Sweeply.exe").c_str(), program.c_str(), FALSE));
    // Wine takes a program's Windows version from HKCU\Software\Wine\AppDefaults\<file name>.
    ScopedRegistryText xp(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\SweeplyOnXp.exe",
                          L"Version", L"winxp");
    ASSERT_TRUE(xp.ready());
    Plant(temp.path(), L"#SharedObjects\\precious.sol");
    RemoveTree(flash_);
    bool linked = MakeFolderLink(flash_, temp.path());
    EXPECT_TRUE(linked) << "no way to make a folder link here";

    RunResult run = RunProgram(Quote(program) + L" --lso --sl", 60000);
    if (linked) {
        RemoveFolderLink(flash_);
    }
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(IsEmptyFolder(local_ + L"\\Microsoft\\Silverlight"));
    EXPECT_TRUE(FileExists(localLow_ + L"\\Microsoft\\Silverlight\\is\\b2\\low.bin"));
    EXPECT_TRUE(FileExists(temp / L"#SharedObjects\\precious.sol"));
}

}  // namespace
