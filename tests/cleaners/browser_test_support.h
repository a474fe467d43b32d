// Shared by the browser cleaners' tests: the run settings a cleaner reads, set per test and put
// back afterwards.
#pragma once

#include <windows.h>

#include "run/run_state.h"
#include "run/settings.h"

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

}  // namespace testing_support
