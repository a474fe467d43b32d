// Norton 360's stand-in windows on a thread of the test process. Wine reads GetPixel only from
// windows of the calling process, so this is where the runner's readiness test can be seen to work.
#pragma once

#include <windows.h>

namespace runner_testing {

// Builds the windows (switches as for the stand-in program) and runs their message loop on a
// thread of its own; closes them when it goes.
class InProcessNorton {
  public:
    InProcessNorton();
    ~InProcessNorton();
    InProcessNorton(const InProcessNorton&) = delete;
    InProcessNorton& operator=(const InProcessNorton&) = delete;
    bool made() const { return main_ != nullptr; }

  private:
    static DWORD WINAPI Run(void* self);
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    HWND volatile main_ = nullptr;
};

}  // namespace runner_testing
