// The operations that work on a handle of either half, and the two last-result values.
#include "zip/archive.h"

ArchiveResult ReaderLastResult = ArchiveResult::Ok;
ArchiveResult WriterLastResult = ArchiveResult::Ok;

bool IsWriterHandle(const ArchiveHandle* handle) {
    return handle != nullptr && handle->kind == ArchiveKind::Writer;
}

ArchiveResult CloseArchive(ArchiveHandle* handle) {
    if (IsWriterHandle(handle)) {
        return CloseArchiveWriter(handle);
    }
    return CloseArchiveReader(handle);
}
