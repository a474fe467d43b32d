// Window procedure of Sweeply's single window. A silent run's message-only window only ever sees
// the worker's closing message and its own destruction.
#include "curtain/window.h"

#include "core/run_state.h"
#include "core/settings.h"

namespace {

void OnKeyDown(WPARAM key) {
    if (key != VK_ESCAPE || RunState >= Aborting) {
        return;
    }
    InvalidateStatusStrip();
    RunState = RunState + 1;
}

}  // namespace

LRESULT CALLBACK SweeplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_CLEANING_DONE:
            DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
