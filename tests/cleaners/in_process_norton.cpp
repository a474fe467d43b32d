// Norton 360's stand-in windows run inside the test process; see in_process_norton.h.
#include "tests/cleaners/in_process_norton.h"

#include "tests/standins/norton/norton_windows.h"

namespace runner_testing {

InProcessNorton::InProcessNorton() {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
}

InProcessNorton::~InProcessNorton() {
    if (main_ != nullptr) {
        PostMessageW(main_, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
}

DWORD WINAPI InProcessNorton::Run(void* self) {
    auto* norton = static_cast<InProcessNorton*>(self);
    bool made = CreateNortonWindows(GetModuleHandleW(nullptr));
    // The main window is the one top-level "SymHTMLWindow"; the others are children.
    norton->main_ = made ? FindWindowW(L"SymHTMLWindow", nullptr) : nullptr;
    SetEvent(norton->ready_);
    if (!made) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace runner_testing
