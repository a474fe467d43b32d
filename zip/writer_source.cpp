// Entry sources of the writer: a file (attributes and times from the open file), a memory block
// or a folder (stamped with the current local time), and the reading of their bytes.
#include <algorithm>

#include "zip/byte_io.h"
#include "zip/writer_state.h"
#include "zip/zip_time.h"

namespace {

constexpr uint32_t kDosAttributeBits = zipos::kAttrReadOnly | zipos::kAttrHidden |
                                       zipos::kAttrSystem | zipos::kAttrDirectory |
                                       zipos::kAttrArchive;
constexpr uint32_t kUnixDirectory = 0x40000000;
constexpr uint32_t kUnixRegular = 0x80000000;
constexpr uint32_t kUnixOwnerRead = 0x01000000;
constexpr uint32_t kUnixOwnerWrite = 0x00800000;
constexpr uint32_t kUnixOwnerExecute = 0x00400000;

// An executable image: longer than 40 bytes, "MZ" at the start, and "PE", "NE" or "LE" at the
// new-header offset stored at 0x3C. Reads by position; the caller rewinds the file afterwards.
bool IsExecutableImage(zipos::NativeFile file, uint64_t size) {
    uint8_t header[64];
    uint32_t got = 0;
    if (size <= 40 || !zipos::ReadFileAt(file, 0, header, sizeof header, &got) ||
        got != sizeof header || header[0] != 'M' || header[1] != 'Z') {
        return false;
    }
    uint8_t signature[2];
    if (!zipos::ReadFileAt(file, LoadU32(header + 0x3C), signature, 2, &got) || got != 2) {
        return false;
    }
    return (signature[1] == 'E' &&
            (signature[0] == 'P' || signature[0] == 'N' || signature[0] == 'L'));
}

}  // namespace

ArchiveResult SetUpFileSource(EntrySource* source, const ArchiveChar* path) {
    source->file = zipos::OpenFileForRead(path);
    zipos::FileInfo info;
    if (!source->file.Valid() || !zipos::GetFileInfo(source->file.Get(), &info)) {
        source->file.Reset();
        return ArchiveResult::CannotOpen;
    }
    uint32_t external = info.attributes & kDosAttributeBits;
    external |= (info.attributes & zipos::kAttrDirectory) ? kUnixDirectory : kUnixRegular;
    external |= kUnixOwnerRead;
    if ((info.attributes & zipos::kAttrReadOnly) == 0) {
        external |= kUnixOwnerWrite;
    }
    if (IsExecutableImage(source->file.Get(), info.size)) {
        external |= kUnixOwnerExecute;
    }
    if (!zipos::RewindFile(source->file.Get())) {
        source->file.Reset();
        return ArchiveResult::CannotOpen;
    }
    source->externalAttributes = external;
    source->declaredSize = static_cast<uint32_t>(info.size);
    // The DOS value is the last-write time in UTC, without a zone conversion.
    source->dosDateTime = DosDateTimeFromFileTime(info.lastWriteTime);
    source->modificationTime = UnixTimeFromFileTime(info.lastWriteTime);
    source->accessTime = UnixTimeFromFileTime(info.lastAccessTime);
    source->creationTime = UnixTimeFromFileTime(info.creationTime);
    return ArchiveResult::Ok;
}

void SetUpClockSource(EntrySource* source,
                      uint32_t externalAttributes,
                      const void* block,
                      uint32_t length) {
    uint64_t now = 0;
    // The local time is turned into a file time as it is; both conversions below see local time.
    (void)zipos::CalendarToFileTime(zipos::CurrentLocalTime(), &now);
    source->externalAttributes = externalAttributes;
    source->declaredSize = length;
    source->block = static_cast<const uint8_t*>(block);
    source->blockLength = length;
    source->dosDateTime = DosDateTimeFromFileTime(now);
    source->modificationTime = source->accessTime = source->creationTime =
        UnixTimeFromFileTime(now);
}

uint32_t ReadSource(ArchiveWriterState* state, const uint8_t** data, uint32_t want) {
    EntrySource& source = state->source;
    if (source.bytesRead == UINT32_MAX) {
        // Sizes are 32-bit: a source this long cannot be described, and the add fails.
        source.overflowed = true;
        return 0;
    }
    want = std::min(want, UINT32_MAX - source.bytesRead);
    uint32_t got = 0;
    *data = nullptr;
    if (source.file.Valid()) {
        got =
            zipos::ReadFileNext(source.file.Get(), state->inputBuffer, std::min(want, kCopyChunk));
        *data = state->inputBuffer;
    } else if (source.block != nullptr) {
        got = std::min(want, source.blockLength - source.blockPosition);
        *data = source.block + source.blockPosition;
        source.blockPosition += got;
    }
    if (got != 0) {
        source.crc = static_cast<uint32_t>(crc32(source.crc, *data, got));
        source.bytesRead += got;
    }
    return got;
}
