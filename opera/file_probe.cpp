// The Opera locator's file question: whether a name pattern matches anything.
#include "opera/opera_location.h"

#include "base/scoped.h"

bool FindFirstMatch(const wchar_t* pattern, WIN32_FIND_DATAW* findData) {
    ScopedFind search(FindFirstFileW(pattern, findData));
    return search.valid();
}
