// Internet Explorer's cleaner against the stand-in Internet Options module installed in the
// prefix's system folder: in this process, then through Sweeply.exe; and against Wine's own
// module, whose entries are stubs that raise an exception.
#include "cleaners/internet_explorer.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <process.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;
using Lines = std::vector<std::string>;

unsigned __stdcall RunCleaner(void* result) {
    *static_cast<bool*>(result) = CleanInternetExplorer();
    return 0;
}

HWND FindHistoryDialogWindow() {
    return FindWindowW(L"#32770", L"Delete Browsing History");
}

// The dialog once the cleaner has made it topmost, or null after about 10 s.
HWND WaitForTopmostDialog() {
    HWND dialog = nullptr;
    bool topmost = WaitFor(
        [&] {
            dialog = FindHistoryDialogWindow();
            return dialog != nullptr && (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        },
        10000);
    return topmost ? dialog : nullptr;
}

void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW((folder + L"\\" + data.cFileName).c_str());
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// Puts the stand-in module (or its build without the dialog entry) where Internet Explorer's
// lies, keeping Wine's own file aside, and puts Wine's back afterwards. Wine 8 loads a native
// file found there with its default load order, for LoadLibraryW in this process and in rundll32
// alike (both by full path); its own copy carries a builtin marker (at 0x40, in place of the DOS
// stub) and then loads its builtin.
// Plants one file in each of the three folders the module clears.
class InternetExplorer : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = SpecialFolder(CSIDL_SYSTEM) + L"\\inetcpl.cpl";
        original_ = module_ + L".sweeply-original";
        // A case or run that ended without putting Wine's module back left its copy aside.
        if (FileExists(original_)) {
            ASSERT_TRUE(PutWineModuleBack());
        }
        ASSERT_TRUE(IsWineOwnModule(module_)) << "the prefix has lost Wine's inetcpl.cpl";
        ASSERT_TRUE(CopyFileW(module_.c_str(), original_.c_str(), TRUE));
        Install(L"inetcpl.cpl");
        // Other tests share the prefix and leave working files in these folders (SweeplyOpera
        // keeps two in the Internet cache): start from folders that hold only what is planted.
        for (int folder : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY}) {
            DeleteFilesIn(SpecialFolder(folder));
        }
        planted_ = {SpecialFolder(CSIDL_INTERNET_CACHE) + L"\\sweeply-page.htm",
                    SpecialFolder(CSIDL_COOKIES) + L"\\sweeply@example.txt",
                    SpecialFolder(CSIDL_HISTORY) + L"\\sweeply-visit.url"};
        for (const std::wstring& file : planted_) {
            ASSERT_TRUE(WriteTextFile(file, "trace")) << Narrow(file);
        }
        RunState = Running;
    }
    void TearDown() override {
        for (const std::wstring& file : planted_) {
            DeleteFileW(file.c_str());
        }
        EXPECT_TRUE(PutWineModuleBack());
        RunState = Running;
    }
    // Copies Wine's module back and only then deletes its copy, so that a failed copy leaves it
    // for the next set-up. Retried for a while: a rundll32 that Sweeply started may still hold
    // the stand-in.
    bool PutWineModuleBack() {
        auto copyBack = [&] { return CopyFileW(original_.c_str(), module_.c_str(), FALSE); };
        return WaitFor(copyBack, 10000) && DeleteFileW(original_.c_str());
    }
    static bool IsWineOwnModule(const std::wstring& path) {
        return ReadTextFile(path).find("Wine builtin DLL") == 0x40;
    }
    void RestoreWineModule() { ASSERT_TRUE(CopyFileW(original_.c_str(), module_.c_str(), FALSE)); }
    void Install(const wchar_t* build) {
        ASSERT_TRUE(CopyFileW(BinPath(build).c_str(), module_.c_str(), FALSE));
    }
    int PlantedLeft() const {
        return static_cast<int>(std::count_if(planted_.begin(), planted_.end(), FileExists));
    }
    // Runs the cleaner as the worker would, on a thread of its own. A dialog left open (Delete
    // not found) would hold it for 15 minutes: after 15 s the test closes it and fails.
    bool CleanWithinAWhile() {
        bool result = false;
        HANDLE worker =
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunCleaner, &result, 0, nullptr));
        if (worker == nullptr) {
            ADD_FAILURE() << "no thread";
            return false;
        }
        if (WaitForSingleObject(worker, 15000) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "the dialog stayed open: Delete was not pressed";
            PostMessageW(FindHistoryDialogWindow(), WM_CLOSE, 0, 0);
            WaitForSingleObject(worker, 10000);
        }
        CloseHandle(worker);
        return result;
    }
    // Runs Sweeply.exe with `task`, silently, and waits for it.
    TempFolder temp_;
    std::wstring log_ = temp_ / L"inetcpl.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};

  private:
    std::wstring module_;
    std::wstring original_;
    std::vector<std::wstring> planted_;
};

const Lines kDialogCleared = {"dialog shown",      "delete pressed",    "cleared cache 1",
                              "cleared cookies 1", "cleared history 1", "dialog closed"};

Lines DialogLines(const Lines& lines) {
    // The first line names the dialog thread, which differs from run to run.
    return lines.empty() ? lines : Lines(lines.begin() + 1, lines.end());
}

TEST_F(InternetExplorer, DialogIsFoundAndDeleteIsPressed) {
    EXPECT_TRUE(CleanWithinAWhile());
    EXPECT_EQ(DialogLines(ReadLog(log_)), kDialogCleared);
    EXPECT_EQ(PlantedLeft(), 0);
}

TEST_F(InternetExplorer, DeleteButtonFoundByIdentifierInAnotherLanguage) {
    ScopedEnv german(L"SWEEPLY_STANDIN_INETCPL_GERMAN", L"1");
    EXPECT_TRUE(CleanWithinAWhile());
    EXPECT_EQ(DialogLines(ReadLog(log_)), kDialogCleared);
}

TEST_F(InternetExplorer, DeleteButtonFoundByItsCaptionAlone) {
    ScopedEnv captionOnly(L"SWEEPLY_STANDIN_INETCPL_CAPTIONONLY", L"1");
    EXPECT_TRUE(CleanWithinAWhile());
    EXPECT_EQ(DialogLines(ReadLog(log_)), kDialogCleared);
}

TEST_F(InternetExplorer, DeleteButtonFoundByItsPlaceAlone) {
    ScopedEnv noId(L"SWEEPLY_STANDIN_INETCPL_NOID", L"1");
    EXPECT_TRUE(CleanWithinAWhile());
    EXPECT_EQ(DialogLines(ReadLog(log_)), kDialogCleared);
}

TEST_F(InternetExplorer, ModuleWithoutDialogEntryOrAbortGivesUp) {
    RunState = Aborting;
    EXPECT_FALSE(CleanInternetExplorer());
    RunState = Running;
    Install(L"inetcpl_noentry.cpl");
    EXPECT_FALSE(CleanInternetExplorer());
    EXPECT_EQ(ReadLog(log_), Lines{});
    EXPECT_EQ(PlantedLeft(), 3);
}

TEST_F(InternetExplorer, WithoutButtonsTheDialogIsCentredAndWaitedForDespiteAbort) {
    ScopedEnv noButtons(L"SWEEPLY_STANDIN_INETCPL_NOBUTTONS", L"1");
    VisibleMode = true;
    ScreenCentre = ScreenPoint{500, 400};
    bool result = false;
    HANDLE worker =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunCleaner, &result, 0, nullptr));
    ASSERT_NE(worker, nullptr);

    HWND dialog = WaitForTopmostDialog();
    EXPECT_NE(dialog, nullptr);
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    EXPECT_LE(std::abs((rect.left + rect.right) / 2 - 500), 1);
    EXPECT_LE(std::abs((rect.top + rect.bottom) / 2 - 400), 1);

    // Nothing was pressed; an abort now does not end the wait for the user's answer.
    RunState = Aborting;
    EXPECT_EQ(WaitForSingleObject(worker, 1500), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_TRUE(result);
    EXPECT_EQ(DialogLines(ReadLog(log_)), (Lines{"dialog shown", "cancelled", "dialog closed"}));
    EXPECT_EQ(PlantedLeft(), 3);
    VisibleMode = false;
    ScreenCentre = ScreenPoint{};
}

TEST_F(InternetExplorer, SweeplyClearsThroughTheDialog) {
    RunResult run = RunSweeply(L"ie8");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(DialogLines(ReadLog(log_)), kDialogCleared);
    EXPECT_EQ(PlantedLeft(), 0);
}

TEST_F(InternetExplorer, SweeplyClearsEverythingThroughRundll32) {
    // Both files go to the shell by full path. Wine finds a bare "rundll32.exe" in the system
    // folder before anything else, so only the command built can show it.
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    wchar_t program[MAX_PATH];
    wchar_t parameters[MAX_PATH];
    ASSERT_TRUE(BuildClearEverythingCommand(program, parameters));
    EXPECT_EQ(std::wstring(program), std::wstring(system) + L"\\rundll32.exe");
    EXPECT_EQ(std::wstring(parameters),
              L"\"" + std::wstring(system) + L"\\inetcpl.cpl\",ClearMyTracksByProcess 255");

    RunResult run = RunSweeply(L"ie8/all");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    // Sweeply does not wait for rundll32, which clears on by itself.
    Lines lines = ReadLog(log_, 4, 20000);
    EXPECT_EQ(lines,
              (Lines{"tracks 255", "cleared cache 1", "cleared cookies 1", "cleared history 1"}));
    EXPECT_TRUE(WaitNoProcess(L"rundll32.exe", 20000));
    EXPECT_EQ(PlantedLeft(), 0);
}

TEST_F(InternetExplorer, TaskWithBothRunsOnlyTheFullClear) {
    RunResult run = RunSweeply(L"ie8 ie8/all");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(WaitNoProcess(L"rundll32.exe", 20000));
    Lines lines = ReadLog(log_, 4, 20000);
    EXPECT_TRUE(Has(lines, "tracks 255"));
    EXPECT_FALSE(Has(lines, "dialog shown"));
}

// Wine's own module, back in the system folder: its entries raise Wine's unimplemented-function
// exception (the prefix sets WineDbg "ShowCrashDialog" to 0, so no crash window stays).
TEST_F(InternetExplorer, WineOwnModuleNeitherHangsNorLeavesAWindow) {
    RestoreWineModule();
    RunResult all = RunSweeply(L"ie8/all");
    ASSERT_TRUE(all.finished);
    EXPECT_EQ(all.exitCode, 0u);
    EXPECT_TRUE(WaitNoProcess(L"rundll32.exe", 20000));
    EXPECT_EQ(FindWindowW(nullptr, L"Program Error"), nullptr);

    RunResult dialog = RunSweeply(L"ie8");
    EXPECT_TRUE(dialog.finished);
    EXPECT_EQ(FindWindowW(nullptr, L"Program Error"), nullptr);
    EXPECT_EQ(ReadLog(log_), Lines{});
    EXPECT_EQ(PlantedLeft(), 3);
}

}  // namespace
