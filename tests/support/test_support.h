// Helpers for tests that run Windows programs under Wine: temporary folders, process runs,
// stand-in logs and environment variables, all released on every path.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Folder of the running test executable (where every program of the build lies), with no
// trailing backslash.
std::wstring BinDir();

// Full path of a program in BinDir().
std::wstring BinPath(const wchar_t* fileName);

// A fresh folder under %TEMP%, removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

// Removes a folder tree (files, sub-folders, the folder itself). Missing folders are fine.
void RemoveTree(const std::wstring& path);

// Makes `path` and every missing folder above it; true when it exists afterwards.
bool MakeFolders(const std::wstring& path);

// True when `path` is a folder (a link to one counts).
bool IsFolder(const std::wstring& path);

// True when `path` is a folder with nothing in it.
bool IsEmptyFolder(const std::wstring& path);

// The path of a special folder (CSIDL_*), or "" when the system names none.
std::wstring SpecialFolder(int csidl);

bool WriteTextFile(const std::wstring& path, const std::string& text);
bool FileExists(const std::wstring& path);
std::string ReadTextFile(const std::wstring& path);

// Sets an environment variable for this process (and the programs it starts) while in scope.
class ScopedEnv {
  public:
    ScopedEnv(const wchar_t* name, const std::wstring& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::wstring name_;
    std::wstring old_;
    bool hadOld_;
};

// Writes `text` as the REG_SZ value `name` (null for the default value) of `key`, making the key
// when it is missing.
bool WriteRegistryText(HKEY root,
                       const std::wstring& key,
                       const wchar_t* name,
                       const std::wstring& text);

// The value `name` (null for the default value) of `key` set to `text`, or removed when `text`
// is null, while in scope; the earlier value (of whatever type) comes back afterwards, and a key
// this made goes again.
class ScopedRegistryText {
  public:
    ScopedRegistryText(HKEY root,
                       const std::wstring& key,
                       const wchar_t* name,
                       const wchar_t* text);
    ~ScopedRegistryText();
    ScopedRegistryText(const ScopedRegistryText&) = delete;
    ScopedRegistryText& operator=(const ScopedRegistryText&) = delete;
    bool ready() const { return ready_; }

  private:
    HKEY root_;
    std::wstring key_;
    std::wstring name_;
    bool madeKey_ = false;
    bool hadOld_ = false;
    DWORD oldType_ = REG_NONE;
    std::vector<BYTE> old_;
    bool ready_ = false;
};

struct RunResult {
    bool started = false;
    bool finished = false;  // false: still running after the time-out (then it was terminated)
    DWORD exitCode = 0;
    DWORD processId = 0;
};

// Starts `commandLine` (program path first, quoted when it holds blanks) and waits for it.
RunResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs);

// Quotes a program path for a command line.
std::wstring Quote(const std::wstring& text);

// Starts `commandLine` without waiting; its process handle goes to `process` (the caller closes
// it) or is closed at once when `process` is null.
bool StartProgram(const std::wstring& commandLine, HANDLE* process = nullptr);

// A program a test started, owned: one still running when the owner goes is ended.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess() { Wait(0); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Starts `commandLine` (program path first, quoted when it holds blanks); false on failure.
    bool Start(const std::wstring& commandLine);
    // Waits up to `waitMs` for the end and gives the exit code; a program still running then is
    // ended and STILL_ACTIVE comes back. The owner is empty afterwards.
    DWORD Wait(DWORD waitMs);
    bool valid() const { return process_ != nullptr; }
    DWORD id() const { return id_; }

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Runs the build's Sweeply.exe with `task` as its command line.
RunResult RunSweeply(const std::wstring& task, DWORD timeoutMs = 60000);

// The lines a stand-in wrote to its log (UTF-8), waiting up to `waitMs` for at least
// `atLeast` lines to appear.
std::vector<std::string> ReadLog(const std::wstring& path, size_t atLeast = 0, DWORD waitMs = 0);

// True when one of `lines` equals `line`.
bool Has(const std::vector<std::string>& lines, const std::string& line);

// True when one of `lines` starts with `prefix`.
bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix);

// Position of the first line equal to `line`, or -1.
int IndexOf(const std::vector<std::string>& lines, const std::string& line);

// Position of the first line that starts with `prefix`, or -1.
int IndexOfPrefix(const std::vector<std::string>& lines, const std::string& prefix);

// The lines that begin with one of `prefixes`, in log order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& prefixes);

// Asks `condition` every 50 ms until it holds (true) or `waitMs` have passed (false).
bool WaitFor(const std::function<bool()>& condition, DWORD waitMs = 20000);

// Number of running processes whose executable file name equals `exeName` (case-insensitive).
int CountProcesses(const wchar_t* exeName);

// Waits up to `waitMs` until no process started by process `parentId` is left running; true
// when none is. Other tests' programs, which may run meanwhile, do not count.
bool WaitNoChildren(DWORD parentId, DWORD waitMs);

// Waits up to `waitMs` for no process named `exeName` to be left; true when none is.
bool WaitNoProcess(const wchar_t* exeName, DWORD waitMs);

// Ends every process named `exeName` (stand-ins a test left running); true when none is left.
bool EndProcesses(const wchar_t* exeName);

// Makes `link` a link to the folder `target`. Wine 8's CreateSymbolicLinkW answers success but
// makes nothing and junctions are not supported, so under Wine this is a Unix symbolic link,
// which Wine reports as FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT. False when no
// such link could be made.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// Removes a link made by MakeFolderLink, never its target.
void RemoveFolderLink(const std::wstring& link);

std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

}  // namespace testing_support
