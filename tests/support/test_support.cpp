// Test helpers over plain Win32 calls; see test_support.h.
#include "tests/support/test_support.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>

#include "base/scoped.h"

namespace testing_support {

namespace {

// Calls `visit` for every running process; false when no snapshot could be taken.
bool ForEachProcess(const std::function<void(const PROCESSENTRY32W&)>& visit) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) {
        return false;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        visit(entry);
    }
    return true;
}

// Calls `visit` with the name and attributes of every entry of `folder` but "." and "..".
void ForEachEntry(const std::wstring& folder,
                  const std::function<void(const std::wstring&, DWORD)>& visit) {
    WIN32_FIND_DATAW data;
    ScopedFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data)) {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            visit(name, data.dwFileAttributes);
        }
    }
}

}  // namespace

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring BinPath(const wchar_t* fileName) {
    return BinDir() + L"\\" + fileName;
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    do {
        wchar_t name[MAX_PATH];
        swprintf(name, MAX_PATH, L"%lssweeply-test-%lu-%ld", temp, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        path_ = name;
    } while (!CreateDirectoryW(path_.c_str(), nullptr));
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& path) {
    ForEachEntry(path, [&](const std::wstring& name, DWORD attributes) {
        std::wstring child = path + L"\\" + name;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW(child.c_str());
        } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveDirectoryW(child.c_str());  // a link goes, never what it leads to
        } else {
            RemoveTree(child);
        }
    });
    RemoveDirectoryW(path.c_str());
}

bool MakeFolders(const std::wstring& path) {
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return IsFolder(path);
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsEmptyFolder(const std::wstring& path) {
    bool empty = true;
    ForEachEntry(path, [&](const std::wstring&, DWORD) { empty = false; });
    return empty && IsFolder(path);
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    HRESULT result =
        SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return SUCCEEDED(result) ? path : L"";
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadTextFile(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file.valid() && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) &&
           read > 0) {
        text.append(buffer, read);
    }
    return text;
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
    std::vector<wchar_t> old(32768);
    DWORD length = GetEnvironmentVariableW(name, old.data(), 32768);
    hadOld_ = length > 0 && length < 32768;
    old_.assign(old.data(), hadOld_ ? length : 0);
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() {
    SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

bool WriteRegistryText(HKEY root,
                       const std::wstring& key,
                       const wchar_t* name,
                       const std::wstring& text) {
    return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

ScopedRegistryText::ScopedRegistryText(HKEY root,
                                       const std::wstring& key,
                                       const wchar_t* name,
                                       const wchar_t* text)
    : root_(root), key_(key), name_(name != nullptr ? name : L"") {
    ScopedKey handle;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        handle.receive(), &disposition) != ERROR_SUCCESS) {
        return;
    }
    madeKey_ = disposition == REG_CREATED_NEW_KEY;
    DWORD bytes = 0;
    if (RegQueryValueExW(handle.get(), name_.c_str(), nullptr, &oldType_, nullptr, &bytes) ==
        ERROR_SUCCESS) {
        old_.resize(bytes + 2);
        hadOld_ = RegQueryValueExW(handle.get(), name_.c_str(), nullptr, &oldType_, old_.data(),
                                   &bytes) == ERROR_SUCCESS;
        old_.resize(bytes);
    }
    if (text != nullptr) {
        ready_ = RegSetValueExW(
                     handle.get(), name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    } else {
        ready_ = !hadOld_ || RegDeleteValueW(handle.get(), name_.c_str()) == ERROR_SUCCESS;
    }
}

ScopedRegistryText::~ScopedRegistryText() {
    ScopedKey handle;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, handle.receive()) != ERROR_SUCCESS) {
        return;
    }
    if (hadOld_) {
        RegSetValueExW(handle.get(), name_.c_str(), 0, oldType_, old_.data(),
                       static_cast<DWORD>(old_.size()));
    } else {
        RegDeleteValueW(handle.get(), name_.c_str());
    }
    handle.reset();
    if (madeKey_) {
        RegDeleteKeyW(root_, key_.c_str());
    }
}

std::wstring Quote(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

bool StartProgram(const std::wstring& commandLine, HANDLE* process) {
    std::vector<wchar_t> line(commandLine.c_str(), commandLine.c_str() + commandLine.size() + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    ScopedHandle owned(info.hProcess);
    if (process != nullptr) {
        *process = owned.detach();
    }
    return true;
}

bool ChildProcess::Start(const std::wstring& commandLine) {
    Wait(0);
    if (!StartProgram(commandLine, &process_)) {
        return false;
    }
    id_ = GetProcessId(process_);
    return true;
}

DWORD ChildProcess::Wait(DWORD waitMs) {
    ScopedHandle process(std::exchange(process_, nullptr));
    DWORD exitCode = STILL_ACTIVE;
    if (!process.valid()) {
        return exitCode;
    }
    if (WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.get(), &exitCode);
    } else {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        exitCode = STILL_ACTIVE;
    }
    return exitCode;
}

RunResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs) {
    RunResult result;
    ChildProcess process;
    result.started = process.Start(commandLine);
    result.processId = process.id();
    result.exitCode = process.Wait(timeoutMs);
    result.finished = result.started && result.exitCode != STILL_ACTIVE;
    return result;
}

RunResult RunSweeply(const std::wstring& task, DWORD timeoutMs) {
    return RunProgram(Quote(BinPath(L"Sweeply.exe")) + L" " + task, timeoutMs);
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    auto found = std::find(lines.begin(), lines.end(), line);
    return found != lines.end() ? static_cast<int>(found - lines.begin()) : -1;
}

int IndexOfPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.compare(0, prefix.size(), prefix) == 0;
    });
    return found != lines.end() ? static_cast<int>(found - lines.begin()) : -1;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return IndexOf(lines, line) != -1;
}

bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return IndexOfPrefix(lines, prefix) != -1;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& prefixes) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& prefix) {
                return line.compare(0, prefix.size(), prefix) == 0;
            })) {
            found.push_back(line);
        }
    }
    return found;
}

std::vector<std::string> ReadLog(const std::wstring& path, size_t atLeast, DWORD waitMs) {
    std::vector<std::string> lines;
    WaitFor(
        [&] {
            lines.clear();
            std::string text = ReadTextFile(path);
            // A line without its line feed is still being written.
            for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
                 start = end + 1) {
                size_t length = end - start - (end > start && text[end - 1] == '\r' ? 1 : 0);
                lines.push_back(text.substr(start, length));
            }
            return lines.size() >= atLeast;
        },
        waitMs);
    return lines;
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
    int count = 0;
    bool listed = ForEachProcess([&](const PROCESSENTRY32W& entry) {
        count += _wcsicmp(entry.szExeFile, exeName) == 0 ? 1 : 0;
    });
    return listed ? count : -1;
}

bool WaitNoChildren(DWORD parentId, DWORD waitMs) {
    return WaitFor(
        [&] {
            int children = 0;
            return ForEachProcess([&](const PROCESSENTRY32W& entry) {
                       children += entry.th32ParentProcessID == parentId ? 1 : 0;
                   }) &&
                   children == 0;
        },
        waitMs);
}

bool WaitNoProcess(const wchar_t* exeName, DWORD waitMs) {
    return WaitFor([&] { return CountProcesses(exeName) == 0; }, waitMs);
}

bool EndProcesses(const wchar_t* exeName) {
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        ScopedHandle process(_wcsicmp(entry.szExeFile, exeName) == 0
                                 ? OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)
                                 : nullptr);
        if (process.valid()) {
            TerminateProcess(process.get(), 1);
        }
    });
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
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    if (!FileExists(link)) {
        std::wstring unixTarget = UnixName(target);
        std::wstring unixLink = UnixName(link);
        if (unixTarget.empty() || unixLink.empty()) {
            return false;
        }
        RunUnix(L"Z:\\bin\\ln -s " + Quote(unixTarget) + L" " + Quote(unixLink));
        WaitFor([&] { return FileExists(link); }, 1000);
    }
    DWORD attributes = GetFileAttributesW(link.c_str());
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
    WaitFor(
        [&] {
            WIN32_FIND_DATAW entry;
            return !ScopedFind(FindFirstFileW(link.c_str(), &entry)).valid();
        },
        2000);
}

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring Widen(const std::string& text) {
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size);
    return result;
}

}  // namespace testing_support
