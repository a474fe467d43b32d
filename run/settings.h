// The process-wide settings of a Sweeply run. Start-up writes all of them except RunState and
// OpenHomePage before any other thread exists; everything else only reads them afterwards.
#pragma once

#include <windows.h>

#include "base/path_builder.h"  // kPathChars: every path buffer

// Option values cut out of the command line. A valued option is absent when its pointer is null.
struct LaunchOptions {
    const wchar_t* ext = nullptr;      // "--ext=": program to start when the run ends
    const wchar_t* args = nullptr;     // "--args=": parameters for that program
    const wchar_t* profile = nullptr;  // "--profile=": Chrome user-data folder
    const wchar_t* port = nullptr;     // "--port=": Chrome program file to start instead
    bool lso = false;                  // "--lso": remove Flash Player shared objects
    bool sl = false;                   // "--sl": remove Silverlight isolated storage
};

struct WorkAreaSize {
    LONG right = 1024;
    LONG bottom = 768;
};

struct ScreenPoint {
    LONG x = 512;
    LONG y = 384;
};

extern const wchar_t* TaskString;     // never null; empty when the line held no task
extern LaunchOptions Options;         // the cut-out option values (they point into the line)
extern bool VisibleMode;              // true: the curtain is shown
extern WorkAreaSize WorkArea;         // set in visible mode only
extern ScreenPoint ScreenCentre;      // centre of the work area; foreign dialogs are centred here
extern bool OpenHomePage;             // set by the window when "Help and Support" is clicked
extern HWND MainWindow;               // the curtain or the message-only window
extern HINSTANCE ProgramInstance;     // the program's own module, for its resources
extern HANDLE WorkerThread;           // the cleaning worker, once started

// True when `token` occurs in TaskString (case-sensitive substring).
[[nodiscard]] bool TaskHas(const wchar_t* token);
