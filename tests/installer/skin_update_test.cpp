// UpdateSkinArchive on skin archives made at test time: what is carried over, how skin.ini is
// edited, and that every failure leaves the old archive byte for byte with nothing left beside it.
#include <gtest/gtest.h>
#include <shlobj.h>

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

class SkinUpdate : public ::testing::Test {
  protected:
    // Working folders an earlier run left behind are not this test's to count.
    void SetUp() override { ASSERT_TRUE(CreateDirectoryW(skinFolder_.c_str(), nullptr)); }
    ArchiveResult Update() {
        return UpdateSkinArchive(skinPath_.c_str(), kImage, sizeof(kImage) - 1);
    }
    // Rewrites every `from` in the archive's bytes as `to`: names the zip writer would not store.
    void Rewrite(const std::string& from, const std::string& to) {
        std::string bytes = ReadTextFile(skinPath_);
        for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at)) {
            bytes.replace(at, from.size(), to);
        }
        ASSERT_TRUE(WriteTextFile(skinPath_, bytes));
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(ListFolder(skinFolder_), std::vector<std::wstring>{L"standard_skin.zip"})
            << "a temporary file was left";
        EXPECT_EQ(ListFolder(temp_, kAdminFolderPrefix), workingFolders_)
            << "a working folder was left";
    }

    TempFolder root_;
    const std::wstring skinFolder_ = root_ / L"skin";
    const std::wstring skinPath_ = skinFolder_ + L"\\standard_skin.zip";
    const std::wstring temp_ = SpecialFolder(CSIDL_WINDOWS) + L"\\Temp";
    const std::vector<std::wstring> workingFolders_ = ListFolder(temp_, kAdminFolderPrefix);
};

TEST_F(SkinUpdate, EveryEntryCarriedOverImagesSectionKeyReplacedImageLast) {
    const std::string ini =
        "[Info]\r\nName=Standard\r\n[Images]\r\nBack=buttons/back.png\r\nSweeply=buttons/"
        "old.png\r\n"
        "[Colors]\r\nText=0\r\n";
    std::vector<SkinEntry> old = RealisticSkin(240, ini, true);
    // A first entry of one byte: the working buffer starts empty.
    old.insert(old.begin(), {L"tiny.txt", false, "x"});
    old.push_back({L"notes/", false, "a file's bytes under a folder's name"});
    old.push_back({L"flag/", true, ""});
    ASSERT_TRUE(WriteSkinArchive(skinPath_, old));
    // A folder marked by its attribute alone: the new archive names it with the slash.
    Rewrite("flag/", "flags");
    old.back().name = L"flags/";

    ASSERT_EQ(Update(), ArchiveResult::Ok);
    std::vector<SkinEntry> first;
    ASSERT_TRUE(ReadSkinArchive(skinPath_, &first));
    // The old entries in order without the earlier image, skin.ini edited, the new image last.
    std::vector<SkinEntry> expected;
    for (SkinEntry entry : old) {
        if (entry.name == L"skin.ini") {
            entry.data.replace(ini.find("old"), 3, "sweeply");
        }
        if (entry.name != L"buttons/sweeply.png") {
            expected.push_back(entry);
        }
    }
    expected.push_back({L"buttons/sweeply.png", false, kImage});
    EXPECT_EQ(first, expected);

    // A second run drops the first run's image and gives the same archive contents.
    ASSERT_EQ(Update(), ArchiveResult::Ok);
    std::vector<SkinEntry> second;
    ASSERT_TRUE(ReadSkinArchive(skinPath_, &second));
    EXPECT_EQ(second, first);
    ExpectNothingLeft();
}

// Each failure leaves the old archive (or its absence) as it was, and nothing beside it.
TEST_F(SkinUpdate, FailuresLeaveTheArchiveAsItWas) {
    // Each twin comes out of the reader, or would go into the new archive, under the name of an
    // entry before it ("|" becomes a backslash in the stored names: the writer would not store
    // one).
    auto twin = [](const wchar_t* name) {
        return std::vector<SkinEntry>{{L"skin.ini", false, "[Images]\r\n"},
                                      {L"a.png", false, "one"},
                                      {L"a/b", false, "two"},
                                      {name, false, "the twin"}};
    };
    const struct {
        const char* name;
        std::vector<SkinEntry> entries;
        const char* bytes;  // written instead of the entries, or none
        bool held;          // held open as a running Opera holds it: others may only read
        ArchiveResult expected;
    } cases[] = {
        {"no archive", {}, nullptr, false, ArchiveResult::CannotOpen},
        {"not a zip archive", {}, "not a zip archive at all", false, ArchiveResult::ReadFailed},
        // The writer refuses an empty data block, so the update ends there.
        {"an empty file entry",
         {{L"skin.ini", false, "[Images]\r\n"}, {L"empty.png", false, ""}},
         nullptr,
         false,
         ArchiveResult::BadArgument},
        {"held open without write sharing", twin(L"c.png"), nullptr, true,
         ArchiveResult::WriteFailed},
        {"a name twice", twin(L"a.png"), nullptr, false, ArchiveResult::DamagedArchive},
        {"a leading slash", twin(L"/a.png"), nullptr, false, ArchiveResult::DamagedArchive},
        {"a dotted path", twin(L"x/../a.png"), nullptr, false, ArchiveResult::DamagedArchive},
        {"a backslash", twin(L"a|b"), nullptr, false, ArchiveResult::DamagedArchive},
        {"the image's name", twin(L"buttons|sweeply.png"), nullptr, false,
         ArchiveResult::DamagedArchive},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes != nullptr) {
            ASSERT_TRUE(WriteTextFile(skinPath_, c.bytes));
        } else if (!c.entries.empty()) {
            ASSERT_TRUE(WriteSkinArchive(skinPath_, c.entries));
            const std::string stored = Narrow(c.entries.back().name);
            if (stored.find('|') != std::string::npos) {
                Rewrite(stored, std::string(stored).replace(stored.find('|'), 1, "\\"));
            }
        }
        const std::string before = ReadTextFile(skinPath_);
        HANDLE held = c.held ? CreateFileW(skinPath_.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr)
                             : nullptr;
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Update(), c.expected);
        if (held != nullptr) {
            CloseHandle(held);
        }
        EXPECT_EQ(ReadTextFile(skinPath_), before);
        EXPECT_EQ(ListFolder(skinFolder_).size(), c.entries.empty() && !c.bytes ? 0u : 1u)
            << "a temporary file was left";
        EXPECT_EQ(ListFolder(temp_, kAdminFolderPrefix), workingFolders_);
        DeleteFileW(skinPath_.c_str());
    }
}

}  // namespace
