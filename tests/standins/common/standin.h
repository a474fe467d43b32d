// Shared by every stand-in program: the event log that tests read and the switches, read from
// the environment, that make a stand-in misbehave on request.
#pragma once

#include <windows.h>

// Appends one line (UTF-8, printf-style wide format) to the file named by SWEEPLY_STANDIN_LOG.
// Without that variable nothing is written. When the line equals SWEEPLY_STANDIN_HANG_AFTER, it
// then logs "stops answering" and never returns: the calling thread stops answering its windows'
// messages, as a hung program's does (the test ends the stand-in).
void StandinLog(const wchar_t* format, ...);

// True when SWEEPLY_STANDIN_<name> is set and not "0".
bool StandinFlag(const wchar_t* name);

// The number in SWEEPLY_STANDIN_<name>, or `fallback` when it is not set.
DWORD StandinNumber(const wchar_t* name, DWORD fallback);

// The text of SWEEPLY_STANDIN_<name> into `buffer`; false when it is not set.
bool StandinText(const wchar_t* name, wchar_t* buffer, DWORD chars);

// Registers a window class with an arrow cursor and a system-colour background; a class that
// already exists (a test process building windows twice) counts as registered.
bool StandinRegisterClass(HINSTANCE instance,
                          const wchar_t* name,
                          WNDPROC procedure,
                          int colour = COLOR_WINDOW);

// Runs a message loop until WM_QUIT; returns its exit code.
int StandinMessageLoop();

// Where `window` lies, as "at x,y size wxh topmost 0|1", into `text` (128 characters or more).
void StandinPlace(HWND window, wchar_t* text, int chars);

// Deletes the files `names` (null-terminated list) in `folder`; returns how many went.
int StandinDeleteFiles(const wchar_t* folder, const wchar_t* const* names);
