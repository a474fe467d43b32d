// The cleaners' own helpers under Wine: the folder walk of the storage removals, and the wait
// for a window to go.
#include "cleaners/automation.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "base/path_builder.h"
#include "run/run_state.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

// DeleteTree on a copy of `folder`; the path as it stands afterwards.
std::wstring RunDeleteTree(const std::wstring& folder, bool removeSelf = false) {
    wchar_t path[kPathChars];
    wcscpy(path, folder.c_str());
    DeleteTree(path, removeSelf);
    return path;
}

// One tree with every kind of entry: nested folders, enough long names to need several listings,
// a file in use (it stays with its parents, and the walk goes on past it), and a link to a folder
// outside, which is never followed, also when the folder handed over has itself become one.
TEST(DeleteTree, EmptiesTheTreeAndNothingBeyondIt) {
    TempFolder temp;
    std::wstring root = temp / L"store";
    std::wstring outside = temp / L"outside";
    for (const wchar_t* folder : {L"", L"\\a", L"\\a\\held", L"\\a\\b\\empty", L"\\z"}) {
        ASSERT_TRUE(MakeFolders(root + folder));
    }
    ASSERT_TRUE(MakeFolders(outside));
    for (const wchar_t* file : {L"\\top.sol", L"\\a\\held\\busy.sol", L"\\a\\held\\free.sol",
                                L"\\a\\b\\two.sol", L"\\z\\last.sol"}) {
        ASSERT_TRUE(WriteTextFile(root + file, "data"));
    }
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(
            WriteTextFile(root + L"\\a\\" + std::wstring(100, L'n') + std::to_wstring(i), "data"));
    }
    ASSERT_TRUE(WriteTextFile(outside + L"\\precious.txt", "data"));
    ASSERT_TRUE(WriteTextFile(temp / L"neighbour.txt", "data"));
    bool linked =
        MakeFolderLink(root + L"\\link", outside) && MakeFolderLink(temp / L"swapped", outside);
    // Held open without delete sharing, DeleteFileW fails on it (also for root under Wine).
    HANDLE busy = CreateFileW((root + L"\\a\\held\\busy.sol").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);

    EXPECT_EQ(RunDeleteTree(root), root);
    EXPECT_EQ(RunDeleteTree(temp / L"swapped"), temp / L"swapped");
    CloseHandle(busy);
    EXPECT_TRUE(FileExists(root + L"\\a\\held\\busy.sol"));
    EXPECT_TRUE(IsFolder(root + L"\\a"));
    EXPECT_FALSE(IsFolder(root + L"\\a\\b"));
    EXPECT_FALSE(IsFolder(root + L"\\z"));
    EXPECT_FALSE(FileExists(root + L"\\top.sol"));
    EXPECT_TRUE(FileExists(temp / L"neighbour.txt"));
    EXPECT_TRUE(FileExists(outside + L"\\precious.txt")) << linked;
    // On Windows the link inside goes. Wine 8 removes what a Unix link leads to instead, and only
    // when that is empty, so here the link stays. Either way its target is untouched.
    RemoveFolderLink(root + L"\\link");
    RemoveFolderLink(temp / L"swapped");

    // Once the file is free, the folder itself goes when asked; a missing one changes nothing.
    EXPECT_EQ(RunDeleteTree(root, true), root);
    EXPECT_FALSE(IsFolder(root));
    EXPECT_EQ(RunDeleteTree(root, true), root);
}

TEST(WaitWindowGone, CountsWholePassesAndHonoursAbort) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"going", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    // Below one pass there is nothing to wait for, even for a window already gone.
    EXPECT_FALSE(WaitWindowGone(499, gone));
    EXPECT_TRUE(WaitWindowGone(500, gone));
    RunState = Aborting;
    EXPECT_FALSE(WaitWindowGone(3000, gone));
    RunState = Running;
}

}  // namespace
