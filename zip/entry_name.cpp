// Entry-name rules of the reader (prefix stripping) and the writer (stored suffixes).
#include "zip/entry_name.h"

namespace {

bool StartsWith(const ArchiveChar* text, const char* pattern) {
    for (; *pattern != 0; ++text, ++pattern) {
        if (*text != static_cast<ArchiveChar>(*pattern)) {
            return false;
        }
    }
    return true;
}

// First occurrence of `pattern` at or after `text`, or null.
const ArchiveChar* Find(const ArchiveChar* text, const char* pattern) {
    for (; *text != 0; ++text) {
        if (StartsWith(text, pattern)) {
            return text;
        }
    }
    return nullptr;
}

ArchiveChar Lower(ArchiveChar c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<ArchiveChar>(c - 'A' + 'a') : c;
}

}  // namespace

// The four step patterns are searched one after the other, and the first that occurs anywhere
// wins; the scan then continues right behind it. This is not path normalisation: "a\..\..\x"
// becomes "..\x", and a name that begins with "../" keeps that beginning. Such names are only
// carried from one archive into another, never used as paths on disk.
const ArchiveChar* StripNamePrefix(const ArchiveChar* name) {
    static const char* const kSteps[] = {"\\..\\", "\\../", "/../", "/..\\"};
    const ArchiveChar* start = name;
    for (;;) {
        if (start[0] != 0 && start[1] == ':') {
            start += 2;
            continue;
        }
        if (start[0] == '\\' || start[0] == '/') {
            start += 1;
            continue;
        }
        const ArchiveChar* found = nullptr;
        for (const char* step : kSteps) {
            found = Find(start, step);
            if (found != nullptr) {
                break;
            }
        }
        if (found == nullptr) {
            return start;
        }
        start = found + 4;
    }
}

bool HasStoredSuffix(const ArchiveChar* name, size_t length) {
    size_t dot = length;
    for (size_t i = length; i > 0; --i) {
        if (name[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    }
    if (dot == length || length - dot != 4) {
        return false;
    }
    const ArchiveChar* suffix = name + dot;
    return suffix[0] == '.' &&
           ((Lower(suffix[1]) == 'z' && Lower(suffix[2]) == 'i' && Lower(suffix[3]) == 'p') ||
            (Lower(suffix[1]) == 'j' && Lower(suffix[2]) == 'a' && Lower(suffix[3]) == 'r'));
}
