// The window procedure of the class "Sweeply", shared by the curtain and the silent run's
// message-only window.
#pragma once

#include <windows.h>

LRESULT CALLBACK SweeplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
