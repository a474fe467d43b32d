// What the CCleaner and Norton 360 tests share: CCleaner's stand-in installed where its App Paths
// entry names it, and an abort confirmed at the moment a stand-in logs a given event.
#pragma once

#include <windows.h>

#include <string>

namespace runner_testing {

constexpr wchar_t kCCleanerAppPaths[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ccleaner.exe";

// Copies the stand-in `standin` ("ccleaner20.exe", ...) to "Piriform CCleaner\CCleaner.exe" in
// `folder` (a path with a blank, as the real one has); its path, or "" when that failed.
std::wstring CopyCCleaner(const std::wstring& folder, const wchar_t* standin);

// Sets RunState to Aborting, from a thread of its own, as soon as a line of `log` contains
// `event`: the user confirming the abort at that moment.
class AbortWhenLogged {
  public:
    AbortWhenLogged(const std::wstring& log, const std::string& event);
    ~AbortWhenLogged();
    AbortWhenLogged(const AbortWhenLogged&) = delete;
    AbortWhenLogged& operator=(const AbortWhenLogged&) = delete;

  private:
    static DWORD WINAPI Watch(void* self);
    std::wstring log_;
    std::string event_;
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
};

}  // namespace runner_testing
