// PatchOperaToolbar against profile and program folders laid out per case: which file receives
// the button, what is copied from Opera's defaults, and when nothing may be written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "installer/toolbar_patch.h"
#include "tests/installer/installer_fixture.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace installer_fixture;

constexpr char kSweeplyPath[] = "C:\\Tools\\Sweeply.exe";
constexpr char kButtonLine[] =
    "Button3001, \"Sweeply\"=\"Delete private data, , , \"Delete private data and erase the "
    "internet history and other tracks on your computer\", \"Sweeply\" & Click default button & "
    "Execute program, \"C:\\Tools\\Sweeply.exe\",\"opera/f cc\"\"\r\n";
constexpr char kDefaults[] =
    "[Document Toolbar.content]\r\nButton0=\"Back\"\r\nButton1=\"Forward\"\r\n"
    "Button2=\"Reload\"\r\n\r\n[Mail Toolbar.content]\r\nButton0=\"Compose\"\r\n";

class ToolbarPatch : public ::testing::Test {
  protected:
    void SetUp() override { Lay(); }
    // Empty program and profile folders, laid out again for each case of a table.
    void Lay() {
        RemoveTree(root_ / L"Opera");
        RemoveTree(root_ / L"profile");
        ASSERT_TRUE(CreateDirectoryW((root_ / L"Opera").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root_ / L"profile").c_str(), nullptr));
        // LocateOpera leaves the program folder with its trailing backslash in single-user
        // installations; the doubled separator that follows must do no harm.
        wcscpy(location_.programDir, (root_ / L"Opera\\").c_str());
        wcscpy(location_.profileDir, (root_ / L"profile").c_str());
    }

    std::wstring Program(const wchar_t* name) { return root_ / (L"Opera\\" + std::wstring(name)); }
    std::wstring Toolbar(const std::wstring& name) {
        return root_ / (L"profile\\toolbar\\" + name);
    }
    // Each writes nothing for no text.
    void WriteProgramFile(const wchar_t* folder, const char* text) {
        if (text == nullptr) {
            return;
        }
        ASSERT_TRUE(CreateDirectoryW(Program(folder).c_str(), nullptr));
        ASSERT_TRUE(WriteTextFile(Program(folder) + L"\\standard_toolbar.ini", text));
    }
    void WriteToolbar(const std::wstring& name, const char* text) {
        if (text == nullptr) {
            return;
        }
        CreateDirectoryW((root_ / L"profile\\toolbar").c_str(), nullptr);
        ASSERT_TRUE(WriteTextFile(Toolbar(name), text));
    }
    static size_t Count(const std::string& text, const std::string& part) {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++count;
        }
        return count;
    }

    TempFolder root_;
    OperaLocation location_ = {};
};

// The first toolbar file whose section has entries gets the button, else standard_toolbar.ini
// when its section has them (whichever file the search meets first), else standard_toolbar.ini
// with the section of "ui\" (before "defaults\") copied in. The other files stay as they were,
// and a second run replaces the key with the same text.
TEST_F(ToolbarPatch, ButtonJoinsTheUsersEntriesOrOperasDefaults) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    ASSERT_TRUE(registration.ready());
    const char home[] = "[Document Toolbar.content]\r\nButton0=\"Home\"\r\n";
    const char empty[] = "[Document Toolbar.content]\r\n\r\n[Other]\r\nKeep=1\r\n";
    const char wrong[] = "[Document Toolbar.content]\r\nButton0=\"Wrong file\"\r\n";
    const std::wstring other = L"standard_toolbar (1).ini";  // a blank sorts before the dot
    const struct {
        const char* name;
        const char* other;     // the text of the other profile file, or none
        const char* standard;  // the text of profile's standard_toolbar.ini, or none
        const char* ui;        // ui\standard_toolbar.ini, or none
        const char* defaults;  // defaults\standard_toolbar.ini, or none
        bool toOther;          // the other file gets the button, else standard_toolbar.ini
        bool copied;           // the target holds the defaults' buttons rather than "Home"
    } cases[] = {
        {"entries in another file", home, nullptr, kDefaults, nullptr, true, false},
        {"entries in standard_toolbar.ini", empty, home, kDefaults, nullptr, false, false},
        {"an empty section: ui's defaults", empty, nullptr, kDefaults, wrong, false, true},
        {"a fresh profile: the defaults folder's", nullptr, nullptr, nullptr, kDefaults, false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lay();
        const std::wstring target = c.toOther ? other : L"standard_toolbar.ini";
        WriteProgramFile(L"ui", c.ui);
        WriteProgramFile(L"defaults", c.defaults);
        WriteToolbar(other, c.other);
        WriteToolbar(L"standard_toolbar.ini", c.standard);

        ASSERT_TRUE(PatchOperaToolbar(location_));
        std::string text = ReadTextFile(Toolbar(target));
        EXPECT_EQ(Count(text, kButtonLine), 1u) << text;
        for (const char* entry :
             {"Button0=\"Back\"", "Button1=\"Forward\"", "Button2=\"Reload\""}) {
            EXPECT_EQ(Count(text, entry), c.copied ? 1u : 0u) << entry << "\n" << text;
        }
        EXPECT_EQ(Count(text, "Button0=\"Home\""), c.copied ? 0u : 1u) << text;
        EXPECT_EQ(text.find("Compose"), std::string::npos) << "only the one section is copied";
        EXPECT_EQ(text.find("Wrong file"), std::string::npos);
        if (c.other != nullptr && !c.toOther) {
            EXPECT_EQ(ReadTextFile(Toolbar(other)), c.other);
        }
        EXPECT_EQ(FileExists(Toolbar(L"standard_toolbar.ini")), !c.toOther);
        ASSERT_TRUE(PatchOperaToolbar(location_));
        EXPECT_EQ(ReadTextFile(Toolbar(target)), text);
    }
}

// The profile is the user's and this program runs elevated: a toolbar folder that leads
// elsewhere, or a toolbar file with a second name elsewhere, is refused and nothing is written
// behind it. (Wine shows a Unix link to a folder as a link, but one to a file as the file
// itself: the file case is a hard link.)
TEST_F(ToolbarPatch, ToolbarFolderOrFileThatIsALinkIsRefused) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    WriteProgramFile(L"ui", kDefaults);
    const std::string own = "[Document Toolbar.content]\r\nButton0=\"Home\"\r\n";
    TempFolder elsewhere;
    const std::wstring outside = elsewhere / L"standard_toolbar.ini";
    ASSERT_TRUE(WriteTextFile(outside, own));
    const std::wstring folder = root_ / L"profile\\toolbar";

    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(
        CreateHardLinkW(Toolbar(L"standard_toolbar.ini").c_str(), outside.c_str(), nullptr));
    EXPECT_FALSE(PatchOperaToolbar(location_));
    EXPECT_EQ(ReadTextFile(outside), own);
    RemoveTree(folder);

    if (!MakeFolderLink(folder, elsewhere.path())) {
        GTEST_SKIP() << "no way to make a folder link here";
    }
    bool patched = PatchOperaToolbar(location_);
    RemoveFolderLink(folder);
    EXPECT_FALSE(patched);
    EXPECT_EQ(ReadTextFile(outside), own);
    EXPECT_EQ(ListFolder(elsewhere.path()), std::vector<std::wstring>{L"standard_toolbar.ini"});
}

// Defaults that cannot give the user's toolbar its buttons back: nothing is written.
TEST_F(ToolbarPatch, UnusableDefaultsWriteNothing) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    std::string tooLong = "[Document Toolbar.content]\r\n";
    for (int i = 0; tooLong.size() < 2200; ++i) {
        tooLong += "Button" + std::to_string(i) + "=\"Some default button\"\r\n";
    }
    const char own[] = "[Document Toolbar.content]\r\n";
    const struct {
        const char* name;
        const char* defaults;  // ui\standard_toolbar.ini, or none
    } cases[] = {
        {"no default toolbar file", nullptr},
        {"default file without the section", "[Mail Toolbar.content]\r\nButton0=\"Compose\"\r\n"},
        {"default section without entries", "[Document Toolbar.content]\r\n[Other]\r\nA=1\r\n"},
        {"default section too long for the copy", tooLong.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lay();
        WriteProgramFile(L"ui", c.defaults);
        WriteToolbar(L"standard_toolbar_x.ini", own);

        EXPECT_FALSE(PatchOperaToolbar(location_));
        EXPECT_FALSE(FileExists(Toolbar(L"standard_toolbar.ini")));
        EXPECT_EQ(ReadTextFile(Toolbar(L"standard_toolbar_x.ini")), own);
    }
}

TEST_F(ToolbarPatch, AppPathOf129CharactersIsAcceptedAnd130OrEmptyRefused) {
    WriteProgramFile(L"ui", kDefaults);
    std::wstring path129 = L"C:\\" + std::wstring(114, L'x') + L"\\Sweeply.exe";
    ASSERT_EQ(path129.size(), 129u);
    {
        ScopedAppPath registration(path129);
        ASSERT_TRUE(PatchOperaToolbar(location_));
        std::string text = ReadTextFile(Toolbar(L"standard_toolbar.ini"));
        EXPECT_NE(text.find("Execute program, \"" + Narrow(path129) + "\",\"opera/f cc\"\"\r\n"),
                  std::string::npos);
    }
    ASSERT_TRUE(DeleteFileW(Toolbar(L"standard_toolbar.ini").c_str()));
    // 130 characters, an empty registration, none.
    const std::wstring path130 = L"C:\\" + std::wstring(115, L'x') + L"\\Sweeply.exe";
    for (const wchar_t* refused : {path130.c_str(), L"", static_cast<const wchar_t*>(nullptr)}) {
        ScopedRegistryText registration(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr, refused);
        EXPECT_FALSE(PatchOperaToolbar(location_));
        // The defaults were copied before the registration was read, and stay.
        EXPECT_EQ(ReadTextFile(Toolbar(L"standard_toolbar.ini")).find("Button3001"),
                  std::string::npos);
    }
}

}  // namespace
