// Helpers for tests that run Windows programs under Wine: temporary folders, process runs,
// stand-in logs and environment variables, all released on every path.
#pragma once

#include <windows.h>

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

struct RunResult {
    bool started = false;
    bool finished = false;  // false: still running after the time-out (then it was terminated)
    DWORD exitCode = 0;
};

// Starts `commandLine` (program path first, quoted when it holds blanks) and waits for it.
RunResult RunProgram(const std::wstring& commandLine, DWORD timeoutMs);

// Quotes a program path for a command line.
std::wstring Quote(const std::wstring& text);

// The lines a stand-in wrote to its log (UTF-8), waiting up to `waitMs` for at least
// `atLeast` lines to appear.
std::vector<std::string> ReadLog(const std::wstring& path, size_t atLeast = 0, DWORD waitMs = 0);

// Number of running processes whose executable file name equals `exeName` (case-insensitive).
int CountProcesses(const wchar_t* exeName);

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
