// What a run does after its window has closed: start the follow-up program of "--ext=".
#include <windows.h>
#include <shellapi.h>

#include "run/settings.h"
#include "app/startup.h"

void RunExtProgram() {
    if (Options.ext == nullptr) {
        return;
    }
    auto start = [](const wchar_t* verb) {
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, Options.ext, Options.args,
                                                       nullptr, SW_SHOWNORMAL));
    };
    // A program that asks for administrator rights is refused with "access denied" unless it
    // is started with the elevation verb.
    if (start(nullptr) == SE_ERR_ACCESSDENIED) {
        start(L"runas");
    }
}
