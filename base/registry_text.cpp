// ReadRegistryText: RegQueryValueExW hands back registry text as stored, which need not end in a
// NUL and may be of any type; what leaves here is checked, terminated text or nothing. The value
// is read whole first, so that one whose expansion is shorter than its stored text still fits.
#include "base/registry_text.h"

#include <cwchar>
#include <memory>
#include <new>

#include "base/scoped.h"

namespace {

// The text value from one view as stored, terminated, with its type; false when there is none.
bool ReadStored(HKEY root,
                const wchar_t* key,
                const wchar_t* name,
                REGSAM viewFlag,
                std::unique_ptr<wchar_t[]>* stored,
                DWORD* type) {
    ScopedKey opened;
    DWORD bytes = 0;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | viewFlag, opened.receive()) !=
            ERROR_SUCCESS ||
        RegQueryValueExW(opened.get(), name, nullptr, type, nullptr, &bytes) != ERROR_SUCCESS ||
        (*type != REG_SZ && *type != REG_EXPAND_SZ)) {
        return false;
    }
    // Room for one more character: text stored without its terminator gets one here.
    size_t chars = (bytes + 1) / sizeof(wchar_t) + 1;
    stored->reset(new (std::nothrow) wchar_t[chars]);
    if (!*stored ||
        RegQueryValueExW(opened.get(), name, nullptr, type, reinterpret_cast<BYTE*>(stored->get()),
                         &bytes) != ERROR_SUCCESS ||
        (*type != REG_SZ && *type != REG_EXPAND_SZ)) {
        return false;  // also when the value changed between the two questions
    }
    (*stored)[bytes / sizeof(wchar_t)] = L'\0';
    return true;
}

// `stored` into `text` (`chars` characters), expanded when asked; false when it does not fit.
bool Deliver(const wchar_t* stored, bool expand, wchar_t* text, DWORD chars) {
    if (expand) {
        DWORD needed = ExpandEnvironmentStringsW(stored, text, chars);
        // A buffer too small for the expansion is left holding a cut text.
        return needed != 0 && needed <= chars && wcsnlen(text, chars) < chars;
    }
    size_t length = wcslen(stored);
    if (length >= chars) {
        return false;
    }
    wmemcpy(text, stored, length + 1);
    return true;
}

}  // namespace

RegistryViewFlags ViewsToTry(RegistryView view) {
    if (view == RegistryView::SixtyFourBitFirst) {
        return {{KEY_WOW64_64KEY, 0}, 2};
    }
    return {{0, 0}, 1};
}

bool ReadRegistryText(HKEY root,
                      const wchar_t* key,
                      const wchar_t* name,
                      RegistryView view,
                      TextExpansion expansion,
                      wchar_t* text,
                      DWORD chars) {
    if (chars == 0) {
        return false;
    }
    RegistryViewFlags views = ViewsToTry(view);
    for (int i = 0; i < views.count; ++i) {
        std::unique_ptr<wchar_t[]> stored;
        DWORD type = REG_NONE;
        if (ReadStored(root, key, name, views.flags[i], &stored, &type) &&
            Deliver(stored.get(), type == REG_EXPAND_SZ && expansion == TextExpansion::Expanded,
                    text, chars)) {
            return true;
        }
    }
    text[0] = L'\0';
    return false;
}
