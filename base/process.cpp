// Program starts for the cleaners: CreateProcessW for a known program file or command line, the
// shell for a file to be opened with its default verb.
#include "base/process.h"

#include <objbase.h>
#include <shellapi.h>

#include "base/scoped.h"

namespace {

constexpr DWORD kReadyTimeoutMs = 10000;

}  // namespace

bool WaitUntilReadyForInput(HANDLE process, DWORD timeoutMs) {
    return WaitForInputIdle(process, timeoutMs) != WAIT_TIMEOUT;
}

bool StartAndWaitIdle(const wchar_t* application, wchar_t* commandLine, bool hidden) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(application, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &started)) {
        return false;
    }
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    return WaitUntilReadyForInput(process.get(), kReadyTimeoutMs);
}

bool ShellStart(const wchar_t* file, const wchar_t* parameters, HANDLE* process) {
    *process = nullptr;
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    // SEE_MASK_FLAG_NO_UI: a missing file must fail quietly, not leave a modal error box
    // that would hold the worker (and a silent run) until someone answers it.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_WAITFORINPUTIDLE | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = file;
    execute.lpParameters = parameters;
    // The shell may use COM for the start; uninitialise whatever CoInitialize answered, as a
    // call that found COM already set up still counts once.
    CoInitialize(nullptr);
    BOOL executed = ShellExecuteExW(&execute);
    CoUninitialize();
    ScopedHandle started(execute.hProcess);
    if (!executed || reinterpret_cast<INT_PTR>(execute.hInstApp) <= 32 || !started.valid()) {
        return false;
    }
    *process = started.detach();
    return true;
}
