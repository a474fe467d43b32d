// RunNorton360 against Norton 360's stand-in windows built on a thread of this process: Wine
// answers GetPixel on another process's child window with CLR_INVALID, so only here can the
// readiness test be seen to work. The run across processes is Sweeply's own, in its run test.
#include "cleaners/norton360.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/runner_test_support.h"
#include "tests/standins/common/standin.h"
#include "tests/standins/norton/norton_windows.h"

namespace {

using namespace testing_support;
using namespace runner_testing;
using Lines = std::vector<std::string>;

// The click, nine Tabs and Enter, four Tabs and Enter.
const Lines kExpectedInput = [] {
    Lines input = {"button down at 0,0", "button up at 0,0"};
    for (int tabs : {9, 4}) {
        for (int i = 0; i < tabs; ++i) {
            input.insert(input.end(), {"key down Tab", "key up Tab"});
        }
        input.insert(input.end(), {"key down Enter", "key up Enter"});
    }
    return input;
}();

// Norton's windows, with the switches set now, on a thread of their own; closed when this goes.
class InProcessNorton {
  public:
    InProcessNorton() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, ready, 0, nullptr);
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
        main_ = FindWindowW(L"SymHTMLWindow", nullptr);  // the one top-level window of the class
    }
    ~InProcessNorton() {
        PostMessageW(main_, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    bool made() const { return main_ != nullptr; }

  private:
    static DWORD WINAPI Run(void* ready) {
        bool made = CreateNortonWindows(GetModuleHandleW(nullptr));
        SetEvent(ready);
        return made ? StandinMessageLoop() : 1;
    }
    HANDLE thread_ = nullptr;
    HWND main_ = nullptr;
};

class NortonTest : public ::testing::Test {
  protected:
    void TearDown() override {
        RunState = Running;
        VisibleMode = false;
        ScreenCentre = ScreenPoint{};
    }
    Lines Input() const { return LinesStartingWith(ReadLog(log_), {"button", "key"}); }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"norton.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
};

// Nothing is sent to a Norton 360 window titled otherwise, nor after an abort; the key presses
// are made without abort tests between them, and an abort then ends the wait for the dialog, or
// for its content, at the next poll: the dialog stays.
TEST_F(NortonTest, GivesUpUnlessOpenTitledExactlyAndNotAborted) {
    EXPECT_FALSE(RunNorton360());  // not open at all
    struct Case {
        const wchar_t* title;
        LONG state;
        const char* abortAt;  // or null
        const wchar_t* dialogMs;
        const wchar_t* whiteMs;
    };
    const Case cases[] = {
        {L"Norton 360 Premier", Running, nullptr, L"200", L"500"},
        {L"Norton 360", Aborting, nullptr, L"200", L"500"},
        {L"Norton 360", Running, "key up Enter", L"600000", L"500"},
        {L"Norton 360", Running, "dialog at", L"200", L"600000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.abortAt != nullptr ? c.abortAt : Narrow(c.title));
        ScopedEnv title(L"SWEEPLY_STANDIN_NORTON_TITLE", c.title);
        ScopedEnv dialog(L"SWEEPLY_STANDIN_NORTON_DIALOG_MS", c.dialogMs);
        ScopedEnv white(L"SWEEPLY_STANDIN_NORTON_WHITE_MS", c.whiteMs);
        DeleteFileW(log_.c_str());
        RunState = c.state;
        VisibleMode = true;
        InProcessNorton norton;
        ASSERT_TRUE(norton.made());
        AbortWhenLogged(log_, c.abortAt != nullptr ? c.abortAt : "never logged",
                        [] { EXPECT_FALSE(RunNorton360()); });
        Lines lines = ReadLog(log_);
        EXPECT_EQ(LinesStartingWith(lines, {"started"}),
                  Lines{"started [" + Narrow(c.title) + "]"});
        EXPECT_EQ(Input(), c.abortAt != nullptr ? kExpectedInput : Lines{});
        EXPECT_EQ(IndexOf(lines, "dialog WM_DESTROY"), -1);
    }
}

// White only for a while: a dismissal inside that spell shows that the pixel was read, neither
// before it turned white nor after the 20 polls had run out. The warning of an earlier step
// does not stop the runner; the pop-up in front of the dialog is hidden.
TEST_F(NortonTest, DialogIsCentredAndDismissedOnceItsContentIsWhite) {
    RunState = CCleanerMissing;
    VisibleMode = true;
    ScreenCentre = ScreenPoint{640, 512};
    ScopedEnv popup(L"SWEEPLY_STANDIN_NORTON_POPUP", L"1");
    ScopedEnv grey(L"SWEEPLY_STANDIN_NORTON_WHITE_UNTIL_MS", L"2500");
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());

    EXPECT_TRUE(RunNorton360());

    Lines lines = ReadLog(log_, 0, 0);
    EXPECT_EQ(Input(), kExpectedInput);
    EXPECT_NE(IndexOf(lines, "popup hidden"), -1);
    int shown = IndexOf(lines, "dialog shown");
    int centred = IndexOf(lines, "dialog at 400,312 size 480x400 topmost 1");
    int turnedWhite = IndexOf(lines, "content white");
    int destroy = IndexOf(lines, "dialog WM_DESTROY");
    EXPECT_LT(shown, centred);
    EXPECT_LT(centred, destroy);
    EXPECT_NE(turnedWhite, -1);
    EXPECT_LT(turnedWhite, destroy);
    EXPECT_EQ(IndexOf(lines, "dialog WM_NCDESTROY"), destroy + 1);
    EXPECT_EQ(IndexOf(lines, "content grey"), -1);
    EXPECT_TRUE(Has(ReadLog(log_, destroy + 3, 5000), "dialog dismissed"));
}

}  // namespace
