// UTF-8 <-> UTF-16 for entry names and paths. Decoding never fails: damaged names from an archive
// still get a readable form, each bad byte shown as U+FFFD.
#include "zip/utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Reads one code point from `text` at `*i`; false on an unpaired surrogate.
bool NextCodePoint(const ArchiveChar* text, size_t* i, char32_t* cp) {
    char32_t unit = static_cast<uint16_t>(text[*i]);
    *i += 1;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        char32_t low = static_cast<uint16_t>(text[*i]);
        if (low < 0xDC00 || low > 0xDFFF) {
            return false;
        }
        *i += 1;
        *cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        return true;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        return false;
    }
    *cp = unit;
    return true;
}

size_t PutUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Decodes one well-formed UTF-8 sequence at `bytes`; returns its length, or 0 when malformed
// (overlong forms, surrogates and values past U+10FFFF are malformed).
size_t TakeUtf8(const uint8_t* bytes, size_t left, char32_t* cp) {
    uint8_t lead = bytes[0];
    if (lead < 0x80) {
        *cp = lead;
        return 1;
    }
    size_t need;
    char32_t value;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        need = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (need > left) {
        return 0;
    }
    for (size_t k = 1; k < need; ++k) {
        if ((bytes[k] & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (bytes[k] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *cp = value;
    return need;
}

}  // namespace

bool EncodeUtf8(const ArchiveChar* text, char* out, size_t capacity, size_t* length) {
    size_t used = 0;
    size_t i = 0;
    while (text[i] != 0) {
        char32_t cp;
        if (!NextCodePoint(text, &i, &cp)) {
            return false;
        }
        char bytes[4];
        size_t n = PutUtf8(cp, bytes);
        if (used + n + 1 > capacity) {
            return false;
        }
        for (size_t k = 0; k < n; ++k) {
            out[used++] = bytes[k];
        }
    }
    if (capacity == 0) {
        return false;
    }
    out[used] = 0;
    *length = used;
    return true;
}

bool EncodeUtf8(const ArchiveChar* text, std::string* out) {
    out->clear();
    size_t i = 0;
    while (text[i] != 0) {
        char32_t cp;
        if (!NextCodePoint(text, &i, &cp)) {
            return false;
        }
        char bytes[4];
        out->append(bytes, PutUtf8(cp, bytes));
    }
    return true;
}

void DecodeUtf8(const char* bytes, size_t length, ArchiveChar* out, size_t capacity) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    size_t used = 0;
    size_t i = 0;
    while (i < length) {
        char32_t cp;
        size_t n = TakeUtf8(in + i, length - i, &cp);
        if (n == 0) {
            cp = kReplacement;
            n = 1;
        }
        size_t units = cp >= 0x10000 ? 2 : 1;
        if (used + units + 1 > capacity) {
            break;
        }
        if (units == 2) {
            out[used++] = static_cast<ArchiveChar>(0xD800 + ((cp - 0x10000) >> 10));
            out[used++] = static_cast<ArchiveChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[used++] = static_cast<ArchiveChar>(cp);
        }
        i += n;
    }
    out[used] = 0;
}
