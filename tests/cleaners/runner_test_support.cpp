// Shared pieces of the CCleaner and Norton 360 tests; see runner_test_support.h.
#include "tests/cleaners/runner_test_support.h"

#include "run/run_state.h"
#include "tests/support/test_support.h"

namespace runner_testing {

std::wstring CopyCCleaner(const std::wstring& folder, const wchar_t* standin) {
    std::wstring dir = folder + L"\\Piriform CCleaner";
    std::wstring program = dir + L"\\CCleaner.exe";
    bool copied = CreateDirectoryW(dir.c_str(), nullptr) &&
                  CopyFileW(testing_support::BinPath(standin).c_str(), program.c_str(), TRUE);
    return copied ? program : L"";
}

AbortWhenLogged::AbortWhenLogged(const std::wstring& log, const std::string& event)
    : log_(log), event_(event) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

AbortWhenLogged::~AbortWhenLogged() {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

DWORD WINAPI AbortWhenLogged::Watch(void* self) {
    auto* watcher = static_cast<AbortWhenLogged*>(self);
    while (watcher->stop_ == 0) {
        for (const std::string& line : testing_support::ReadLog(watcher->log_)) {
            if (line.find(watcher->event_) != std::string::npos) {
                RunState = Aborting;
                return 0;
            }
        }
        Sleep(20);
    }
    return 0;
}

}  // namespace runner_testing
