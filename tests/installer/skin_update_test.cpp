// UpdateSkinArchive on skin archives made at test time: what is carried over, how skin.ini is
// edited, and that every failure leaves the old archive byte for byte with nothing left beside it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "installer/admin_folder.h"
#include "installer/skin_archive.h"
#include "tests/installer/installer_fixture.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace installer_fixture;

constexpr char kImage[] = "\x89PNG\r\n\x1a\nthe new button image";

// Working folders of the skin.ini edit in the system's temporary folder.
std::vector<std::wstring> WorkingFolders() {
    std::vector<std::wstring> found;
    for (const std::wstring& name : ListFolder(SpecialFolder(CSIDL_WINDOWS) + L"\\Temp")) {
        if (name.rfind(kAdminFolderPrefix, 0) == 0) {
            found.push_back(name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

class SkinUpdate : public ::testing::Test {
  protected:
    // Those an earlier run left behind are not this test's to count.
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(SkinFolder().c_str(), nullptr));
        workingFolders_ = WorkingFolders();
    }
    std::wstring SkinFolder() { return root_ / L"skin"; }
    std::wstring SkinPath() { return root_ / L"skin\\standard_skin.zip"; }
    ArchiveResult Update() {
        return UpdateSkinArchive(SkinPath().c_str(), kImage, sizeof(kImage) - 1);
    }

    // The entries the rebuilt archive must hold: the old ones without an earlier image, the
    // given skin.ini text, the new image last.
    static std::vector<SkinEntry> Expected(std::vector<SkinEntry> old, const std::string& ini) {
        std::vector<SkinEntry> expected;
        for (SkinEntry& entry : old) {
            if (entry.name == L"buttons/sweeply.png") {
                continue;
            }
            if (entry.name == L"skin.ini") {
                entry.data = ini;
            }
            expected.push_back(entry);
        }
        expected.push_back({L"buttons/sweeply.png", false, kImage});
        return expected;
    }

    void ExpectUnchanged(const std::string& before) {
        EXPECT_EQ(ReadTextFile(SkinPath()), before);
        ExpectNothingLeft();
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(ListFolder(SkinFolder()), std::vector<std::wstring>{L"standard_skin.zip"})
            << "a temporary file was left";
        EXPECT_EQ(WorkingFolders(), workingFolders_) << "a working folder was left";
    }

    TempFolder root_;
    std::vector<std::wstring> workingFolders_;
};

TEST_F(SkinUpdate, EveryEntryCarriedOverImagesSectionKeyReplacedImageLast) {
    std::vector<SkinEntry> old =
        RealisticSkin(240,
                      "[Info]\r\nName=Standard\r\n\r\n[Images]\r\nBack=buttons/back.png\r\n"
                      "Sweeply=buttons/old.png\r\n\r\n[Colors]\r\nText=0\r\n",
                      true);
    old.push_back({L"notes/", false, "a file's bytes under a folder's name"});
    // A folder marked by its attribute alone: its stored name loses the slash.
    old.push_back({L"flag/", true, ""});
    ASSERT_TRUE(WriteSkinArchive(SkinPath(), old));
    std::string bytes = ReadTextFile(SkinPath());
    for (size_t at = bytes.find("flag/"); at != std::string::npos; at = bytes.find("flag/")) {
        bytes.replace(at, 5, "flags");
    }
    ASSERT_TRUE(WriteTextFile(SkinPath(), bytes));
    old.back().name = L"flags/";  // as the new archive names it

    ASSERT_EQ(Update(), ArchiveResult::Ok);
    std::vector<SkinEntry> first;
    ASSERT_TRUE(ReadSkinArchive(SkinPath(), &first));
    ASSERT_FALSE(first.empty());
    const std::string ini = first.front().data;
    EXPECT_NE(ini.find("[Images]\r\nBack=buttons/back.png\r\nSweeply=buttons/sweeply.png\r\n"),
              std::string::npos)
        << ini;
    EXPECT_EQ(ini.find("old.png"), std::string::npos);
    EXPECT_NE(ini.find("[Colors]\r\nText=0"), std::string::npos) << ini;
    EXPECT_EQ(first, Expected(old, ini));

    // A second run drops the first run's image and gives the same archive contents.
    ASSERT_EQ(Update(), ArchiveResult::Ok);
    std::vector<SkinEntry> second;
    ASSERT_TRUE(ReadSkinArchive(SkinPath(), &second));
    EXPECT_EQ(second, first);
    ExpectNothingLeft();
}

TEST_F(SkinUpdate, SkinIniWithoutImagesSectionGetsOneTakenWholeThoughLargerThanTheBuffer) {
    // The working buffer is twice the largest entry met; a short skin.ini more than doubles
    // with the edit, so the edited text no longer fits the buffer it came from.
    std::vector<SkinEntry> old = {{L"a.png", false, "x"}, {L"skin.ini", false, "[A]\r\n"}};
    ASSERT_TRUE(WriteSkinArchive(SkinPath(), old));

    ASSERT_EQ(Update(), ArchiveResult::Ok);
    std::vector<SkinEntry> now;
    ASSERT_TRUE(ReadSkinArchive(SkinPath(), &now));
    ASSERT_EQ(now.size(), 3u);
    // Taken whole: from the start of the old text to the end of the key written last.
    const std::string tail = "[Images]\r\nSweeply=buttons/sweeply.png\r\n";
    EXPECT_EQ(now[1].data.rfind("[A]\r\n", 0), 0u);
    ASSERT_GT(now[1].data.size(), tail.size());
    EXPECT_EQ(now[1].data.substr(now[1].data.size() - tail.size()), tail);
}

TEST_F(SkinUpdate, ArchiveHeldOpenWithoutWriteSharingStaysAsItWas) {
    ASSERT_TRUE(WriteSkinArchive(SkinPath(), RealisticSkin(40, "[Images]\r\n", false)));
    std::string before = ReadTextFile(SkinPath());
    // As a running Opera holds its skin: reading, others may only read.
    HANDLE held = CreateFileW(SkinPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ArchiveResult result = Update();
    CloseHandle(held);

    EXPECT_EQ(result, ArchiveResult::WriteFailed);
    ExpectUnchanged(before);
}

TEST_F(SkinUpdate, TwoEntriesThatWouldBecomeOneNameRefuseTheUpdate) {
    // Each twin comes out of the reader, or would go into the new archive, under the name of an
    // entry before it ("|" becomes a backslash in the stored names: the writer would not store
    // one).
    for (const wchar_t* twin :
         {L"a.png", L"/a.png", L"x/../a.png", L"a|b", L"buttons|sweeply.png"}) {
        ASSERT_TRUE(WriteSkinArchive(SkinPath(), {{L"skin.ini", false, "[Images]\r\n"},
                                                  {L"a.png", false, "one"},
                                                  {L"a/b", false, "two"},
                                                  {twin, false, "the twin"}}));
        std::string before = ReadTextFile(SkinPath());
        const std::string stored(twin, twin + wcslen(twin));  // ASCII: the stored name bytes
        std::string turned = stored;
        std::replace(turned.begin(), turned.end(), '|', '\\');
        for (size_t at = before.find(stored); at != std::string::npos;
             at = before.find(stored, at + 1)) {
            before.replace(at, stored.size(), turned);
        }
        ASSERT_TRUE(WriteTextFile(SkinPath(), before));
        EXPECT_EQ(Update(), ArchiveResult::DamagedArchive) << twin;
        ExpectUnchanged(before);
    }
}

TEST_F(SkinUpdate, FailuresBeforeTheReplaceLeaveTheArchiveAlone) {
    // An empty file entry: the writer refuses an empty data block, so the update ends there.
    ASSERT_TRUE(WriteSkinArchive(
        SkinPath(), {{L"skin.ini", false, "[Images]\r\n"}, {L"empty.png", false, ""}}));
    std::string before = ReadTextFile(SkinPath());
    EXPECT_EQ(Update(), ArchiveResult::BadArgument);
    ExpectUnchanged(before);

    ASSERT_TRUE(WriteTextFile(SkinPath(), "not a zip archive at all"));
    EXPECT_EQ(Update(), ArchiveResult::ReadFailed);
    ExpectUnchanged("not a zip archive at all");

    EXPECT_EQ(UpdateSkinArchive((root_ / L"missing.zip").c_str(), kImage, 1),
              ArchiveResult::CannotOpen);
}

}  // namespace
