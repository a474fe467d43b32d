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

void MakeFile(const std::wstring& path) {
    ASSERT_TRUE(WriteTextFile(path, "data")) << Narrow(path);
}

std::wstring RunDeleteTree(const std::wstring& folder) {
    wchar_t path[kPathChars];
    wcscpy(path, folder.c_str());
    DeleteTree(path, false);
    return path;
}

TEST(DeleteTree, NestedFoldersGoAndTheFolderStays) {
    TempFolder temp;
    std::wstring root = temp / L"store";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    MakeFile(root + L"\\top.sol");
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a\\b").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a\\b\\empty").c_str(), nullptr));
    MakeFile(root + L"\\a\\one.sol");
    MakeFile(root + L"\\a\\b\\two.sol");
    MakeFile(temp / L"neighbour.txt");

    EXPECT_EQ(RunDeleteTree(root), root);
    EXPECT_TRUE(IsFolder(root));
    EXPECT_TRUE(IsEmptyFolder(root));
    EXPECT_TRUE(FileExists(temp / L"neighbour.txt"));
}

TEST(DeleteTree, FileInUseStaysWithItsParentsAndTheWalkGoesOn) {
    TempFolder temp;
    std::wstring root = temp / L"store";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    for (const wchar_t* folder : {L"\\a", L"\\a\\held", L"\\z"}) {
        ASSERT_TRUE(CreateDirectoryW((root + folder).c_str(), nullptr));
    }
    MakeFile(root + L"\\a\\held\\busy.sol");
    MakeFile(root + L"\\a\\held\\free.sol");
    MakeFile(root + L"\\a\\after.sol");
    MakeFile(root + L"\\z\\last.sol");
    // Held open without delete sharing, DeleteFileW fails on it (also for root under Wine).
    HANDLE busy = CreateFileW((root + L"\\a\\held\\busy.sol").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);

    EXPECT_EQ(RunDeleteTree(root), root);
    CloseHandle(busy);

    EXPECT_TRUE(FileExists(root + L"\\a\\held\\busy.sol"));
    EXPECT_FALSE(FileExists(root + L"\\a\\held\\free.sol"));
    EXPECT_FALSE(FileExists(root + L"\\a\\after.sol"));
    EXPECT_FALSE(IsFolder(root + L"\\z"));
}

TEST(DeleteTree, MissingFolderLeavesThePathAsItWas) {
    TempFolder temp;
    std::wstring missing = temp / L"not here";
    EXPECT_EQ(RunDeleteTree(missing), missing);
    EXPECT_FALSE(IsFolder(missing));
}

TEST(DeleteTree, RemovesTheFolderItselfWhenAsked) {
    TempFolder temp;
    std::wstring root = temp / L"gone";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    MakeFile(root + L"\\x.sol");
    wchar_t path[kPathChars];
    wcscpy(path, root.c_str());
    DeleteTree(path, true);
    EXPECT_EQ(std::wstring(path), root);
    EXPECT_FALSE(IsFolder(root));
}

TEST(DeleteTree, LinkToAFolderIsNeverFollowed) {
    TempFolder temp;
    std::wstring root = temp / L"store";
    std::wstring outside = temp / L"outside";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    MakeFile(outside + L"\\precious.txt");
    MakeFile(root + L"\\a.sol");
    MakeFile(root + L"\\z.sol");
    std::wstring link = root + L"\\link";
    // The folder handed over may itself have become a link since its caller looked at it.
    std::wstring rootLink = temp / L"swapped";
    if (!MakeFolderLink(link, outside) || !MakeFolderLink(rootLink, outside)) {
        GTEST_SKIP() << "no way to make a folder link here";
    }

    EXPECT_EQ(RunDeleteTree(root), root);
    EXPECT_EQ(RunDeleteTree(rootLink), rootLink);
    EXPECT_TRUE(FileExists(outside + L"\\precious.txt"));
    EXPECT_FALSE(FileExists(root + L"\\a.sol"));
    EXPECT_FALSE(FileExists(root + L"\\z.sol"));
    // On Windows the link inside goes. Wine 8 removes what a Unix link leads to instead, and only
    // when that is empty, so here the link stays. Either way its target is untouched.
    RemoveFolderLink(link);
    RemoveFolderLink(rootLink);
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
