// Sweeply's command line: the task tokens in front, then the options in any order. Each option's
// value ends only where another option begins, so values may hold blanks and need no quotes.
#include "run/command_line.h"

#include <cwchar>
#include <vector>

namespace {

constexpr size_t kMarkerCount = sizeof(kOptionMarkers) / sizeof(kOptionMarkers[0]);

bool Has(const wchar_t* text, const wchar_t* token) {
    return wcsstr(text, token) != nullptr;
}

}  // namespace

const wchar_t* CutCommandLine(wchar_t* line, LaunchOptions* options) {
    *options = LaunchOptions{};
    // Every marker is searched in the uncut line first: a cut made for one option must not hide
    // another marker from its search.
    wchar_t* found[kMarkerCount] = {};
    for (size_t i = 0; i < kMarkerCount; ++i) {
        found[i] = wcsstr(line, kOptionMarkers[i]);
    }
    for (wchar_t* marker : found) {
        if (marker != nullptr && marker != line) {
            marker[-1] = L'\0';
        }
    }
    auto value = [&](size_t i) -> const wchar_t* {
        return found[i] ? found[i] + wcslen(kOptionMarkers[i]) : nullptr;
    };
    options->ext = value(0);
    options->args = value(1);
    options->profile = value(2);
    options->port = value(3);
    options->lso = found[4] != nullptr;
    options->sl = found[5] != nullptr;
    return line;
}

bool DeriveVisibleMode(const wchar_t* task) {
    return Has(task, L"n360v3") || (Has(task, L"cc") && !Has(task, L"cc/auto")) ||
           (Has(task, L"chrome") && !Has(task, L"chrome/f")) ||
           (Has(task, L"opera") && !Has(task, L"opera/f")) ||
           (Has(task, L"firefox") && !Has(task, L"firefox/f"));
}

bool LineNeedsElevation(const wchar_t* line) {
    return Has(line, L"cc") || Has(line, L"n360v3");
}

std::wstring BuildElevatedLine(const wchar_t* line) {
    std::vector<wchar_t> copy(line, line + wcslen(line) + 1);
    LaunchOptions options;
    std::wstring elevated = CutCommandLine(copy.data(), &options);
    // A valued marker is left in the task text only when it opens the line; its value, running
    // on to the next option, then holds the tokens. Its "=" becomes a blank: the copy reads no
    // value, and no token is made or broken, since no token holds a "=" or a blank.
    for (size_t i = 0; i < kValuedMarkerCount; ++i) {
        size_t length = wcslen(kOptionMarkers[i]);
        for (size_t at = elevated.find(kOptionMarkers[i]); at != std::wstring::npos;
             at = elevated.find(kOptionMarkers[i], at + length)) {
            elevated[at + length - 1] = L' ';
        }
    }
    // A flag can stand in the task text only at its start, where the copy finds it again.
    if (options.lso && elevated.find(L"--lso") == std::wstring::npos) {
        elevated += L" --lso";
    }
    if (options.sl && elevated.find(L"--sl") == std::wstring::npos) {
        elevated += L" --sl";
    }
    return elevated;
}
