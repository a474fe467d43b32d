// Process ending, log search and folder making for the browser cleaners' tests.
#include "tests/cleaners/browser_test_support.h"

#include <tlhelp32.h>

#include "tests/support/test_support.h"

namespace testing_support {

bool EndProcesses(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry)) {
            if (_wcsicmp(entry.szExeFile, exeName) != 0) {
                continue;
            }
            HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
            if (process != nullptr) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
        }
        CloseHandle(snapshot);
    }
    return WaitNoProcess(exeName, 10000);
}

int FindLine(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool MakeFolders(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        slash != std::wstring::npos && slash > 2) {
        MakeFolders(path.substr(0, slash));
    }
    CreateDirectoryW(path.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace testing_support
