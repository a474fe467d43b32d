// Sweeply's run from command line to exit code; the program's entry only calls RunSweeply.
#pragma once

#include <windows.h>

// The product's home page, opened at the end when the user clicked "Help and Support".
inline constexpr const wchar_t* kHomePageUrl = L"https://www.sweeply-cleaner.com/help/";

// The whole run: elevation, options, window, worker, message loop, end actions. Returns the
// exit code (0 on every path). `commandLine` is the line without the program name, or null.
int RunSweeply(HINSTANCE instance, const wchar_t* commandLine);

// Whether the calling thread's token is a member of BUILTIN\Administrators.
[[nodiscard]] bool IsUserAdmin();

// How the elevated re-launch went: the copy runs, the user declined the prompt, or it failed.
enum class RelaunchResult { Started, Declined, Failed };

// Starts this program again with administrator rights ("runas") on `parameters`. On Started,
// `*copy` receives the copy's process handle (the caller closes it; null if the shell gave none).
[[nodiscard]] RelaunchResult RelaunchElevated(const wchar_t* parameters, HANDLE* copy);

// What the first, unelevated process does after a re-launch.
struct RelaunchFollowUp {
    bool awaitCopy = false;      // wait for the copy to end, as for the worker
    bool startFollowUp = false;  // then start the "--ext=" program itself, with the user's rights
};

// The first process's course for each re-launch result. A declined prompt or a failed start
// counts as an aborted run, after which the follow-up program still starts.
[[nodiscard]] RelaunchFollowUp DecideAfterRelaunch(RelaunchResult result);

// Starts the "--ext=" program with the "--args=" parameters; retries once with "runas" when
// the start was refused with access denied. Results are otherwise ignored.
void RunExtProgram();
