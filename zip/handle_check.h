// The check every handle-taking operation makes first: null handle, then the wrong half.
#pragma once

#include "zip/archive.h"

// BadArgument for a null handle, WrongKind for the other half's handle, else Ok.
[[nodiscard]] inline ArchiveResult CheckHandle(const ArchiveHandle* handle, ArchiveKind kind) {
    if (handle == nullptr) {
        return ArchiveResult::BadArgument;
    }
    return handle->kind == kind ? ArchiveResult::Ok : ArchiveResult::WrongKind;
}
