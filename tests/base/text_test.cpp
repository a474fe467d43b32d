// The bounded path builder and the registry text reader: whole or nothing, terminated or
// refused, under Wine's real registry.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "base/path_builder.h"
#include "base/registry_text.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

TEST(PathBuilder, AppendsWholeOrLeavesThePathAsItWas) {
    for (size_t length : {257u, 258u}) {
        wchar_t path[kPathChars];
        wmemset(path, L'#', kPathChars);
        std::wstring before(length, L'a');
        wcscpy(path, before.c_str());
        std::wstring buffer(path, kPathChars);
        bool fits = length == 257;  // 259 characters and the terminator
        EXPECT_EQ(AppendPath(path, L"\\*"), fits) << length;
        if (fits) {
            EXPECT_EQ(std::wstring(path), before + L"\\*");
        } else {
            EXPECT_EQ(std::wstring(path, kPathChars), buffer) << "a cut path was left";
        }
    }
    wchar_t unterminated[kPathChars];
    wmemset(unterminated, L'x', kPathChars);
    EXPECT_FALSE(AppendPath(unterminated, L"y"));
    EXPECT_EQ(std::wstring(unterminated, kPathChars), std::wstring(kPathChars, L'x'));
}

TEST(PathBuilder, JoinsWholeOrLeavesTheBufferAsItWas) {
    wchar_t out[8] = L"old";
    EXPECT_FALSE(JoinText(out, {L"ab", L"cd", L"efgh"}));
    EXPECT_STREQ(out, L"old");
    EXPECT_TRUE(JoinText(out, {L"ab", L"cd", L"efg"}));
    EXPECT_STREQ(out, L"abcdefg");
}

// Values of a key of the test's own under HKCU, removed afterwards.
class RegistryText : public ::testing::Test {
  protected:
    static constexpr const wchar_t* kKey = L"Software\\SweeplyTests\\RegistryText";
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\SweeplyTests"); }

    void Set(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
        ASSERT_EQ(
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, type, data, static_cast<DWORD>(bytes)),
            ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, DWORD type, const std::wstring& text, bool terminated) {
        Set(name, type, text.c_str(), (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    }
    // What the reader gives back into a buffer of `chars`, "refused" when it says false; either
    // way the buffer must hold a terminated text.
    std::wstring Read(const wchar_t* name,
                      DWORD chars,
                      TextExpansion expansion = TextExpansion::Expanded) {
        wchar_t text[64];
        wmemset(text, L'#', 64);
        bool read = ReadRegistryText(HKEY_CURRENT_USER, kKey, name, RegistryView::Own, expansion,
                                     text, chars);
        if (wcsnlen(text, chars) == chars) {
            return L"unterminated";
        }
        return read ? text : (text[0] == L'\0' ? L"refused" : L"refused, text left");
    }
};

TEST_F(RegistryText, OnlyTextThatFitsTerminatedComesBack) {
    ScopedEnv variable(L"SWEEPLY_TEST_FOLDER", L"C:\\abc");
    SetText(L"text", REG_SZ, L"abc", true);
    SetText(L"no terminator", REG_SZ, L"abcd", false);
    SetText(L"no room for the terminator", REG_SZ, L"abcde", false);
    SetText(L"too long", REG_SZ, L"abcde", true);
    SetText(L"expandable", REG_EXPAND_SZ, L"%SWEEPLY_TEST_FOLDER%\\x", true);
    SetText(L"expands too long", REG_EXPAND_SZ, L"%SWEEPLY_TEST_FOLDER%\\xyz", true);
    SetText(L"several texts", REG_MULTI_SZ, std::wstring(L"a\0b\0", 4), true);
    SetText(L"bytes", REG_BINARY, L"abc", true);
    DWORD number = 0x00630062;  // "bc" when taken for text
    Set(L"number", REG_DWORD, &number, sizeof(number));

    struct Case {
        const wchar_t* name;
        DWORD chars;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"text", 4, L"abc"},
        {L"no terminator", 5, L"abcd"},
        {L"no room for the terminator", 5, L"refused"},
        {L"too long", 5, L"refused"},
        {L"expandable", 9, L"C:\\abc\\x"},
        {L"expands too long", 9, L"refused"},
        {L"several texts", 64, L"refused"},
        {L"bytes", 64, L"refused"},
        {L"number", 64, L"refused"},
        {L"missing", 64, L"refused"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.name, c.chars), c.expected) << Narrow(c.name);
    }
    EXPECT_EQ(Read(L"expandable", 64, TextExpansion::AsStored), L"%SWEEPLY_TEST_FOLDER%\\x");
}

// A 32-bit program on 64-bit Windows sees the 32-bit view by default; 64-bit programs register
// in the 64-bit view. (Wine's prefix here is 32-bit and has only one view, so the order is
// checked on the flags the reader passes.)
TEST(RegistryViews, SixtyFourBitViewFirstThenTheProgramsOwn) {
    RegistryViewFlags both = ViewsToTry(RegistryView::SixtyFourBitFirst);
    ASSERT_EQ(both.count, 2);
    EXPECT_EQ(both.flags[0], static_cast<REGSAM>(KEY_WOW64_64KEY));
    EXPECT_EQ(both.flags[1], 0u);
    RegistryViewFlags own = ViewsToTry(RegistryView::Own);
    ASSERT_EQ(own.count, 1);
    EXPECT_EQ(own.flags[0], 0u);
}

}  // namespace
