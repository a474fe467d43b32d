// Shared by the browser cleaners' tests: the run settings a cleaner reads, a cleaner run on a
// thread of its own, the stand-in log of a test, and the stand-ins laid out as installed.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/settings.h"
#include "tests/support/test_support.h"

namespace testing_support {

using Lines = std::vector<std::string>;

// The settings a cleaner reads, set for a silent run of `task` and put back when it goes.
struct ScopedRunSettings {
    explicit ScopedRunSettings(const wchar_t* task) {
        TaskString = task;
        Options = LaunchOptions{};
        VisibleMode = false;
        RunState = Running;
    }
    ~ScopedRunSettings() {
        TaskString = task_;
        Options = options_;
        VisibleMode = visible_;
        ScreenCentre = centre_;
        RunState = Running;
    }
    const wchar_t* task_ = TaskString;
    LaunchOptions options_ = Options;
    bool visible_ = VisibleMode;
    ScreenPoint centre_ = ScreenCentre;
};

// Runs a cleaner as the worker does, on a thread of its own, so that the test can watch it and
// abort it. The owner waits for the thread to end: the test must let the cleaner finish.
class CleanerThread {
  public:
    explicit CleanerThread(bool (*cleaner)()) : cleaner_(cleaner) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~CleanerThread() {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CleanerThread(const CleanerThread&) = delete;
    // True when the cleaner has ended within `ms`.
    bool Ended(DWORD ms) const { return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }
    bool result() const { return result_; }

  private:
    static DWORD WINAPI Run(void* self) {
        auto* owner = static_cast<CleanerThread*>(self);
        owner->result_ = owner->cleaner_();
        return 0;
    }
    bool (*cleaner_)();
    bool result_ = false;
    HANDLE thread_ = nullptr;
};

// Each of `expected` is a line of `lines`, each after the one before.
inline ::testing::AssertionResult InOrder(const Lines& lines,
                                          std::initializer_list<std::string> expected) {
    int previous = -1;
    for (const std::string& line : expected) {
        int at = IndexOf(lines, line);
        if (at <= previous) {
            return ::testing::AssertionFailure() << "[" << line << "] missing or out of order";
        }
        previous = at;
    }
    return ::testing::AssertionSuccess();
}

// A test with a temporary folder and the stand-ins' log in it: `programs` are ended and `reset`
// run before and after.
class StandinTest : public ::testing::Test {
  protected:
    StandinTest(std::initializer_list<const wchar_t*> programs, void (*reset)())
        : programs_(programs), reset_(reset) {}
    void SetUp() override {
        for (const wchar_t* program : programs_) {
            ASSERT_TRUE(EndProcesses(program));
        }
        reset_();
    }
    void TearDown() override {
        for (const wchar_t* program : programs_) {
            EXPECT_TRUE(EndProcesses(program));
        }
        reset_();
    }
    Lines Log(size_t atLeast = 0, DWORD waitMs = 0) const { return ReadLog(log_, atLeast, waitMs); }
    // The log once it holds `last`, waiting up to 10 s.
    Lines LogUntil(const std::string& last) const {
        Lines lines;
        WaitFor([&] { return Has(lines = Log(), last); }, 10000);
        return lines;
    }

    std::vector<const wchar_t*> programs_;
    void (*reset_)();
    TempFolder temp_;
    std::wstring log_ = temp_ / L"standins.log";
    ScopedEnv logVariable_{L"SWEEPLY_STANDIN_LOG", log_};
};

// Chrome's own folder under a special folder: "Application\chrome.exe" and "User Data".
inline std::wstring ChromeFolder(int csidl) {
    return SpecialFolder(csidl) + L"\\Google\\Chrome";
}

inline void RemoveChromeLayouts() {
    for (int csidl : {CSIDL_LOCAL_APPDATA, CSIDL_PROGRAM_FILES}) {
        RemoveTree(ChromeFolder(csidl));
        RemoveDirectoryW((SpecialFolder(csidl) + L"\\Google").c_str());  // when left empty
    }
}

// The Chrome stand-in as `program`, with a profile of two files in `userData`.
inline bool PlaceChrome(const std::wstring& program, const std::wstring& userData) {
    std::wstring folder = program.substr(0, program.rfind(L'\\'));
    return MakeFolders(folder) &&
           CopyFileW(BinPath(L"chrome.exe").c_str(), program.c_str(), FALSE) &&
           MakeFolders(userData + L"\\Default") &&
           WriteTextFile(userData + L"\\Default\\History", "visits") &&
           WriteTextFile(userData + L"\\Default\\Cookies", "cookies");
}

constexpr wchar_t kFirefoxKey[] = L"Software\\Mozilla\\Mozilla Firefox";

inline void RemoveFirefoxKeys() {
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kFirefoxKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Mozilla");  // only when nothing else is in it
}

// Registers `program` as Firefox's installer does: CurrentVersion and "<version>\Main" PathToExe.
inline bool RegisterFirefox(const std::wstring& program,
                            const std::wstring& version = L"3.6.13 (en-US)") {
    std::wstring key = kFirefoxKey;
    return WriteRegistryText(HKEY_LOCAL_MACHINE, key, L"CurrentVersion", version) &&
           WriteRegistryText(HKEY_LOCAL_MACHINE, key + L"\\" + version + L"\\Main", L"PathToExe",
                             program);
}

// The Firefox stand-in as `folder`\firefox.exe with the three profile files in `folder`\Profile.
inline bool PlaceFirefox(const std::wstring& folder) {
    bool placed =
        MakeFolders(folder + L"\\Profile") &&
        CopyFileW(BinPath(L"firefox.exe").c_str(), (folder + L"\\firefox.exe").c_str(), FALSE);
    for (const wchar_t* name : {L"places.sqlite", L"cookies.sqlite", L"formhistory.sqlite"}) {
        placed = placed && WriteTextFile(folder + L"\\Profile\\" + name, "data");
    }
    return placed;
}

}  // namespace testing_support
