// UTF-8 <-> UTF-16 for entry names and paths, and code page 437 for names that older tools stored
// in the format's default character set. Decoding never fails: damaged UTF-8 names still get a
// readable form, each bad byte shown as U+FFFD.
#include "zip/utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code page 437 (the IBM PC set) for the bytes 0x80 to 0xFF; below them it is ASCII.
constexpr uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

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

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence that `lead` begins (1 to 4), 0 for a byte that begins none.
size_t SequenceLength(uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return (lead & 0xF8) == 0xF0 ? 4 : 0;
}

// Decodes one well-formed UTF-8 sequence at `bytes`; returns its length, or 0 when malformed
// (overlong forms, surrogates and values past U+10FFFF are malformed).
size_t TakeUtf8(const uint8_t* bytes, size_t left, char32_t* cp) {
    static const char32_t kValueMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static const char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    size_t need = SequenceLength(bytes[0]);
    if (need == 0 || need > left) {
        return 0;
    }
    char32_t value = bytes[0] & kValueMask[need];
    for (size_t k = 1; k < need; ++k) {
        if (!IsContinuation(bytes[k])) {
            return 0;
        }
        value = (value << 6) | (bytes[k] & 0x3F);
    }
    char32_t minimum = kMinimum[need];
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

bool IsUtf8(const char* bytes, size_t length, bool cutAtEnd) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    size_t i = 0;
    while (i < length) {
        char32_t cp;
        size_t n = TakeUtf8(in + i, length - i, &cp);
        if (n == 0) {
            // Only a well-begun sequence that runs into the end may have been cut there.
            size_t need = SequenceLength(in[i]);
            if (!cutAtEnd || need <= length - i) {
                return false;
            }
            for (size_t k = i + 1; k < length; ++k) {
                if (!IsContinuation(in[k])) {
                    return false;
                }
            }
            return true;
        }
        i += n;
    }
    return true;
}

void DecodeCp437(const char* bytes, size_t length, ArchiveChar* out, size_t capacity) {
    size_t used = 0;
    for (size_t i = 0; i < length && used + 1 < capacity; ++i) {
        auto byte = static_cast<uint8_t>(bytes[i]);
        out[used++] = static_cast<ArchiveChar>(byte < 0x80 ? byte : kCp437High[byte - 0x80]);
    }
    out[used] = 0;
}
