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
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW((root_ / L"Opera").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root_ / L"profile").c_str(), nullptr));
        // LocateOpera leaves the program folder with its trailing backslash in single-user
        // installations; the doubled separator that follows must do no harm.
        wcscpy(location_.programDir, (root_ / L"Opera\\").c_str());
        wcscpy(location_.profileDir, (root_ / L"profile").c_str());
    }

    std::wstring Program(const wchar_t* name) { return root_ / (L"Opera\\" + std::wstring(name)); }
    std::wstring Toolbar(const wchar_t* name) {
        return root_ / (L"profile\\toolbar\\" + std::wstring(name));
    }
    void WriteProgramFile(const wchar_t* folder, const std::string& text) {
        ASSERT_TRUE(CreateDirectoryW(Program(folder).c_str(), nullptr));
        ASSERT_TRUE(WriteTextFile(Program(folder) + L"\\standard_toolbar.ini", text));
    }
    void WriteToolbar(const wchar_t* name, const std::string& text) {
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

TEST_F(ToolbarPatch, SectionWithEntriesGetsTheButtonInThatSameFile) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    ASSERT_TRUE(registration.ready());
    WriteProgramFile(L"ui", kDefaults);
    WriteToolbar(L"standard_toolbar (2).ini", "[Document Toolbar.content]\r\nButton0=\"Home\"\r\n");

    ASSERT_TRUE(PatchOperaToolbar(location_));
    std::string text = ReadBytes(Toolbar(L"standard_toolbar (2).ini"));
    EXPECT_NE(text.find("Button0=\"Home\""), std::string::npos);
    EXPECT_NE(text.find(kButtonLine), std::string::npos) << text;
    EXPECT_EQ(text.find("Forward"), std::string::npos) << "defaults copied over own entries";
    EXPECT_FALSE(FileExists(Toolbar(L"standard_toolbar.ini")));
}

TEST_F(ToolbarPatch, EmptySectionTakesOperasUiDefaultsIntoStandardToolbar) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    WriteProgramFile(L"ui", kDefaults);
    WriteProgramFile(L"defaults", "[Document Toolbar.content]\r\nButton0=\"Wrong file\"\r\n");
    const std::string own = "[Document Toolbar.content]\r\n\r\n[Other]\r\nKeep=1\r\n";
    WriteToolbar(L"standard_toolbar_mine.ini", own);

    ASSERT_TRUE(PatchOperaToolbar(location_));
    EXPECT_EQ(ReadBytes(Toolbar(L"standard_toolbar_mine.ini")), own);
    std::string text = ReadBytes(Toolbar(L"standard_toolbar.ini"));
    for (const char* entry :
         {"Button0=\"Back\"", "Button1=\"Forward\"", "Button2=\"Reload\"", kButtonLine}) {
        EXPECT_EQ(Count(text, entry), 1u) << entry << "\n" << text;
    }
    EXPECT_EQ(text.find("Compose"), std::string::npos) << "only the one section is copied";
    EXPECT_EQ(text.find("Wrong file"), std::string::npos);
}

TEST_F(ToolbarPatch, OwnButtonsInStandardToolbarSurviveAnEmptyFileBesideIt) {
    // Whichever of the two files the search meets first, the user's buttons stay.
    ScopedAppPath registration(Widen(kSweeplyPath));
    WriteProgramFile(L"ui", kDefaults);
    WriteToolbar(L"standard_toolbar (1).ini", "[Document Toolbar.content]\r\n");
    WriteToolbar(L"standard_toolbar.ini", "[Document Toolbar.content]\r\nButton0=\"Home\"\r\n");

    ASSERT_TRUE(PatchOperaToolbar(location_));
    std::string text = ReadBytes(Toolbar(L"standard_toolbar.ini"));
    EXPECT_NE(text.find("Button0=\"Home\""), std::string::npos) << text;
    EXPECT_NE(text.find(kButtonLine), std::string::npos) << text;
    EXPECT_EQ(text.find("Forward"), std::string::npos) << "defaults copied over own entries";
}

// A second run replaces the key with the same text: no second key, nothing else changes.
TEST_F(ToolbarPatch, FreshProfileGetsTheDefaultsFolderSectionAndASecondRunChangesNothing) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    WriteProgramFile(L"defaults", kDefaults);

    ASSERT_TRUE(PatchOperaToolbar(location_));
    std::string text = ReadBytes(Toolbar(L"standard_toolbar.ini"));
    EXPECT_EQ(Count(text, "Button2=\"Reload\""), 1u) << text;
    EXPECT_EQ(Count(text, kButtonLine), 1u) << text;
    ASSERT_TRUE(PatchOperaToolbar(location_));
    EXPECT_EQ(ReadBytes(Toolbar(L"standard_toolbar.ini")), text);
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
    EXPECT_EQ(ReadBytes(outside), own);
    RemoveTree(folder);

    if (!MakeFolderLink(folder, elsewhere.path())) {
        GTEST_SKIP() << "no way to make a folder link here";
    }
    bool patched = PatchOperaToolbar(location_);
    RemoveFolderLink(folder);
    EXPECT_FALSE(patched);
    EXPECT_EQ(ReadBytes(outside), own);
    EXPECT_EQ(ListFolder(elsewhere.path()), std::vector<std::wstring>{L"standard_toolbar.ini"});
}

// Defaults that cannot give the user's toolbar its buttons back: nothing is written.
TEST_F(ToolbarPatch, UnusableDefaultsWriteNothing) {
    ScopedAppPath registration(Widen(kSweeplyPath));
    std::string tooLong = "[Document Toolbar.content]\r\n";
    for (int i = 0; tooLong.size() < 2200; ++i) {
        tooLong += "Button" + std::to_string(i) + "=\"Some default button\"\r\n";
    }
    const std::string own = "[Document Toolbar.content]\r\n";
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
        TempFolder program;
        wcscpy(location_.programDir, program.path().c_str());
        if (c.defaults != nullptr) {
            ASSERT_TRUE(CreateDirectoryW((program / L"ui").c_str(), nullptr));
            ASSERT_TRUE(WriteTextFile(program / L"ui\\standard_toolbar.ini", c.defaults));
        }
        WriteToolbar(L"standard_toolbar_x.ini", own);
        DeleteFileW(Toolbar(L"standard_toolbar.ini").c_str());  // left by a failing case

        EXPECT_FALSE(PatchOperaToolbar(location_));
        EXPECT_FALSE(FileExists(Toolbar(L"standard_toolbar.ini")));
        EXPECT_EQ(ReadBytes(Toolbar(L"standard_toolbar_x.ini")), own);
    }
}

TEST_F(ToolbarPatch, AppPathOf129CharactersIsAcceptedAnd130Refused) {
    WriteProgramFile(L"ui", kDefaults);
    std::wstring path129 = L"C:\\" + std::wstring(114, L'x') + L"\\Sweeply.exe";
    ASSERT_EQ(path129.size(), 129u);
    {
        ScopedAppPath registration(path129);
        ASSERT_TRUE(PatchOperaToolbar(location_));
        std::string text = ReadBytes(Toolbar(L"standard_toolbar.ini"));
        EXPECT_NE(text.find("Execute program, \"" + Narrow(path129) + "\",\"opera/f cc\"\"\r\n"),
                  std::string::npos);
    }
    ASSERT_TRUE(DeleteFileW(Toolbar(L"standard_toolbar.ini").c_str()));
    {
        ScopedAppPath registration(L"C:\\" + std::wstring(115, L'x') + L"\\Sweeply.exe");
        EXPECT_FALSE(PatchOperaToolbar(location_));
        // The defaults were copied before the registration was read, and stay.
        std::string text = ReadBytes(Toolbar(L"standard_toolbar.ini"));
        EXPECT_EQ(text.find("Button3001"), std::string::npos);
    }
    {
        ScopedNoAppPath noRegistration;
        EXPECT_FALSE(PatchOperaToolbar(location_));
    }
}

}  // namespace
