// Internet Explorer's cleaner against the stand-in Internet Options module installed in the
// prefix's system folder, and against Wine's own module, whose entries are stubs that raise an
// exception.
#include "cleaners/internet_explorer.h"

#include <algorithm>
#include <cstdlib>

#include "tests/cleaners/browser_test_support.h"

namespace {

using namespace testing_support;

const Lines kDialogCleared = {"dialog shown",      "delete pressed",    "cleared cache 1",
                              "cleared cookies 1", "cleared history 1", "dialog closed"};

HWND FindHistoryDialogWindow() {
    return FindWindowW(L"#32770", L"Delete Browsing History");
}

// Puts the stand-in module (or its build without the dialog entry) where Internet Explorer's
// lies, keeping Wine's own file aside, and puts Wine's back afterwards. Wine 8 loads a native
// file found there with its default load order, for LoadLibraryW in this process and in rundll32
// alike (both by full path); its own copy carries a builtin marker (at 0x40, in place of the DOS
// stub) and then loads its builtin. Plants one file in each of the three folders the module
// clears.
class InternetExplorer : public StandinTest {
  protected:
    InternetExplorer() : StandinTest({}, [] {}) {}
    void SetUp() override {
        StandinTest::SetUp();
        // A case or run that ended without putting Wine's module back left its copy aside.
        if (FileExists(original_)) {
            ASSERT_TRUE(PutWineModuleBack());
        }
        ASSERT_EQ(ReadTextFile(module_).find("Wine builtin DLL"), 0x40u)
            << "the prefix has lost Wine's inetcpl.cpl";
        ASSERT_TRUE(CopyFileW(module_.c_str(), original_.c_str(), TRUE));
        Install(L"inetcpl.cpl");
        Plant();
    }
    void TearDown() override {
        for (const std::wstring& file : planted_) {
            DeleteFileW(file.c_str());
        }
        EXPECT_TRUE(PutWineModuleBack());
        StandinTest::TearDown();
    }
    // Other tests share the prefix and leave working files in these folders (SweeplyOpera keeps
    // two in the Internet cache): each ends up holding only the planted file, and the log empty.
    void Plant() {
        DeleteFileW(log_.c_str());
        for (const std::wstring& file : planted_) {
            std::wstring folder = file.substr(0, file.rfind(L'\\'));
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
            while (find != INVALID_HANDLE_VALUE) {
                DeleteFileW((folder + L"\\" + data.cFileName).c_str());  // fails on folders
                if (!FindNextFileW(find, &data)) {
                    FindClose(find);
                    find = INVALID_HANDLE_VALUE;
                }
            }
            ASSERT_TRUE(WriteTextFile(file, "trace")) << Narrow(file);
        }
    }
    // Copies Wine's module back and only then deletes its copy, so that a failed copy leaves it
    // for the next set-up. Retried for a while: a rundll32 may still hold the stand-in.
    bool PutWineModuleBack() {
        auto copyBack = [&] { return CopyFileW(original_.c_str(), module_.c_str(), FALSE); };
        return WaitFor(copyBack, 10000) && DeleteFileW(original_.c_str());
    }
    void Install(const wchar_t* build) {
        ASSERT_TRUE(CopyFileW(BinPath(build).c_str(), module_.c_str(), FALSE));
    }
    int PlantedLeft() const {
        return static_cast<int>(std::count_if(planted_.begin(), planted_.end(), FileExists));
    }
    std::wstring module_ = SpecialFolder(CSIDL_SYSTEM) + L"\\inetcpl.cpl";
    std::wstring original_ = module_ + L".sweeply-original";
    std::vector<std::wstring> planted_ = {
        SpecialFolder(CSIDL_INTERNET_CACHE) + L"\\sweeply-page.htm",
        SpecialFolder(CSIDL_COOKIES) + L"\\sweeply@example.txt",
        SpecialFolder(CSIDL_HISTORY) + L"\\sweeply-visit.url"};
    ScopedRunSettings settings_{L"ie8"};
};

// Each switch leaves the stand-in's Delete button one way to be found: its English caption, its
// identifier (in another language), or its place among the dialog's children.
TEST_F(InternetExplorer, DeleteIsFoundByCaptionIdentifierOrPlaceAndPressed) {
    for (const wchar_t* only : {L"INETCPL_CAPTIONONLY", L"INETCPL_GERMAN", L"INETCPL_NOID"}) {
        Plant();
        ScopedEnv misbehaviour((L"SWEEPLY_STANDIN_" + std::wstring(only)).c_str(), L"1");
        CleanerThread cleaner(CleanInternetExplorer);
        if (!cleaner.Ended(15000)) {
            ADD_FAILURE() << "the dialog stayed open: Delete was not pressed";
            PostMessageW(FindHistoryDialogWindow(), WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(cleaner.Ended(10000) && cleaner.result()) << Narrow(only);
        EXPECT_EQ(Log(), kDialogCleared) << Narrow(only);
        EXPECT_EQ(PlantedLeft(), 0) << Narrow(only);
    }
}

TEST_F(InternetExplorer, ModuleWithoutDialogEntryOrAbortGivesUp) {
    RunState = Aborting;
    EXPECT_FALSE(CleanInternetExplorer());
    EXPECT_FALSE(CleanInternetExplorerAll());
    RunState = Running;
    Install(L"inetcpl_noentry.cpl");
    EXPECT_FALSE(CleanInternetExplorer());
    EXPECT_EQ(Log(), Lines{});
    EXPECT_EQ(PlantedLeft(), 3);
}

// Without a Delete button nothing is pressed, and the user's answer is waited for even after an
// abort; a shown run centres the dialog.
TEST_F(InternetExplorer, WithoutButtonsTheDialogIsCentredAndWaitedForDespiteAbort) {
    ScopedEnv noButtons(L"SWEEPLY_STANDIN_INETCPL_NOBUTTONS", L"1");
    VisibleMode = true;
    ScreenCentre = ScreenPoint{500, 400};
    CleanerThread cleaner(CleanInternetExplorer);
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
            dialog = FindHistoryDialogWindow();
            return dialog != nullptr && (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        },
        10000));
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    EXPECT_LE(std::abs((rect.left + rect.right) / 2 - 500), 1);
    EXPECT_LE(std::abs((rect.top + rect.bottom) / 2 - 400), 1);
    RunState = Aborting;
    EXPECT_FALSE(cleaner.Ended(0));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(cleaner.Ended(10000) && cleaner.result());
    EXPECT_EQ(Log(), (Lines{"dialog shown", "cancelled", "dialog closed"}));
    EXPECT_EQ(PlantedLeft(), 3);
}

// Both files go to the shell by full path (Wine finds a bare "rundll32.exe" in the system folder
// before anything else, so only the command built can show it); rundll32 clears on by itself.
TEST_F(InternetExplorer, ClearsEverythingThroughRundll32) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    wchar_t program[MAX_PATH];
    wchar_t parameters[MAX_PATH];
    ASSERT_TRUE(BuildClearEverythingCommand(program, parameters));
    EXPECT_EQ(std::wstring(program), std::wstring(system) + L"\\rundll32.exe");
    EXPECT_EQ(std::wstring(parameters),
              L"\"" + std::wstring(system) + L"\\inetcpl.cpl\",ClearMyTracksByProcess 255");

    EXPECT_TRUE(CleanInternetExplorerAll());
    EXPECT_EQ(Log(4, 20000),
              (Lines{"tracks 255", "cleared cache 1", "cleared cookies 1", "cleared history 1"}));
    EXPECT_TRUE(WaitNoProcess(L"rundll32.exe", 20000));
    EXPECT_EQ(PlantedLeft(), 0);
}

// Wine's own module, back in the system folder: its entries raise Wine's unimplemented-function
// exception (the prefix sets WineDbg "ShowCrashDialog" to 0, so no crash window stays). The
// dialog entry is called inside Sweeply, whose process the exception ends.
TEST_F(InternetExplorer, WineOwnModuleNeitherHangsNorLeavesAWindow) {
    ASSERT_TRUE(CopyFileW(original_.c_str(), module_.c_str(), FALSE));
    EXPECT_TRUE(CleanInternetExplorerAll());
    EXPECT_TRUE(WaitNoProcess(L"rundll32.exe", 20000));
    EXPECT_TRUE(RunSweeply(L"ie8").finished);
    EXPECT_EQ(FindWindowW(nullptr, L"Program Error"), nullptr);
    EXPECT_EQ(Log(), Lines{});
    EXPECT_EQ(PlantedLeft(), 3);
}

}  // namespace
