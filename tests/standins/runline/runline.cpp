// Starts the exact command line held in SWEEPLY_COMMAND_LINE, waits for it and returns its exit
// code. Scripts use it where Wine's own argument quoting would change the line a program gets.
#include <windows.h>

#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DWORD length = GetEnvironmentVariableW(L"SWEEPLY_COMMAND_LINE", nullptr, 0);
    if (length == 0) {
        return 255;
    }
    std::vector<wchar_t> line(length);
    GetEnvironmentVariableW(L"SWEEPLY_COMMAND_LINE", line.data(), length);
    SetEnvironmentVariableW(L"SWEEPLY_COMMAND_LINE", nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 254;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 253;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
