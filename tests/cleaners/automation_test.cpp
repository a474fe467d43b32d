// The shared automation helpers under Wine: path bounds, the folder walk, input and placement
// sent to a window that records what it received, and the two ways of starting a program.
#include "cleaners/automation.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

// --- AppendPath ---------------------------------------------------------------------------

TEST(AppendPath, PatternFitsBehind257CharactersButNot258) {
    wchar_t path[kPathChars];
    std::wstring fits(257, L'a');
    wcscpy(path, fits.c_str());
    EXPECT_TRUE(AppendPath(path, L"\\*"));
    EXPECT_EQ(std::wstring(path), fits + L"\\*");

    std::wstring tooLong(258, L'a');
    wcscpy(path, tooLong.c_str());
    EXPECT_FALSE(AppendPath(path, L"\\*"));
    // What fitted stays, terminated inside the buffer.
    EXPECT_EQ(std::wstring(path), tooLong + L"\\");
}

TEST(AppendPath, UnterminatedBufferIsLeftAlone) {
    wchar_t path[kPathChars];
    wmemset(path, L'x', kPathChars);
    EXPECT_FALSE(AppendPath(path, L"y"));
    for (wchar_t c : path) {
        ASSERT_EQ(c, L'x');
    }
}

// --- DeleteTree ---------------------------------------------------------------------------

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

TEST(DeleteTree, PatternThatDoesNotFitSkipsTheLevel) {
    wchar_t path[kPathChars];
    std::wstring tooLong = L"C:\\" + std::wstring(255, L'a');
    wcscpy(path, tooLong.c_str());
    DeleteTree(path, false);
    EXPECT_EQ(std::wstring(path), tooLong);
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
    if (!MakeFolderLink(link, outside)) {
        GTEST_SKIP() << "no way to make a folder link here";
    }

    EXPECT_EQ(RunDeleteTree(root), root);
    EXPECT_TRUE(FileExists(outside + L"\\precious.txt"));
    EXPECT_FALSE(FileExists(root + L"\\a.sol"));
    EXPECT_FALSE(FileExists(root + L"\\z.sol"));
    // On Windows the link itself goes; Wine 8 can remove a Unix link neither as a folder nor as
    // a file, so there it stays. Either way its target is untouched.
    RemoveFolderLink(link);
}

// --- Windows: a window that records what reached it -----------------------------------------

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            received.push_back({message, wParam, lParam});
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

class RecordingWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SweeplyRecordingWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"SweeplyRecordingWindow", L"recording", WS_POPUP, 10, 20, 201,
                                  101, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        received.clear();
        RunState = Running;
    }
    void TearDown() override {
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        RunState = Running;
        ScreenCentre = ScreenPoint{};
    }
    HWND window_ = nullptr;
};

TEST_F(RecordingWindow, PressKeyAndClickSendDownThenUp) {
    PressKey(window_, VK_RETURN);
    ClickWindow(window_);
    PressKey(window_, VK_TAB);
    ASSERT_EQ(received.size(), 6u);
    const Received expected[] = {{WM_KEYDOWN, VK_RETURN, 0}, {WM_KEYUP, VK_RETURN, 0},
                                 {WM_LBUTTONDOWN, 0, 0},     {WM_LBUTTONUP, 0, 0},
                                 {WM_KEYDOWN, VK_TAB, 0},    {WM_KEYUP, VK_TAB, 0}};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(received[i].message, expected[i].message) << i;
        EXPECT_EQ(received[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(received[i].lParam, expected[i].lParam) << i;
    }
}

TEST_F(RecordingWindow, CentreOnScreenKeepsTheSizeAndMakesTopmost) {
    ScreenCentre = ScreenPoint{400, 300};
    CentreOnScreen(window_);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window_, &rect));
    // 201 x 101: the halves are rounded toward zero.
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 250);
    EXPECT_EQ(rect.right - rect.left, 201);
    EXPECT_EQ(rect.bottom - rect.top, 101);
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(RecordingWindow, WaitWindowGoneCountsWholePassesAndHonoursAbort) {
    HWND gone = window_;
    DestroyWindow(window_);
    // Below one pass there is nothing to wait for, even for a window already gone.
    EXPECT_FALSE(WaitWindowGone(499, gone));
    EXPECT_TRUE(WaitWindowGone(500, gone));
    RunState = Aborting;
    EXPECT_FALSE(WaitWindowGone(3000, gone));
}

DWORD WINAPI DestroyAfterAWhile(void* window) {
    Sleep(700);
    PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

TEST_F(RecordingWindow, WaitWindowGoneSeesAWindowClosedMeanwhile) {
    // The window closes on this thread while WaitWindowGone sleeps, so pump with a helper
    // thread owning a window of its own instead.
    struct Owner {
        static DWORD WINAPI Run(void* out) {
            HWND window = CreateWindowExW(0, L"SweeplyRecordingWindow", L"owned", WS_POPUP, 0, 0,
                                          10, 10, nullptr, nullptr, nullptr, nullptr);
            *static_cast<HWND*>(out) = window;
            HANDLE closer = CreateThread(nullptr, 0, DestroyAfterAWhile, window, 0, nullptr);
            MSG message;
            while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
                DispatchMessageW(&message);
            }
            WaitForSingleObject(closer, INFINITE);
            CloseHandle(closer);
            return 0;
        }
    };
    volatile HWND owned = nullptr;
    HANDLE thread = CreateThread(nullptr, 0, Owner::Run, const_cast<HWND*>(&owned), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (owned == nullptr) {
        Sleep(10);
    }
    EXPECT_TRUE(WaitWindowGone(5000, owned));
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

// --- Starting programs ----------------------------------------------------------------------

TEST(StartPrograms, StartAndWaitIdleRunsTheLineAndKeepsNoHandle) {
    TempFolder temp;
    std::wstring log = temp / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    std::wstring line = Quote(BinPath(L"recorder.exe")) + L" /one two";
    EXPECT_TRUE(StartAndWaitIdle(nullptr, &line[0], true));
    std::vector<std::string> lines = ReadLog(log, 1, 10000);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "started [/one two]");

    std::wstring missing = Quote(temp / L"missing.exe");
    EXPECT_FALSE(StartAndWaitIdle(nullptr, &missing[0], false));
    EXPECT_TRUE(WaitNoChildren(GetCurrentProcessId(), 10000));
}

TEST(StartPrograms, ShellStartHandsOverTheProcess) {
    TempFolder temp;
    std::wstring log = temp / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    HANDLE process = nullptr;
    ASSERT_TRUE(ShellStart(BinPath(L"recorder.exe").c_str(), L"--x \"y z\"", &process));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(process);
    std::vector<std::string> lines = ReadLog(log, 1, 5000);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "started [--x \"y z\"]");

    process = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(ShellStart((temp / L"missing.exe").c_str(), nullptr, &process));
    EXPECT_EQ(process, nullptr);
}

}  // namespace
