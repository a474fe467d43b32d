// Cutting Sweeply's command line into the task string and the option values. Pure functions over
// the text, so that every rule can be tested without starting the program.
#pragma once

#include "run/settings.h"

// The markers, in the order of the fields of LaunchOptions.
inline constexpr const wchar_t* kOptionMarkers[] = {L"--ext=",  L"--args=", L"--profile=",
                                                    L"--port=", L"--lso",   L"--sl"};

// Cuts `line` in place: every marker found in the uncut line (first occurrence, case-sensitive)
// ends the text in front of it at the character just before the marker, unless the marker opens
// the line. Fills `options` with pointers into `line`; returns the task text (the start of line).
const wchar_t* CutCommandLine(wchar_t* line, LaunchOptions* options);

// Whether a run with this task text shows the curtain.
[[nodiscard]] bool DeriveVisibleMode(const wchar_t* task);

// Whether the whole, uncut line asks for work that needs administrator rights ("cc", "n360v3").
[[nodiscard]] bool LineNeedsElevation(const wchar_t* line);
