// Reading text from the registry, one way for both programs: the type checked, the text always
// terminated, expanded when asked, and looked for in the registry views the caller names.
#pragma once

#include <windows.h>

#include <cstddef>

// Where a read looks. A 32-bit program on 64-bit Windows sees the 32-bit view by default, while
// 64-bit programs register themselves in the 64-bit view.
enum class RegistryView {
    Own,                // the program's own view only
    SixtyFourBitFirst,  // the 64-bit view (KEY_WOW64_64KEY) first, then the program's own view
};

// Whether REG_EXPAND_SZ text comes back with its environment variables expanded.
enum class TextExpansion { AsStored, Expanded };

// The view flags a read passes to RegOpenKeyExW, in the order it tries them (0: own view).
struct RegistryViewFlags {
    REGSAM flags[2];
    int count;
};

// The views `view` stands for, in the order they are tried.
[[nodiscard]] RegistryViewFlags ViewsToTry(RegistryView view);

// Reads the REG_SZ or REG_EXPAND_SZ value `name` ("" for the default value) of `root`\`key` into
// `text` (`chars` characters, terminator included); the first view with such a value that fits
// wins. False, with `text` empty, when the value is missing in every view, of another type, or
// does not fit with its terminator (after expansion, when asked).
[[nodiscard]] bool ReadRegistryText(HKEY root,
                                    const wchar_t* key,
                                    const wchar_t* name,
                                    RegistryView view,
                                    TextExpansion expansion,
                                    wchar_t* text,
                                    DWORD chars);

template <size_t N>
[[nodiscard]] bool ReadRegistryText(HKEY root,
                                    const wchar_t* key,
                                    const wchar_t* name,
                                    RegistryView view,
                                    TextExpansion expansion,
                                    wchar_t (&text)[N]) {
    return ReadRegistryText(root, key, name, view, expansion, text, static_cast<DWORD>(N));
}
