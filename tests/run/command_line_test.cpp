// Cutting the command line into the task text and the option values.
#include "run/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Cut {
    std::vector<wchar_t> buffer;
    LaunchOptions options;
    std::wstring task;
};

Cut CutLine(const std::wstring& line) {
    Cut cut;
    cut.buffer.assign(line.begin(), line.end());
    cut.buffer.push_back(L'\0');
    cut.task = CutCommandLine(cut.buffer.data(), &cut.options);
    return cut;
}

const wchar_t* const kTaskTokens[] = {L"chrome", L"chrome/f", L"firefox", L"firefox/f",
                                      L"opera",  L"opera/f",  L"ie8",     L"ie8/all",
                                      L"cc",     L"cc/auto",  L"n360v3"};

bool Has(const std::wstring& text, const wchar_t* token) {
    return text.find(token) != std::wstring::npos;
}

std::wstring Value(const wchar_t* value) {
    return value ? value : L"<absent>";
}

TEST(CommandLine, LineWithoutOptionsIsAllTask) {
    Cut cut = CutLine(L"opera/f cc");
    EXPECT_EQ(cut.task, L"opera/f cc");
    EXPECT_EQ(cut.options.ext, nullptr);
    EXPECT_EQ(cut.options.args, nullptr);
    EXPECT_EQ(cut.options.profile, nullptr);
    EXPECT_EQ(cut.options.port, nullptr);
    EXPECT_FALSE(cut.options.lso);
    EXPECT_FALSE(cut.options.sl);

    EXPECT_EQ(CutLine(L"").task, L"");
}

TEST(CommandLine, ValuesKeepBlanksAndEndAtTheNextOption) {
    Cut cut = CutLine(L"chrome --port=C:\\Program Files\\Chrome\\chrome.exe --profile=D:\\My Profile");
    EXPECT_EQ(cut.task, L"chrome");
    EXPECT_EQ(Value(cut.options.port), L"C:\\Program Files\\Chrome\\chrome.exe");
    EXPECT_EQ(Value(cut.options.profile), L"D:\\My Profile");
}

TEST(CommandLine, OptionsInAnyOrder) {
    Cut cut = CutLine(L"ie8 --args=/a  b --sl --ext=C:\\x y\\run.exe --lso");
    EXPECT_EQ(cut.task, L"ie8");
    EXPECT_EQ(Value(cut.options.args), L"/a  b");
    EXPECT_EQ(Value(cut.options.ext), L"C:\\x y\\run.exe");
    EXPECT_TRUE(cut.options.lso);
    EXPECT_TRUE(cut.options.sl);
}

TEST(CommandLine, ValuesAreTakenAsTheyStand) {
    // No unquoting and no trimming: the quotes and the trailing blank belong to the value.
    Cut cut = CutLine(L"x --ext=\"C:\\a b\\p.exe\"  --args= \"q\" ");
    EXPECT_EQ(Value(cut.options.ext), L"\"C:\\a b\\p.exe\" ");
    EXPECT_EQ(Value(cut.options.args), L" \"q\" ");
}

TEST(CommandLine, MarkerAtTheStartCutsNothing) {
    Cut cut = CutLine(L"--lso chrome");
    EXPECT_EQ(cut.task, L"--lso chrome");
    EXPECT_TRUE(cut.options.lso);
    EXPECT_TRUE(DeriveVisibleMode(cut.task.c_str()));

    Cut valued = CutLine(L"--ext=C:\\r.exe --args=1");
    EXPECT_EQ(valued.task, L"--ext=C:\\r.exe");
    EXPECT_EQ(Value(valued.options.ext), L"C:\\r.exe");
    EXPECT_EQ(Value(valued.options.args), L"1");
}

TEST(CommandLine, OnlyTheFirstOccurrenceOfAMarkerCounts) {
    Cut cut = CutLine(L"ie8 --args=one --args=two");
    EXPECT_EQ(Value(cut.options.args), L"one --args=two");
}

TEST(CommandLine, MarkersAreCaseSensitive) {
    Cut cut = CutLine(L"ie8 --LSO --Ext=x");
    EXPECT_EQ(cut.task, L"ie8 --LSO --Ext=x");
    EXPECT_FALSE(cut.options.lso);
    EXPECT_EQ(cut.options.ext, nullptr);
}

TEST(CommandLine, TaskEndsAtTheFirstCutWhereverTheOptionsStand) {
    Cut cut = CutLine(L"chrome --sl firefox --lso opera");
    EXPECT_EQ(cut.task, L"chrome");
    EXPECT_TRUE(cut.options.sl);
    EXPECT_TRUE(cut.options.lso);
}

TEST(VisibleMode, ShownTokens) {
    for (const wchar_t* task : {L"n360v3", L"cc", L"opera/f cc", L"chrome", L"opera",
                                L"firefox", L"chrome/f firefox"}) {
        EXPECT_TRUE(DeriveVisibleMode(task)) << task;
    }
}

TEST(VisibleMode, SilentTokens) {
    for (const wchar_t* task : {L"", L"ie8", L"ie8/all", L"cc/auto", L"chrome/f", L"chrome/f/3",
                                L"opera/f", L"firefox/f", L"--lso", L"Chrome", L"OPERA",
                                L"Opera/F"}) {
        EXPECT_FALSE(DeriveVisibleMode(task)) << task;
    }
    // The forms are case-sensitive: an upper-case "/F" does not hide the curtain.
    EXPECT_TRUE(DeriveVisibleMode(L"opera/F"));
}

// The elevated copy gets the task text and the flags, and no value of any kind: cut again, its
// line gives the same task tokens, flags and curtain, and no option that names or feeds a program.
TEST(Elevation, CopyGetsTheTaskAndFlagsOnly) {
    struct Row {
        const wchar_t* line;
        const wchar_t* elevated;
    };
    const Row rows[] = {
        {L"opera/f cc", L"opera/f cc"},
        {L"cc --ext=C:\\Users\\Public\\x.exe --args=/q", L"cc"},
        {L"chrome cc/auto --port=C:\\p\\chrome.exe --profile=D:\\P --sl --lso",
         L"chrome cc/auto --lso --sl"},
        {L"ie8 --ext=C:\\Tools\\acc.exe", L"ie8"},
        {L"--lso n360v3 --port=x", L"--lso n360v3"},
        // A valued option that opens the line: the tokens of its value stay, the option goes.
        {L"--ext=C:\\x.exe cc --ext=y --sl", L"--ext C:\\x.exe cc --ext y --sl"},
        {L"--ext=acc", L"--ext acc"},
    };
    for (const Row& row : rows) {
        std::wstring elevated = BuildElevatedLine(row.line);
        EXPECT_EQ(elevated, row.elevated) << row.line;
        Cut original = CutLine(row.line);
        Cut copy = CutLine(elevated);
        for (const wchar_t* token : kTaskTokens) {
            EXPECT_EQ(Has(copy.task, token), Has(original.task, token)) << row.line << token;
        }
        EXPECT_EQ(copy.options.lso, original.options.lso) << row.line;
        EXPECT_EQ(copy.options.sl, original.options.sl) << row.line;
        for (const wchar_t* value :
             {copy.options.ext, copy.options.args, copy.options.profile, copy.options.port}) {
            EXPECT_EQ(value, nullptr) << row.line;
        }
    }
}

TEST(Elevation, WholeLineIsSearched) {
    EXPECT_TRUE(LineNeedsElevation(L"opera/f cc"));
    EXPECT_TRUE(LineNeedsElevation(L"cc/auto"));
    EXPECT_TRUE(LineNeedsElevation(L"n360v3"));
    EXPECT_TRUE(LineNeedsElevation(L"ie8 --ext=C:\\Tools\\acc.exe"));
    EXPECT_FALSE(LineNeedsElevation(L"chrome firefox --lso"));
    EXPECT_FALSE(LineNeedsElevation(L"CC N360V3"));
}

}  // namespace
