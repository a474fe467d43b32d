// What the CCleaner and Norton 360 tests share: CCleaner's stand-in installed where its App Paths
// entry names it, and an abort confirmed at the moment a stand-in logs a given event.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tests/support/test_support.h"

namespace runner_testing {

constexpr wchar_t kCCleanerAppPaths[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ccleaner.exe";

// Copies the stand-in `standin` ("ccleaner20.exe", ...) to "Piriform CCleaner\CCleaner.exe" in
// `folder` (a path with a blank, as the real one has) and names it in the App Paths entry, which
// goes again with the returned owner.
std::unique_ptr<testing_support::ScopedRegistryText> InstallCCleaner(const std::wstring& folder,
                                                                     const wchar_t* standin);

// Runs `work` while a thread of its own sets RunState to Aborting as soon as a line of `log`
// contains `event`: the user confirming the abort at that moment.
void AbortWhenLogged(const std::wstring& log, const char* event, const std::function<void()>& work);

}  // namespace runner_testing
