// The stand-ins' shared log and switches; see standin.h.
#include "tests/standins/common/standin.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace {

bool ReadVariable(const wchar_t* name, wchar_t* buffer, DWORD chars) {
    wchar_t full[128];
    swprintf(full, 128, L"SWEEPLY_STANDIN_%ls", name);
    DWORD length = GetEnvironmentVariableW(full, buffer, chars);
    return length > 0 && length < chars;
}

// Appends `line` and a line end to the log, when there is one.
void AppendLine(const wchar_t* line) {
    wchar_t path[MAX_PATH];
    if (!ReadVariable(L"LOG", path, MAX_PATH)) {
        return;
    }
    char utf8[3 * 4096];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof(utf8), nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    utf8[bytes - 1] = '\n';  // in place of the terminator
    // Several stand-ins may share one log: open, append and close for every line.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, utf8, bytes, &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

}  // namespace

void StandinLog(const wchar_t* format, ...) {
    wchar_t line[4096];
    va_list args;
    va_start(args, format);
    int length = vswprintf(line, 4096, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    AppendLine(line);
    wchar_t hangAfter[4096];
    if (ReadVariable(L"HANG_AFTER", hangAfter, 4096) && wcscmp(line, hangAfter) == 0) {
        // A hung program: this thread never asks for a message again, until the test ends it.
        AppendLine(L"stops answering");
        Sleep(INFINITE);
    }
}

bool StandinFlag(const wchar_t* name) {
    wchar_t value[16];
    return ReadVariable(name, value, 16) && wcscmp(value, L"0") != 0;
}

DWORD StandinNumber(const wchar_t* name, DWORD fallback) {
    wchar_t value[16];
    return ReadVariable(name, value, 16) ? wcstoul(value, nullptr, 10) : fallback;
}

bool StandinText(const wchar_t* name, wchar_t* buffer, DWORD chars) {
    return ReadVariable(name, buffer, chars);
}

bool StandinRegisterClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int colour) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colour + 1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int StandinMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void StandinPlace(HWND window, wchar_t* text, int chars) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    swprintf(text, chars, L"at %ld,%ld size %ldx%ld topmost %d", rect.left, rect.top,
             rect.right - rect.left, rect.bottom - rect.top, topmost ? 1 : 0);
}

int StandinDeleteFiles(const wchar_t* folder, const wchar_t* const* names) {
    int removed = 0;
    for (; *names != nullptr; ++names) {
        wchar_t file[MAX_PATH];
        removed += swprintf(file, MAX_PATH, L"%ls\\%ls", folder, *names) > 0 && DeleteFileW(file);
    }
    return removed;
}
