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

TEST(Elevation, WholeLineIsSearched) {
    EXPECT_TRUE(LineNeedsElevation(L"opera/f cc"));
    EXPECT_TRUE(LineNeedsElevation(L"cc/auto"));
    EXPECT_TRUE(LineNeedsElevation(L"n360v3"));
    EXPECT_TRUE(LineNeedsElevation(L"ie8 --ext=C:\\Tools\\acc.exe"));
    EXPECT_FALSE(LineNeedsElevation(L"chrome firefox --lso"));
    EXPECT_FALSE(LineNeedsElevation(L"CC N360V3"));
}

}  // namespace
