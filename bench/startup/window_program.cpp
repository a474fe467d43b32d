// A second yardstick: the least a program with Sweeply's silent shape does (a message-only
// window, a thread that asks it to close, a message loop). Under Wine the first window of a
// process starts the display driver, which costs more than everything else here.
#include <windows.h>
#include <process.h>

namespace {

HWND window = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 100) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

unsigned __stdcall AskToClose(void*) {
    SendMessageW(window, WM_USER + 100, 0, 0);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"Yardstick";
    RegisterClassExW(&windowClass);
    window = CreateWindowExW(0, L"Yardstick", L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             instance, nullptr);
    HANDLE thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, AskToClose, nullptr, 0, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return 0;
}
