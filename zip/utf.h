// Conversions between the component's UTF-16 names and the bytes stored in archives (UTF-8, or
// code page 437 for names not marked as UTF-8) and used for POSIX paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "zip/archive.h"

// Encodes the NUL-terminated UTF-16 `text` as UTF-8 into `out` (room for `capacity` bytes with the
// terminator). False when a surrogate is unpaired or the result needs more room; `*length` is the
// byte count without the terminator.
[[nodiscard]] bool EncodeUtf8(const ArchiveChar* text, char* out, size_t capacity, size_t* length);

// The same into a growing string, for paths; false on an unpaired surrogate.
[[nodiscard]] bool EncodeUtf8(const ArchiveChar* text, std::string* out);

// Decodes `length` UTF-8 bytes into at most `capacity` - 1 UTF-16 units plus a terminator. Bytes
// that are not valid UTF-8 each become U+FFFD; a character that does not fit ends the text.
void DecodeUtf8(const char* bytes, size_t length, ArchiveChar* out, size_t capacity);

// True when `length` bytes are well-formed UTF-8; with `cutAtEnd`, a sequence that the end of the
// bytes cuts short still counts (a name cut at a byte limit inside a character).
[[nodiscard]] bool IsUtf8(const char* bytes, size_t length, bool cutAtEnd);

// Decodes `length` bytes of code page 437 (one UTF-16 unit each) into at most `capacity` - 1 units
// plus a terminator.
void DecodeCp437(const char* bytes, size_t length, ArchiveChar* out, size_t capacity);
