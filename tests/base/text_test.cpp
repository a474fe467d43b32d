// What base/ reads: paths built whole or not at all, registry text terminated or refused (under
// Wine's real registry), file versions, and files copied through held handles.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "base/file_version.h"
#include "base/held_file.h"
#include "base/path_builder.h"
#include "base/registry_text.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

TEST(PathBuilder, BuildsWholeOrLeavesTheBufferAsItWas) {
    wchar_t path[kPathChars];
    std::wstring start(257, L'a');
    wcscpy(path, start.c_str());
    EXPECT_TRUE(AppendPath(path, L"\\*"));  // 259 characters and the terminator
    EXPECT_EQ(std::wstring(path), start + L"\\*");
    std::wstring full(path, kPathChars);
    EXPECT_FALSE(AppendPath(path, L"x"));
    EXPECT_EQ(std::wstring(path, kPathChars), full) << "a cut path was left";
    wmemset(path, L'x', kPathChars);  // not terminated within the buffer
    EXPECT_FALSE(AppendPath(path, L"y"));
    EXPECT_EQ(std::wstring(path, kPathChars), std::wstring(kPathChars, L'x'));

    wchar_t out[8] = L"old";
    EXPECT_FALSE(JoinText(out, {L"ab", L"cd", L"efgh"}));
    EXPECT_STREQ(out, L"old");
    EXPECT_TRUE(JoinText(out, {L"ab", L"cd", L"efg"}));
    EXPECT_STREQ(out, L"abcdefg");
}

constexpr wchar_t kTestKey[] = L"Software\\SweeplyTests";

// `stored` as the value "value" of the test's key, of `type`, with or without its terminator;
// then what the reader gives back into a buffer of `chars`, or "refused". Either way the buffer
// must hold a terminated text afterwards.
std::wstring StoreAndRead(DWORD type,
                          const std::wstring& stored,
                          bool terminated,
                          DWORD chars,
                          TextExpansion expansion = TextExpansion::Expanded) {
    DWORD bytes = static_cast<DWORD>((stored.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, L"value", type, stored.c_str(), bytes) !=
        ERROR_SUCCESS) {
        return L"not stored";
    }
    wchar_t text[64];
    wmemset(text, L'#', 64);
    bool read = ReadRegistryText(HKEY_CURRENT_USER, kTestKey, L"value", RegistryView::Own,
                                 expansion, text, chars);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    if (wcsnlen(text, chars) == chars) {
        return L"unterminated";
    }
    return read ? text : (text[0] == L'\0' ? L"refused" : L"refused, text left");
}

TEST(RegistryText, OnlyTextThatFitsComesBackTerminated) {
    ScopedEnv variable(L"SWEEPLY_TEST_FOLDER", L"C:\\abc");
    struct Case {
        DWORD type;
        const wchar_t* stored;
        bool terminated;
        DWORD chars;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {REG_SZ, L"abc", true, 4, L"abc"},
        {REG_SZ, L"", true, 1, L""},               // the smallest buffer still takes the empty text
        {REG_SZ, L"abcd", false, 5, L"abcd"},      // stored without its terminator
        {REG_SZ, L"abcde", false, 5, L"refused"},  // ... and no room left for one
        {REG_SZ, L"abcde", true, 5, L"refused"},
        {REG_SZ, L"%SWEEPLY_TEST_FOLDER%", true, 64, L"%SWEEPLY_TEST_FOLDER%"},  // never expanded
        {REG_EXPAND_SZ, L"%SWEEPLY_TEST_FOLDER%\\x", true, 9, L"C:\\abc\\x"},
        {REG_EXPAND_SZ, L"%SWEEPLY_TEST_FOLDER%\\xyz", true, 9, L"refused"},
        {REG_EXPAND_SZ, L"", true, 1, L""},  // an empty expansion fits as the empty text does
        {REG_MULTI_SZ, L"abc", true, 64, L"refused"},
        {REG_BINARY, L"abc", true, 64, L"refused"},
        {REG_DWORD, L"bc", false, 64, L"refused"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoreAndRead(c.type, c.stored, c.terminated, c.chars), c.expected)
            << c.type << " " << Narrow(c.stored);
    }
    EXPECT_EQ(
        StoreAndRead(REG_EXPAND_SZ, L"%SWEEPLY_TEST_FOLDER%", true, 64, TextExpansion::AsStored),
        L"%SWEEPLY_TEST_FOLDER%");
    wchar_t text[8];
    EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, kTestKey, L"value", RegistryView::Own,
                                  TextExpansion::Expanded, text));
}

// A 32-bit program on 64-bit Windows sees the 32-bit view by default; 64-bit programs register
// in the 64-bit view. (Wine's prefix here is 32-bit and has only one view, so the order is
// checked on the flags the reader passes.)
TEST(RegistryViews, SixtyFourBitViewFirstThenTheProgramsOwn) {
    RegistryViewFlags both = ViewsToTry(RegistryView::SixtyFourBitFirst);
    EXPECT_EQ(std::vector<REGSAM>(both.flags, both.flags + both.count),
              (std::vector<REGSAM>{KEY_WOW64_64KEY, 0}));
    RegistryViewFlags own = ViewsToTry(RegistryView::Own);
    EXPECT_EQ(std::vector<REGSAM>(own.flags, own.flags + own.count), std::vector<REGSAM>{0});
}

TEST(ReadFileVersion, MostSignificantPartOrZeros) {
    DWORD major = 0, minor = 0;
    EXPECT_TRUE(ReadFileVersion(BinPath(L"opera_9_64.exe").c_str(), &major, &minor));
    EXPECT_EQ(major, 9u);
    EXPECT_EQ(minor, 64u);

    TempFolder folder;
    ASSERT_TRUE(WriteTextFile(folder / L"opera.exe", "not a program"));
    for (std::wstring path :
         {BinPath(L"recorder.exe"), folder / L"opera.exe", folder / L"missing.exe"}) {
        major = minor = 5;
        EXPECT_FALSE(ReadFileVersion(path.c_str(), &major, &minor)) << Narrow(path);
        EXPECT_EQ(major + minor, 0u) << Narrow(path);
    }
}

// A copy through held handles is whole (past one buffer's worth), and a read or a write that
// fails is reported.
TEST(CopyHeldFile, CopiesEveryByteOrReportsTheFailure) {
    TempFolder folder;
    std::string text(20000, ' ');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    ASSERT_TRUE(WriteTextFile(folder / L"from", text));
    struct Row {
        DWORD fromAccess;
        DWORD toAccess;
        bool copied;
    };
    const Row rows[] = {
        {GENERIC_READ, GENERIC_WRITE, true},
        {FILE_READ_ATTRIBUTES, GENERIC_WRITE, false},
        {GENERIC_READ, GENERIC_READ, false},
    };
    for (const Row& row : rows) {
        std::wstring to = folder / (L"to" + std::to_wstring(&row - rows));
        ScopedHandle from = HoldFile((folder / L"from").c_str(), row.fromAccess);
        ScopedHandle copy(CreateFileW(to.c_str(), row.toAccess, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(from.valid() && copy.valid());
        EXPECT_EQ(CopyHeldFile(from.get(), copy.get()), row.copied) << &row - rows;
        copy.reset();
        EXPECT_EQ(ReadTextFile(to) == text, row.copied) << &row - rows;
    }
}

// A new file is its holder's alone: an existing name is refused, and while it is held nobody
// else can open it, to read what is written there or to swap it.
TEST(CreateNewFile, RefusesAnExistingNameAndSharesNothing) {
    TempFolder folder;
    std::wstring path = folder / L"fresh";
    ScopedHandle fresh = CreateNewFile(path.c_str());
    ASSERT_TRUE(fresh.valid());
    EXPECT_FALSE(CreateNewFile(path.c_str()).valid());
    ScopedHandle other(CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(other.valid());
}

}  // namespace
