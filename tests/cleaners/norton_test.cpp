// RunNorton360 against Norton 360's stand-in windows. Under Wine, GetPixel on another process's
// child window answers CLR_INVALID, so the white-pixel logic is tested with the windows built on
// a thread of this process; the key walk, the placement and a dialog that stops answering are
// tested across processes.
#include "cleaners/norton360.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/cleaners/in_process_norton.h"
#include "tests/cleaners/runner_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using namespace runner_testing;

const std::vector<std::string> kExpectedInput = [] {
    std::vector<std::string> input = {"button down at 0,0", "button up at 0,0"};
    for (int tabs : {9, 4}) {
        for (int i = 0; i < tabs; ++i) {
            input.push_back("key down Tab");
            input.push_back("key up Tab");
        }
        input.push_back("key down Enter");
        input.push_back("key up Enter");
    }
    return input;
}();

DWORD WINAPI RunNortonOnThread(void* result) {
    *static_cast<bool*>(result) = RunNorton360();
    return 0;
}

// Runs RunNorton360 on a thread of its own. Still running after 30 s, far beyond any of its
// bounds, it hangs: Norton's stand-in is then ended, which frees it, and false comes back.
bool RunNortonGuarded(bool* result) {
    HANDLE thread = CreateThread(nullptr, 0, RunNortonOnThread, result, 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    if (!ended) {
        EndProcesses(L"norton.exe");
        WaitForSingleObject(thread, INFINITE);  // every wait left to it is bounded
    }
    CloseHandle(thread);
    return ended;
}

class NortonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RunState = Running;
        VisibleMode = false;
        ScreenCentre = ScreenPoint{};
        log_ = folder_ / L"norton.log";
        logVariable_ = std::make_unique<ScopedEnv>(L"SWEEPLY_STANDIN_LOG", log_);
    }
    void TearDown() override {
        RunState = Running;
        VisibleMode = false;
    }

    std::vector<std::string> Log() const { return ReadLog(log_); }
    std::vector<std::string> Input() const { return LinesStartingWith(Log(), {"button", "key"}); }

    TempFolder folder_;
    std::wstring log_;
    std::unique_ptr<ScopedEnv> logVariable_;
};

TEST_F(NortonTest, NothingIsSentUnlessTheMainWindowIsTitledExactly) {
    EXPECT_FALSE(RunNorton360());  // not open at all

    ScopedEnv title(L"SWEEPLY_STANDIN_NORTON_TITLE", L"Norton 360 Premier");
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());
    EXPECT_FALSE(RunNorton360());
    EXPECT_EQ(Log(), std::vector<std::string>{"started [Norton 360 Premier]"});
}

TEST_F(NortonTest, DialogIsCentredAndDismissedOnceItsContentIsWhite) {
    VisibleMode = true;
    ScreenCentre = ScreenPoint{640, 512};
    // White only for a while: a dismissal inside that spell shows that the pixel was read,
    // neither before it turned white nor after the 20 polls had run out.
    ScopedEnv white(L"SWEEPLY_STANDIN_NORTON_WHITE_MS", L"1500");
    ScopedEnv grey(L"SWEEPLY_STANDIN_NORTON_WHITE_UNTIL_MS", L"4000");
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());

    EXPECT_TRUE(RunNorton360());

    std::vector<std::string> lines = ReadLog(log_, 0, 0);
    EXPECT_EQ(Input(), kExpectedInput);
    int shown = IndexOf(lines, "dialog shown");
    int centred = IndexOf(lines, "dialog at 400,312 topmost 1");
    int turnedWhite = IndexOf(lines, "content white");
    int destroy = IndexOf(lines, "dialog WM_DESTROY");
    int ncDestroy = IndexOf(lines, "dialog WM_NCDESTROY");
    EXPECT_LT(shown, centred);
    EXPECT_LT(centred, destroy);
    EXPECT_NE(turnedWhite, -1);
    EXPECT_LT(turnedWhite, destroy);
    EXPECT_EQ(ncDestroy, destroy + 1);
    EXPECT_EQ(IndexOf(lines, "content grey"), -1);
    EXPECT_EQ(IndexOf(lines, "popup hidden"), -1);  // no pop-up: nothing to hide
    EXPECT_NE(IndexOf(ReadLog(log_, ncDestroy + 2, 5000), "dialog dismissed"), -1);
}

TEST_F(NortonTest, ContentThatNeverTurnsWhiteIsDismissedAfterItsPolls) {
    ScopedEnv never(L"SWEEPLY_STANDIN_NORTON_NEVER_WHITE", L"1");
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());

    EXPECT_TRUE(RunNorton360());
    std::vector<std::string> lines = Log();
    EXPECT_EQ(IndexOf(lines, "content white"), -1);
    EXPECT_NE(IndexOf(lines, "dialog WM_DESTROY"), -1);
    EXPECT_NE(IndexOf(lines, "dialog WM_NCDESTROY"), -1);
    // Outside a shown run the dialog keeps its place.
    EXPECT_TRUE(LinesStartingWith(lines, {"dialog at"}).empty());
}

TEST_F(NortonTest, AbortWhileWaitingForTheDialogGivesUp) {
    ScopedEnv noDialog(L"SWEEPLY_STANDIN_NORTON_NO_DIALOG", L"1");
    InProcessNorton norton;
    ASSERT_TRUE(norton.made());
    {
        AbortWhenLogged abort(log_, "key up Enter");
        EXPECT_FALSE(RunNorton360());
    }
    // The key presses are made without abort tests between them.
    EXPECT_EQ(Input(), kExpectedInput);
}

// Norton hangs as its dialog comes up: the runner must neither wait for it for ever (placing the
// dialog included) nor count the dismissal that it does not answer as done.
TEST_F(NortonTest, AcrossProcessesTheKeyWalkIsExactAndADialogThatStopsAnsweringGivesFalse) {
    VisibleMode = true;
    ScopedEnv popup(L"SWEEPLY_STANDIN_NORTON_POPUP", L"1");
    ScopedEnv hang(L"SWEEPLY_STANDIN_HANG_AFTER", L"dialog shown");
    RunningStandin norton(BinPath(L"norton.exe"));
    ASSERT_TRUE(norton.started());
    ASSERT_EQ(ReadLog(log_, 1, 10000).size(), 1u);

    bool result = true;
    ASSERT_TRUE(RunNortonGuarded(&result)) << "the runner hung on a window that stopped answering";
    EXPECT_FALSE(result);

    std::vector<std::string> lines = Log();
    EXPECT_EQ(Input(), kExpectedInput);
    std::vector<std::string> expected = {"popup hidden", "dialog shown", "stops answering"};
    EXPECT_EQ(LinesStartingWith(lines, {"popup", "dialog", "stops"}), expected);
}

}  // namespace
