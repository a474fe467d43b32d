// Shared pieces of the CCleaner and Norton 360 tests; see runner_test_support.h.
#include "tests/cleaners/runner_test_support.h"


#include "core/run_state.h"
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
    std::wstring line = testing_support::Quote(program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
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

AbortWhenLogged::AbortWhenLogged(const std::wstring& log, const std::string& event)
    : log_(log), event_(event) {
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
            if (line.find(watcher->event_) != std::string::npos) {
                RunState = Aborting;
                return 0;
            }
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
    constexpr int kWidth = 560;
    constexpr int kHeight = 30;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int warning = 0;
    int text = 0;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, kWidth, kHeight, screen, window.right - kWidth, window.top + 30,
               SRCCOPY);
        GdiFlush();
        const DWORD* pixel = static_cast<const DWORD*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i) {
            DWORD rgb = pixel[i] & 0xFFFFFF;
            warning += rgb == 0xDC6464 ? 1 : 0;
            text += rgb == 0x3B86A4 ? 1 : 0;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::string look = warning > 20 ? "warning" : text > 5 ? "text" : "blank";
    if (looks_.empty() || looks_.back() != look) {
        looks_.push_back(look);
    }
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& prefixes) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        for (const std::string& prefix : prefixes) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                found.push_back(line);
                break;
            }
        }
    }
    return found;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace runner_testing
