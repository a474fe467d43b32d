// Entry-name rules: how a stored name is turned into the name handed to callers, and which names
// the writer stores rather than compresses.
#pragma once

#include <cstddef>

#include "zip/archive.h"

// Strips drive prefixes, leading slashes and everything up to a "..\"-style step from the
// NUL-terminated `name`; returns the start of what remains inside `name`.
[[nodiscard]] const ArchiveChar* StripNamePrefix(const ArchiveChar* name);

// True when the text from the last full stop of `name` (`length` units) to its end is ".zip" or
// ".jar" in any letter case.
[[nodiscard]] bool HasStoredSuffix(const ArchiveChar* name, size_t length);
