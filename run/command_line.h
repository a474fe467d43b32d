// Cutting Sweeply's command line into the task string and the option values. Pure functions over
// the text, so that every rule can be tested without starting the program.
#pragma once

#include <string>

#include "run/settings.h"

// The markers, in the order of the fields of LaunchOptions; the first four take a value.
inline constexpr const wchar_t* kOptionMarkers[] = {L"--ext=",  L"--args=", L"--profile=",
                                                    L"--port=", L"--lso",   L"--sl"};
inline constexpr size_t kValuedMarkerCount = 4;

// Cuts `line` in place: every marker found in the uncut line (first occurrence, case-sensitive)
// ends the text in front of it at the character just before the marker, unless the marker opens
// the line. Fills `options` with pointers into `line`; returns the task text (the start of line).
const wchar_t* CutCommandLine(wchar_t* line, LaunchOptions* options);

// Whether a run with this task text shows the curtain.
[[nodiscard]] bool DeriveVisibleMode(const wchar_t* task);

// Whether the whole, uncut line asks for work that needs administrator rights ("cc", "n360v3").
[[nodiscard]] bool LineNeedsElevation(const wchar_t* line);

// The line for the elevated copy of a run: the task text of `line` and the "--lso" and "--sl"
// flags that `line` gives, never a valued option. The copy runs with administrator rights, so
// it must not read a program to start ("--ext=", "--port=") or anything belonging to one.
[[nodiscard]] std::wstring BuildElevatedLine(const wchar_t* line);
