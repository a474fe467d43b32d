// Shared by the browser cleaners' tests: the run settings a cleaner reads, set per test and put
// back afterwards, and the ending of every stand-in process a test left behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/run_state.h"
#include "core/settings.h"

namespace testing_support {

// Holds the settings a cleaner reads and restores them when it goes; starts from a silent run.
class ScopedRunSettings {
  public:
    explicit ScopedRunSettings(const wchar_t* task)
        : task_(TaskString), options_(Options), visible_(VisibleMode), centre_(ScreenCentre) {
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
    ScopedRunSettings(const ScopedRunSettings&) = delete;
    ScopedRunSettings& operator=(const ScopedRunSettings&) = delete;

  private:
    const wchar_t* task_;
    LaunchOptions options_;
    bool visible_;
    ScreenPoint centre_;
};

// Index of the first log line that equals `line`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& line);

// Index of the first log line that starts with `prefix`, or -1.
int FindLineStarting(const std::vector<std::string>& lines, const std::string& prefix);

// Makes `path` and every missing folder above it; true when it exists afterwards.
bool MakeFolders(const std::wstring& path);

}  // namespace testing_support
