// Bounded joining: every length is measured before anything is written, so a text that does not
// fit leaves its buffer untouched.
#include "base/path_builder.h"

#include <cwchar>

bool JoinText(wchar_t* out, size_t capacity, std::initializer_list<const wchar_t*> pieces) {
    if (capacity == 0) {
        return false;
    }
    size_t total = 0;
    for (const wchar_t* piece : pieces) {
        // Bounded: an unterminated buffer (`out` itself, when appending) is read no further.
        size_t length = wcsnlen(piece, capacity);
        if (length >= capacity - total) {
            return false;
        }
        total += length;
    }
    size_t used = 0;
    for (const wchar_t* piece : pieces) {
        size_t length = wcsnlen(piece, capacity);
        // The first piece may be `out` itself: a move onto the same place is harmless.
        wmemmove(out + used, piece, length);
        used += length;
    }
    out[used] = L'\0';
    return true;
}
