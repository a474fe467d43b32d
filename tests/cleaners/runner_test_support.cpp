// Shared pieces of the CCleaner and Norton 360 tests; see runner_test_support.h.
#include "tests/cleaners/runner_test_support.h"

#include "run/run_state.h"

namespace runner_testing {

using namespace testing_support;

std::unique_ptr<ScopedRegistryText> InstallCCleaner(const std::wstring& folder,
                                                    const wchar_t* standin) {
    std::wstring program = folder + L"\\Piriform CCleaner\\CCleaner.exe";
    bool copied = MakeFolders(folder + L"\\Piriform CCleaner") &&
                  CopyFileW(BinPath(standin).c_str(), program.c_str(), TRUE);
    return std::make_unique<ScopedRegistryText>(HKEY_LOCAL_MACHINE, kCCleanerAppPaths, nullptr,
                                                copied ? program.c_str() : L"not copied");
}

namespace {

struct Watch {
    const std::wstring& log;
    const char* event;
    volatile LONG stop;
};

DWORD WINAPI WatchLog(void* context) {
    auto* watch = static_cast<Watch*>(context);
    while (watch->stop == 0) {
        for (const std::string& line : ReadLog(watch->log)) {
            if (line.find(watch->event) != std::string::npos) {
                RunState = Aborting;
                return 0;
            }
        }
        Sleep(20);
    }
    return 0;
}

}  // namespace

void AbortWhenLogged(const std::wstring& log,
                     const char* event,
                     const std::function<void()>& work) {
    Watch watch{log, event, 0};
    HANDLE thread = CreateThread(nullptr, 0, WatchLog, &watch, 0, nullptr);
    work();
    InterlockedExchange(&watch.stop, 1);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

}  // namespace runner_testing
