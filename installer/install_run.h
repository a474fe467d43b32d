// The whole run of SweeplyOpera: find Opera, patch its toolbar, install the button image.
#pragma once

#include <windows.h>

// The button image resource: raw data 110.
constexpr wchar_t kButtonImageResource[] = L"#110";

// Runs the installer's steps in order and stops quietly at the first failure; `resources` is the
// module that carries the button image. Always returns the exit code 0.
int RunOperaInstaller(HMODULE resources);
