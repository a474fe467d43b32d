// Test helpers over plain Win32 calls; see test_support.h.
#include "tests/support/test_support.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cwchar>

namespace testing_support {

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring BinPath(const wchar_t* fileName) {
    return BinDir() + L"\\" + fileName;
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    for (;;) {
        wchar_t name[MAX_PATH];
        swprintf(name, MAX_PATH, L"%lssweeply-test-%lu-%ld", temp, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryW(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryW(child.c_str());
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

bool MakeFolders(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        slash != std::wstring::npos && slash > 2) {
        MakeFolders(path.substr(0, slash));
    }
    CreateDirectoryW(path.c_str(), nullptr);
    return IsFolder(path);
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsEmptyFolder(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool empty = true;
    do {
        std::wstring name = entry.cFileName;
        empty = empty && (name == L"." || name == L"..");
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return empty;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                path))) {
        return L"";
    }
    return path;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadTextFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32768];
    DWORD length = GetEnvironmentVariableW(name, old, 32768);
    hadOld_ = length > 0 && length < 32768;
    if (hadOld_) {
        old_.assign(old, length);
    }
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() {
    SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

bool WriteRegistryText(HKEY root,
                       const std::wstring& key,
                       const wchar_t* name,
                       const std::wstring& text) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result =
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

ScopedRegistryText::ScopedRegistryText(HKEY root,
                                       const std::wstring& key,
                                       const wchar_t* name,
                                       const wchar_t* text)
    : root_(root), key_(key), name_(name != nullptr ? name : L"") {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &handle, &disposition) != ERROR_SUCCESS) {
        return;
    }
    madeKey_ = disposition == REG_CREATED_NEW_KEY;
    DWORD bytes = 0;
    if (RegQueryValueExW(handle, name_.c_str(), nullptr, &oldType_, nullptr, &bytes) ==
        ERROR_SUCCESS) {
        old_.resize(bytes + 2);
        hadOld_ = RegQueryValueExW(handle, name_.c_str(), nullptr, &oldType_, old_.data(),
                                   &bytes) == ERROR_SUCCESS;
        old_.resize(bytes);
    }
    if (text != nullptr) {
        ready_ = RegSetValueExW(
                     handle, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    } else {
        ready_ = !hadOld_ || RegDeleteValueW(handle, name_.c_str()) == ERROR_SUCCESS;
    }
    RegCloseKey(handle);
}

ScopedRegistryText::~ScopedRegistryText() {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
        return;
    }
    if (hadOld_) {
        RegSetValueExW(handle, name_.c_str(), 0, oldType_, old_.data(),
                       static_cast<DWORD>(old_.size()));
    } else {
        RegDeleteValueW(handle, name_.c_str());
    }
    RegCloseKey(handle);
    if (madeKey_) {
        RegDeleteKeyW(root_, key_.c_str());
    }
}

std::wstring Quote(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

bool StartProgram(const std::wstring& commandLine, HANDLE* process) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    if (process != nullptr) {
        *process = info.hProcess;
    } else {
        CloseHandle(info.hProcess);
    }
    return true;
}

RunResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs) {
    RunResult result;
    HANDLE process = nullptr;
    if (!StartProgram(commandLine, &process)) {
        return result;
    }
    result.started = true;
    result.processId = GetProcessId(process);
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(process, &result.exitCode);
    } else {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    return result;
}

RunResult RunSweeply(const std::wstring& task, DWORD timeoutMs) {
    return RunProgram(Quote(BinPath(L"Sweeply.exe")) + L" " + task, timeoutMs);
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return IndexOf(lines, line) != -1;
}

bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return IndexOfPrefix(lines, prefix) != -1;
}

int IndexOfPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
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

std::vector<std::string> ReadLog(const std::wstring& path, size_t atLeast, DWORD waitMs) {
    std::vector<std::string> lines;
    DWORD waited = 0;
    for (;;) {
        lines.clear();
        std::string text = ReadTextFile(path);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                break;  // a line still being written
            }
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
            start = end + 1;
        }
        if (lines.size() >= atLeast || waited >= waitMs) {
            return lines;
        }
        Sleep(50);
        waited += 50;
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 50) {
        if (condition()) {
            return true;
        }
        if (waited >= waitMs) {
            return false;
        }
        Sleep(50);
    }
}

int CountProcesses(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

bool WaitNoChildren(DWORD parentId, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 100) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) {
            return false;
        }
        int children = 0;
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry)) {
            children += entry.th32ParentProcessID == parentId ? 1 : 0;
        }
        CloseHandle(snapshot);
        if (children == 0) {
            return true;
        }
        if (waited >= waitMs) {
            return false;
        }
        Sleep(100);
    }
}

bool WaitNoProcess(const wchar_t* exeName, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 100) {
        if (CountProcesses(exeName) == 0) {
            return true;
        }
        if (waited >= waitMs) {
            return false;
        }
        Sleep(100);
    }
}

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

namespace {

// Runs a Unix program through Wine, which starts ELF programs given by a Z: path. Waiting on
// such a process does not work reliably under Wine, so callers check the program's effect.
void RunUnix(const std::wstring& line) {
    static_cast<void>(RunProgram(line, 2000));
}

// The Unix name of a Windows path through Wine's own export; empty on Windows.
std::wstring UnixName(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = toUnix != nullptr ? toUnix(path.c_str()) : nullptr;
    std::wstring unix = name != nullptr ? Widen(name) : L"";
    if (name != nullptr) {
        HeapFree(GetProcessHeap(), 0, name);
    }
    return unix;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::wstring unixTarget = UnixName(target);
        std::wstring unixLink = UnixName(link);
        if (unixTarget.empty() || unixLink.empty()) {
            return false;
        }
        RunUnix(L"Z:\\bin\\ln -s " + Quote(unixTarget) + L" " + Quote(unixLink));
        for (int look = 0; look < 50 && attributes == INVALID_FILE_ATTRIBUTES; ++look) {
            Sleep(20);
            attributes = GetFileAttributesW(link.c_str());
        }
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFolderLink(const std::wstring& link) {
    std::wstring unixLink = UnixName(link);
    if (unixLink.empty()) {
        RemoveDirectoryW(link.c_str());
        return;
    }
    // Wine's RemoveDirectoryW removes what a Unix link leads to, when that is empty, and never
    // the link itself. The entry is looked for in its folder's listing, which shows the link
    // even once its target is gone.
    RunUnix(L"Z:\\bin\\rm " + Quote(unixLink));
    WIN32_FIND_DATAW entry;
    for (int look = 0; look < 100; ++look) {
        HANDLE find = FindFirstFileW(link.c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) {
            return;
        }
        FindClose(find);
        Sleep(20);
    }
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

}  // namespace testing_support
