// What the CCleaner and Norton 360 tests share: stand-ins started and ended, CCleaner's App Paths
// entry, an abort asked for when a stand-in logs a given event, and reading the stand-in logs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace runner_testing {

// A stand-in program started by the test; terminated when it goes, if still running.
class RunningStandin {
  public:
    explicit RunningStandin(const std::wstring& program);
    ~RunningStandin();
    RunningStandin(const RunningStandin&) = delete;
    RunningStandin& operator=(const RunningStandin&) = delete;
    bool started() const { return process_ != nullptr; }

  private:
    HANDLE process_ = nullptr;
};

// HKLM "...\App Paths\ccleaner.exe", written with `path` (REG_SZ) or any value; removed on exit.
class ScopedCCleanerAppPath {
  public:
    explicit ScopedCCleanerAppPath(const std::wstring& path);
    ScopedCCleanerAppPath(DWORD type, const void* data, DWORD bytes);
    ~ScopedCCleanerAppPath();
    ScopedCCleanerAppPath(const ScopedCCleanerAppPath&) = delete;
    ScopedCCleanerAppPath& operator=(const ScopedCCleanerAppPath&) = delete;
};

// How the abort reaches the cleaner: RunState set in this process, or Escape pressed twice on
// the curtain of a Sweeply.exe that the test runs.
enum class AbortBy { RunState, EscapeTwice };

// Aborts, from a thread of its own, as soon as a line of `log` contains `event`: the user
// confirming the abort at that moment.
class AbortWhenLogged {
  public:
    AbortWhenLogged(const std::wstring& log,
                    const std::string& event,
                    AbortBy by = AbortBy::RunState);
    ~AbortWhenLogged();
    AbortWhenLogged(const AbortWhenLogged&) = delete;
    AbortWhenLogged& operator=(const AbortWhenLogged&) = delete;

  private:
    static DWORD WINAPI Watch(void* self);
    std::wstring log_;
    std::string event_;
    AbortBy by_;
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
};

// Watches Sweeply's curtain from a thread of its own, 20 times a second, until it goes: notes
// whether it was seen and what its status line showed, read back from the screen: "warning" (the
// warning colour), "text" (the ordinary text colour: close mark or completion text) or "blank".
class CurtainWatcher {
  public:
    CurtainWatcher();
    ~CurtainWatcher();
    CurtainWatcher(const CurtainWatcher&) = delete;
    CurtainWatcher& operator=(const CurtainWatcher&) = delete;
    // Stops watching; then the results below are final.
    void Stop();
    bool sawCurtain() const { return sawCurtain_; }
    // The status line's looks in the order seen, each change once.
    const std::vector<std::string>& statusLooks() const { return looks_; }

  private:
    static DWORD WINAPI Watch(void* self);
    void Look();
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
    bool sawCurtain_ = false;
    std::vector<std::string> looks_;
};

}  // namespace runner_testing
