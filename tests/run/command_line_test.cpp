// Cutting the command line into the task text and the option values, the curtain decision and
// the line handed to the elevated copy.
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

// The task text in brackets, then each option found, in the order of LaunchOptions.
std::wstring Describe(const Cut& cut) {
    std::wstring text = L"[" + cut.task + L"]";
    const wchar_t* names[] = {L"ext", L"args", L"profile", L"port"};
    const wchar_t* values[] = {cut.options.ext, cut.options.args, cut.options.profile,
                               cut.options.port};
    for (size_t i = 0; i < 4; ++i) {
        text +=
            values[i] != nullptr ? L" " + std::wstring(names[i]) + L"[" + values[i] + L"]" : L"";
    }
    return text + (cut.options.lso ? L" lso" : L"") + (cut.options.sl ? L" sl" : L"");
}

TEST(CommandLine, CutsTaskAndOptionValues) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"opera/f cc", L"[opera/f cc]"},
        {L"", L"[]"},
        // Values keep their blanks and end only at the next option, in any order.
        {L"chrome --port=C:\\Program Files\\Chrome\\chrome.exe --profile=D:\\My Profile",
         L"[chrome] profile[D:\\My Profile] port[C:\\Program Files\\Chrome\\chrome.exe]"},
        {L"ie8 --args=/a  b --sl --ext=C:\\x y\\run.exe --lso",
         L"[ie8] ext[C:\\x y\\run.exe] args[/a  b] lso sl"},
        // No unquoting and no trimming: quotes and trailing blanks belong to the value.
        {L"x --ext=\"C:\\a b\\p.exe\"  --args= \"q\" ",
         L"[x] ext[\"C:\\a b\\p.exe\" ] args[ \"q\" ]"},
        // A marker that opens the line cuts nothing in front of it.
        {L"--lso chrome", L"[--lso chrome] lso"},
        {L"--ext=C:\\r.exe --args=1", L"[--ext=C:\\r.exe] ext[C:\\r.exe] args[1]"},
        // Only a marker's first occurrence counts; markers are case-sensitive.
        {L"ie8 --args=one --args=two", L"[ie8] args[one --args=two]"},
        {L"ie8 --LSO --Ext=x", L"[ie8 --LSO --Ext=x]"},
        // The task ends at the first cut, wherever the later options stand.
        {L"chrome --sl firefox --lso opera", L"[chrome] lso sl"},
    };
    for (const auto& [line, expected] : rows) {
        EXPECT_EQ(Describe(CutLine(line)), expected) << line;
    }
}

TEST(CommandLine, CurtainShownForInteractiveTokensOnly) {
    const std::pair<const wchar_t*, bool> rows[] = {
        {L"n360v3", true},
        {L"cc", true},
        {L"opera/f cc", true},
        {L"chrome", true},
        {L"opera", true},
        {L"firefox", true},
        {L"--lso chrome", true},
        {L"chrome/f firefox", true},
        {L"opera/F", true},  // the forms are case-sensitive: "/F" does not hide the curtain
        {L"", false},
        {L"ie8", false},
        {L"ie8/all", false},
        {L"cc/auto", false},
        {L"chrome/f", false},
        {L"chrome/f/3", false},
        {L"opera/f", false},
        {L"firefox/f", false},
        {L"--lso", false},
        {L"Chrome", false},
        {L"OPERA", false},
        {L"Opera/F", false},
    };
    for (const auto& [task, shown] : rows) {
        EXPECT_EQ(DeriveVisibleMode(task), shown) << task;
    }
}

// The elevated copy gets the task text and the flags, and no value of any kind: cut again, its
// line gives the same task tokens, flags and curtain, and no option that names or feeds a program.
TEST(CommandLine, ElevationAskedByTheWholeLineAndCopyGetsTheTaskAndFlagsOnly) {
    const wchar_t* const taskTokens[] = {L"chrome", L"chrome/f", L"firefox", L"firefox/f",
                                         L"opera",  L"opera/f",  L"ie8",     L"ie8/all",
                                         L"cc",     L"cc/auto",  L"n360v3"};
    struct Row {
        const wchar_t* line;
        bool needsElevation;
        const wchar_t* elevated;
    };
    const Row rows[] = {
        {L"opera/f cc", true, L"opera/f cc"},
        {L"cc --ext=C:\\Users\\Public\\x.exe --args=/q", true, L"cc"},
        {L"chrome cc/auto --port=C:\\p\\chrome.exe --profile=D:\\P --sl --lso", true,
         L"chrome cc/auto --lso --sl"},
        {L"ie8 --ext=C:\\Tools\\acc.exe", true, L"ie8"},  // the uncut line is searched
        {L"--lso n360v3 --port=x", true, L"--lso n360v3"},
        // A valued option that opens the line: the tokens of its value stay, the option goes.
        {L"--ext=C:\\x.exe cc --ext=y --sl", true, L"--ext C:\\x.exe cc --ext y --sl"},
        {L"--ext=acc", true, L"--ext acc"},
        {L"chrome firefox --lso", false, L"chrome firefox --lso"},
        {L"CC N360V3", false, L"CC N360V3"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(LineNeedsElevation(row.line), row.needsElevation) << row.line;
        std::wstring elevated = BuildElevatedLine(row.line);
        EXPECT_EQ(elevated, row.elevated) << row.line;
        Cut original = CutLine(row.line);
        Cut copy = CutLine(elevated);
        for (const wchar_t* token : taskTokens) {
            EXPECT_EQ(copy.task.find(token) == std::wstring::npos,
                      original.task.find(token) == std::wstring::npos)
                << row.line << token;
        }
        EXPECT_EQ(copy.options.lso, original.options.lso) << row.line;
        EXPECT_EQ(copy.options.sl, original.options.sl) << row.line;
        for (const wchar_t* value :
             {copy.options.ext, copy.options.args, copy.options.profile, copy.options.port}) {
            EXPECT_EQ(value, nullptr) << row.line;
        }
    }
}

}  // namespace
