// LocateOpera against installations laid out in the prefix: one row per layout, with the registry
// values of the last start and the profile found from them.
#include "opera/opera_location.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/opera/opera_fixture.h"

namespace {

using namespace opera_fixture;
using namespace testing_support;

constexpr wchar_t kNowhere[] = L"C:\\nowhere\\opera.exe";
constexpr wchar_t kQuoted[] = L"\"$\\opera.exe\"";
// The preferences found in a single-user program folder: its path keeps the trailing backslash.
constexpr wchar_t kFound[] = L"$\\\\operaprefs.ini";
using Prefs = PrefsFiles;

// In values and results "$" is the program folder and "%" the multi-user profile folder,
// "<roaming application data>\Opera\<program folder's name>". A value that begins with "." is
// relative to the program folder, which is then made the current directory.
struct Layout {
    const char* name;
    OperaSetup setup;
    const wchar_t* values[3];  // "Last CommandLine v2", "Last CommandLine", "Last Directory3"
    const wchar_t* prefsPath;  // found, in the profile folder found; null: LocateOpera fails
};

const Layout kLayouts[] = {
    {"nothing registered", {}, {}, nullptr},
    {"folder and program name", {}, {nullptr, nullptr, L"$\\"}, kFound},
    {"older line before the folder", {}, {nullptr, kNowhere, L"$\\"}, nullptr},
    {"newer line before the older", {}, {L"$\\opera.exe http://example.com/", kNowhere}, kFound},
    {"newer line first", {}, {kNowhere, L"$\\opera.exe"}, nullptr},
    {"quoted, with arguments", {}, {L"\"$\\opera.exe\" http://example.com/ -x"}, kFound},
    {"no program name", {}, {L"$\\"}, nullptr},
    {"8.99", {L"8.99"}, {kQuoted}, nullptr},
    {"9.49", {L"9.49"}, {kQuoted}, nullptr},
    {"9.50", {L"9.50"}, {kQuoted}, kFound},
    {"three characters", {}, {L".\\"}, nullptr},
    {"name from the third character", {}, {L".\\opera.exe"}, nullptr},
    {"name from the fourth character", {}, {L".\\\\opera.exe"}, L".\\\\\\operaprefs.ini"},
    {"no defaults file", {L"10.0", 0, false, Prefs::OperaPrefs, nullptr}, {kQuoted}, nullptr},
    {"no Multi User", {L"10.0", kOmit}, {kQuoted}, nullptr},
    {"Multi User 7, as if missing", {L"10.0", 7}, {kQuoted}, nullptr},
    {"multi-user",
     {L"10.0", 1, false, Prefs::Opera6, L"operaDEF.ini"},
     {kQuoted},
     L"%\\opera6.ini"},
    {"multi-user, sub-folder",
     {L"10.0", 2, true, Prefs::Opera6},
     {kQuoted},
     L"%\\profile\\opera6.ini"},
    {"single-user, sub-folder", {L"10.0", 0, true}, {kQuoted}, L"$\\\\profile\\operaprefs.ini"},
    {"both preference files", {L"10.0", 0, false, Prefs::Both}, {kQuoted}, kFound},
    {"no preference file", {L"10.0", 0, false, Prefs::None}, {kQuoted}, nullptr},
};

std::wstring Expand(const wchar_t* text, const std::wstring& program, const std::wstring& profile) {
    std::wstring expanded;
    for (; *text != L'\0'; ++text) {
        expanded += *text == L'$' ? program : *text == L'%' ? profile : std::wstring(1, *text);
    }
    return expanded;
}

TEST(LocateOpera, Layouts) {
    const wchar_t* const names[] = {kCommandLineV2, kCommandLine, kDirectory3};
    std::wstring appData = SpecialFolder(CSIDL_APPDATA) + L"\\Opera";
    for (const Layout& row : kLayouts) {
        SCOPED_TRACE(row.name);
        OperaInstallation opera(row.setup);
        ASSERT_TRUE(opera.ready());
        const std::wstring& program = opera.programDir();
        std::wstring shared = appData + program.substr(program.rfind(L'\\'));
        for (int i = 0; i < 3; ++i) {
            if (row.values[i] != nullptr) {
                ASSERT_TRUE(
                    opera.SetRegistryValue(names[i], Expand(row.values[i], program, shared)));
            }
        }
        bool relative = row.values[0] != nullptr && row.values[0][0] == L'.';
        ASSERT_TRUE(SetCurrentDirectoryW(relative ? program.c_str() : BinDir().c_str()));
        OperaLocation location;
        bool found = LocateOpera(&location);
        ASSERT_TRUE(SetCurrentDirectoryW(BinDir().c_str()));
        ASSERT_EQ(found, row.prefsPath != nullptr);
        if (found) {
            std::wstring prefsPath = Expand(row.prefsPath, program, shared);
            EXPECT_EQ(std::wstring(location.prefsPath), prefsPath);
            EXPECT_EQ(std::wstring(location.profileDir),
                      prefsPath.substr(0, prefsPath.rfind('\\')));
        }
    }
}

}  // namespace
