// Sweeply.exe run as a whole under Wine: a silent run from command line to exit, the follow-up
// program of "--ext=" started with exactly the "--args=" text, the elevated re-launch, and a DLL
// planted beside the program left unloaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/scoped.h"
#include "tests/support/test_support.h"

namespace {

using namespace testing_support;

// One silent run from command line to exit: "ie8/all" starts rundll32, an unknown token is
// passed over, and the follow-up program, from a path with a blank, gets the "--args=" text
// exactly as it stands. (Each cleaner's giving up when its program is missing is proven by the
// cleaner's own tests.)
TEST(SweeplyRun, SilentRunStartsTheFollowUpWithTheArgumentsAsTheyStand) {
    TempFolder folder;
    std::wstring dir = folder / L"follow up";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    std::wstring recorder = dir + L"\\recorder.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
    std::wstring log = folder / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);

    RunResult run =
        RunSweeply(L"unknown ie8/all --ext=" + recorder + L" --args=/clean  \"two words\" x");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> lines = ReadLog(log, 1, 10000);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "started [/clean  \"two words\" x]");
    // Nothing the run started (the follow-up program, rundll32) is left running.
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));
}

// Runs Sweeply on `task` as a user without administrator rights: its first thread impersonates
// this process's token with the Administrators group made deny-only, so the membership test says
// no, while what it starts (Wine's "runas" included) gets the full token, as a consented
// elevation would.
RunResult RunSweeplyAsStandardUser(const std::wstring& task) {
    RunResult result;
    std::wstring text = Quote(BinPath(L"Sweeply.exe")) + L" " + task;
    std::vector<wchar_t> line(text.c_str(), text.c_str() + text.size() + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info)) {
        return result;
    }
    ScopedHandle process(info.hProcess), thread(info.hThread), own, restricted, impersonation;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    SID_AND_ATTRIBUTES administrators = {sid, 0};
    result.started =
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, own.receive()) &&
        CreateRestrictedToken(own.get(), 0, 1, &administrators, 0, nullptr, 0, nullptr,
                              restricted.receive()) &&
        DuplicateTokenEx(restricted.get(), TOKEN_IMPERSONATE | TOKEN_QUERY, nullptr,
                         SecurityImpersonation, TokenImpersonation, impersonation.receive()) &&
        SetThreadToken(&info.hThread, impersonation.get()) && ResumeThread(thread.get()) == 1;
    result.processId = info.dwProcessId;
    result.finished = result.started && WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0;
    if (!result.finished) {
        TerminateProcess(process.get(), 1);
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

TEST(SweeplyRun, ElevatedCopyStartsNothingNamedOnTheLineAndTheUserStartsTheFollowUp) {
    TempFolder folder;
    std::wstring log = folder / L"recorder.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    std::wstring recorder = BinPath(L"recorder.exe");

    // "cc/auto" asks for the elevated copy. Were "--port=" handed on, the copy's Chrome cleaner
    // would start the recorder as Chrome; were "--ext=", the copy would start the follow-up.
    RunResult run =
        RunSweeplyAsStandardUser(L"chrome/f cc/auto --port=" + recorder + L" --ext=" + recorder);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> lines = ReadLog(log, 3, 10000);
    EXPECT_EQ(LinesStartingWith(lines, {"started", "parent"}),
              (std::vector<std::string>{"started []", "parent " + std::to_string(run.processId)}));
    EXPECT_TRUE(WaitNoChildren(run.processId, 10000));
}

// A gdiplus.dll beside the program is never loaded by a silent run, and a follow-up program that
// is missing is passed over. (The shown run, whose curtain takes GDI+ from the system folder, is
// proven by the curtain's tests.) Wine prefers its own gdiplus.dll unless told otherwise; the
// override for the copy's file name makes it prefer the one beside the program, as Windows does
// for a DLL that is not on its known-DLL list.
TEST(SweeplyRun, DllPlantedBesideTheProgramIsNotLoadedAndAMissingFollowUpIsIgnored) {
    TempFolder folder;
    std::wstring sweeply = folder / L"SweeplyBesideDll.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"Sweeply.exe").c_str(), sweeply.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(BinPath(L"planted_dll.dll").c_str(), (folder / L"gdiplus.dll").c_str(), FALSE));
    std::wstring log = folder / L"planted.log";
    ScopedEnv logVariable(L"SWEEPLY_STANDIN_LOG", log);
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\SweeplyBesideDll.exe";
    {
        ScopedRegistryText preferBeside(HKEY_CURRENT_USER, appKey + L"\\DllOverrides", L"gdiplus",
                                        L"native,builtin");
        ASSERT_TRUE(preferBeside.ready());
        RunResult run = RunProgram(
            Quote(sweeply) + L" --ext=" + (folder / L"missing.exe") + L" --args=x", 60000);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
    EXPECT_EQ(ReadLog(log), std::vector<std::string>{});
}

}  // namespace
