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

constexpr char kDefaults[] =
    "[Document Toolbar.content]\r\nButton0=\"Back\"\r\nButton1=\"Forward\"\r\n"
    "Button2=\"Reload\"\r\n\r\n[Mail Toolbar.content]\r\nButton0=\"Compose\"\r\n";
// The longest registration taken: 129 characters.
const std::wstring kSweeply = L"C:\\" + std::wstring(114, L'x') + L"\\Sweeply.exe";

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class ToolbarPatch : public ::testing::Test {
  protected:
    // Empty program and profile folders, laid out again for each case of a table. LocateOpera
    // leaves the program folder with its trailing backslash in single-user installations; the
    // doubled separator that follows must do no harm.
    void Lay() {
        RemoveTree(root_ / L"Opera");
        RemoveTree(root_ / L"profile");
        ASSERT_TRUE(CreateDirectoryW((root_ / L"profile").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root_ / L"Opera").c_str(), nullptr));
        wcscpy(location_.programDir, (root_ / L"Opera\\").c_str());
        wcscpy(location_.profileDir, (root_ / L"profile").c_str());
    }
    // Each writes nothing for no text.
    void WriteDefaults(const wchar_t* folder, const char* text) {
        const std::wstring path = root_ / L"Opera\\" + folder;
        ASSERT_TRUE(!text || (CreateDirectoryW(path.c_str(), nullptr) &&
                              WriteTextFile(path + L"\\standard_toolbar.ini", text)));
    }
    void WriteToolbar(const std::wstring& name, const char* text) {
        ASSERT_TRUE(!text || (MakeFolders(root_ / L"profile\\toolbar") &&
                              WriteTextFile(Toolbar(name), text)));
    }
    std::wstring Toolbar(const std::wstring& name) { return root_ / L"profile\\toolbar\\" + name; }

    TempFolder root_;
    OperaLocation location_ = {};
};

// The first toolbar file whose section has entries gets the button, else standard_toolbar.ini
// when its section has them (whichever file the search meets first), else standard_toolbar.ini
// with the section of "ui\" (before "defaults\") copied in. The other files stay as they were,
// and a second run replaces the key with the same text.
TEST_F(ToolbarPatch, ButtonJoinsTheUsersEntriesOrOperasDefaults) {
    ScopedAppPath registration(kSweeply.c_str());
    const std::string button =
        "Button3001, \"Sweeply\"=\"Delete private data, , , \"Delete private data and erase the "
        "internet history and other tracks on your computer\", \"Sweeply\" & Click default "
        "button & Execute program, \"" +
        Narrow(kSweeply) + "\",\"opera/f cc\"\"\r\n";
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
        WriteDefaults(L"ui", c.ui);
        WriteDefaults(L"defaults", c.defaults);
        WriteToolbar(other, c.other);
        WriteToolbar(L"standard_toolbar.ini", c.standard);

        ASSERT_TRUE(PatchOperaToolbar(location_));
        const std::wstring target = c.toOther ? other : L"standard_toolbar.ini";
        std::string text = ReadTextFile(Toolbar(target));
        EXPECT_EQ(Count(text, button), 1u) << text;
        EXPECT_EQ(Count(text, "Button0=\"Back\"\r\nButton1=\"Forward\"\r\nButton2=\"Reload\"\r\n"),
                  c.copied ? 1u : 0u)
            << text;
        EXPECT_EQ(Count(text, "Button0=\"Home\""), c.copied ? 0u : 1u) << text;
        if (c.other != nullptr && !c.toOther) {
            EXPECT_EQ(ReadTextFile(Toolbar(other)), c.other);
        }
        EXPECT_EQ(FileExists(Toolbar(L"standard_toolbar.ini")), !c.toOther);
        ASSERT_TRUE(PatchOperaToolbar(location_));
        EXPECT_EQ(ReadTextFile(Toolbar(target)), text);
    }
}

// Defaults that cannot give the user's toolbar its buttons back, or no usable registration of
// Sweeply.exe (read after the defaults were copied, which then stay): no button is written. The
// profile is the user's and this program runs elevated: a toolbar file with a second name
// elsewhere, or a toolbar folder that leads elsewhere, is refused and nothing is written behind
// it. (Wine shows a Unix link to a folder as a link, but one to a file as the file itself: the
// file case is a hard link.)
TEST_F(ToolbarPatch, UnusableDefaultsRegistrationOrLinksWriteNoButton) {
    std::string tooLong = "[Document Toolbar.content]\r\n";
    for (int i = 0; tooLong.size() < 2200; ++i) {
        tooLong += "Button" + std::to_string(i) + "=\"Some default button\"\r\n";
    }
    const std::wstring path130 = L"C:\\" + std::wstring(115, L'x') + L"\\Sweeply.exe";
    const char own[] = "[Document Toolbar.content]\r\nButton0=\"Home\"\r\n";
    const char empty[] = "[Document Toolbar.content]\r\n";  // another file, left alone
    enum Link { kNone, kFile, kFolder };
    const struct {
        const char* name;
        const char* defaults;  // ui\standard_toolbar.ini, or none
        const wchar_t* registered;
        Link link;  // standard_toolbar.ini, or the toolbar folder, leads elsewhere
    } cases[] = {
        {"no default toolbar file", nullptr, kSweeply.c_str(), kNone},
        {"default file without the section", "[Mail Toolbar.content]\r\nButton0=\"C\"\r\n",
         kSweeply.c_str(), kNone},
        {"default section without entries", "[Document Toolbar.content]\r\n[Other]\r\nA=1\r\n",
         kSweeply.c_str(), kNone},
        {"default section too long for the copy", tooLong.c_str(), kSweeply.c_str(), kNone},
        {"a registration of 130 characters", kDefaults, path130.c_str(), kNone},
        {"an empty registration", kDefaults, L"", kNone},
        {"no registration", kDefaults, nullptr, kNone},
        {"a toolbar file linked elsewhere", kDefaults, kSweeply.c_str(), kFile},
        {"a toolbar folder linked elsewhere", kDefaults, kSweeply.c_str(), kFolder},
    };
    TempFolder elsewhere;
    const std::wstring folder = root_ / L"profile\\toolbar";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lay();
        ScopedAppPath registration(c.registered);
        WriteDefaults(L"ui", c.defaults);
        ASSERT_TRUE(WriteTextFile(elsewhere / L"standard_toolbar.ini", own));
        if (c.link == kFolder && !MakeFolderLink(folder, elsewhere.path())) {
            GTEST_SKIP() << "no way to make a folder link here";
        }
        ASSERT_TRUE(c.link != kFile ||
                    (MakeFolders(folder) &&
                     CreateHardLinkW(Toolbar(L"standard_toolbar.ini").c_str(),
                                     (elsewhere / L"standard_toolbar.ini").c_str(), nullptr)));
        WriteToolbar(L"standard_toolbar_x.ini", c.link ? nullptr : empty);

        EXPECT_FALSE(PatchOperaToolbar(location_));
        const std::string text = ReadTextFile(Toolbar(L"standard_toolbar.ini"));
        EXPECT_EQ(FileExists(Toolbar(L"standard_toolbar.ini")), c.defaults == kDefaults);
        if (c.link == kFolder) {
            RemoveFolderLink(folder);
        }
        EXPECT_EQ(text.find("Button3001"), std::string::npos);
        EXPECT_EQ(Count(text, "Button0=\"Back\""), c.link || c.defaults != kDefaults ? 0u : 1u);
        EXPECT_EQ(ReadTextFile(Toolbar(L"standard_toolbar_x.ini")), c.link ? "" : empty);
        EXPECT_EQ(ListFolder(elsewhere.path()), std::vector<std::wstring>{L"standard_toolbar.ini"});
        EXPECT_EQ(ReadTextFile(elsewhere / L"standard_toolbar.ini"), own);
    }
}

}  // namespace
