// Conversions between the component's UTF-16 names and the UTF-8 bytes stored in archives and
// used for POSIX paths.
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
