// Shared pieces of the CCleaner and Norton 360 tests; see runner_test_support.h.
#include "tests/cleaners/runner_test_support.h"

#include <tlhelp32.h>

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
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
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

void TerminateProcesses(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, exeName) != 0) {
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
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
