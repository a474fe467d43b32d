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

// Starts the "--ext=" program with the "--args=" parameters; retries once with "runas" when
// the start was refused with access denied. Results are otherwise ignored.
void RunExtProgram();
