// Shared pieces of the CCleaner and Norton 360 tests; see runner_test_support.h.
#include "tests/cleaners/runner_test_support.h"

#include "run/run_state.h"
#include "tests/support/screen.h"
#include "tests/support/test_support.h"

namespace runner_testing {

namespace {

constexpr wchar_t kAppPathsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ccleaner.exe";

void WriteAppPath(DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, nullptr, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }
}

}  // namespace

RunningStandin::RunningStandin(const std::wstring& program) {
    if (testing_support::StartProgram(testing_support::Quote(program), &process_)) {
        WaitForInputIdle(process_, 10000);
    }
}

RunningStandin::~RunningStandin() {
    if (process_ != nullptr) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
    }
}

ScopedCCleanerAppPath::ScopedCCleanerAppPath(const std::wstring& path) {
    WriteAppPath(REG_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

ScopedCCleanerAppPath::ScopedCCleanerAppPath(DWORD type, const void* data, DWORD bytes) {
    WriteAppPath(type, data, bytes);
}

ScopedCCleanerAppPath::~ScopedCCleanerAppPath() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathsKey);
}

AbortWhenLogged::AbortWhenLogged(const std::wstring& log, const std::string& event, AbortBy by)
    : log_(log), event_(event), by_(by) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

AbortWhenLogged::~AbortWhenLogged() {
    InterlockedExchange(&stop_, 1);
    if (thread_ != nullptr) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
}

DWORD WINAPI AbortWhenLogged::Watch(void* self) {
    auto* watcher = static_cast<AbortWhenLogged*>(self);
    while (watcher->stop_ == 0) {
        for (const std::string& line : testing_support::ReadLog(watcher->log_)) {
            if (line.find(watcher->event_) == std::string::npos) {
                continue;
            }
            if (watcher->by_ == AbortBy::RunState) {
                RunState = Aborting;
            } else {
                HWND curtain = FindWindowW(L"Sweeply", L"Sweeply");
                for (int press = 0; press < 2; ++press) {
                    PostMessageW(curtain, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                }
            }
            return 0;
        }
        Sleep(20);
    }
    return 0;
}

CurtainWatcher::CurtainWatcher() {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

CurtainWatcher::~CurtainWatcher() {
    Stop();
}

void CurtainWatcher::Stop() {
    InterlockedExchange(&stop_, 1);
    if (thread_ != nullptr) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

DWORD WINAPI CurtainWatcher::Watch(void* self) {
    auto* watcher = static_cast<CurtainWatcher*>(self);
    while (watcher->stop_ == 0) {
        watcher->Look();
        Sleep(50);
    }
    return 0;
}

// Copies the status strip (the curtain's top right, 560 x 30 from y 30) off the screen and
// counts the pixels drawn exactly in the warning colour and in the text colour.
void CurtainWatcher::Look() {
    HWND curtain = FindWindowW(L"Sweeply", nullptr);
    if (curtain == nullptr || !IsWindowVisible(curtain)) {
        return;
    }
    sawCurtain_ = true;
    RECT window = {};
    GetWindowRect(curtain, &window);
    testing_support::Screenshot strip = testing_support::CaptureScreen(
        {window.right - 560, window.top + 30, window.right, window.top + 60});
    RECT all = {0, 0, strip.width, strip.height};
    int warning = strip.Count(all, 0xDC6464);
    int text = strip.Count(all, 0x3B86A4);
    std::string look = warning > 20 ? "warning" : text > 5 ? "text" : "blank";
    if (looks_.empty() || looks_.back() != look) {
        looks_.push_back(look);
    }
}

}  // namespace runner_testing
