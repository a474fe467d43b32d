// Input sent to a window that records what it received, placement on a given point, the two
// ways of starting a program, and file versions, under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_version.h"
#include "base/input.h"
#include "base/process.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

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
    }
    void TearDown() override { DestroyWindow(window_); }
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

TEST_F(RecordingWindow, CentreWindowOnKeepsTheSizeAndMakesTopmost) {
    CentreWindowOn(window_, 400, 300);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window_, &rect));
    // 201 x 101: the halves are rounded toward zero.
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 250);
    EXPECT_EQ(rect.right - rect.left, 201);
    EXPECT_EQ(rect.bottom - rect.top, 101);
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

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

}  // namespace
