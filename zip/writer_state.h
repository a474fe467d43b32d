// The state behind a writer handle and the steps shared by the writer's files: the memory image's
// write and seek, header writing, entry sources and the compressor.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "zip/archive.h"
#include "zip/os_seam.h"

constexpr uint32_t kCopyChunk = 16384;
constexpr uint32_t kLocalExtraLength = 17;
constexpr uint32_t kCentralExtraLength = 9;
constexpr uint32_t kLocalFixedLength = 30;
constexpr uint32_t kCentralFixedLength = 46;
constexpr uint32_t kEndRecordLength = 22;

// Central-directory values of one added entry.
struct EntryRecord {
    uint16_t versionMadeBy;
    uint16_t versionNeeded;
    uint16_t flags;
    uint16_t method;
    uint32_t dosDateTime;  // date in the high 16 bits, time in the low 16
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
    uint16_t nameLength;
    uint16_t localExtraLength;
    uint16_t centralExtraLength;
    uint16_t commentLength;
    uint16_t diskStart;
    uint16_t internalAttributes;
    uint16_t localFlags;
    uint32_t externalAttributes;
    uint32_t localHeaderOffset;
    char name[kArchiveNameUnits];  // UTF-8, NUL-terminated
    uint8_t centralExtra[kCentralExtraLength];
};

// Where the data of the entry being added comes from.
struct EntrySource {
    uint32_t externalAttributes = 0;
    int32_t accessTime = 0;
    int32_t modificationTime = 0;
    int32_t creationTime = 0;
    uint32_t dosDateTime = 0;
    uint32_t declaredSize = 0;
    uint32_t bytesRead = 0;
    uint32_t crc = 0;
    bool overflowed = false;  // the source held more than 32-bit sizes can describe
    zipos::OwnedFile file;    // the writer's own open source file, if any
    const uint8_t* block = nullptr;
    uint32_t blockLength = 0;
    uint32_t blockPosition = 0;
};

// The raw-deflate compressor, created at the first deflated entry and reset for later ones.
struct Compressor {
    z_stream stream{};
    ~Compressor() { deflateEnd(&stream); }
};

struct ArchiveWriterState {
    zipos::PagedImage image;
    // Ok until a write does not fit (BufferSize) or an add would pass 65 535 entries (WriteFailed).
    ArchiveResult latched = ArchiveResult::Ok;
    uint32_t bytesWritten = 0;
    uint8_t* base = nullptr;
    uint32_t position = 0;
    uint32_t capacity = 0;
    bool finished = false;
    ArchiveResult finishResult = ArchiveResult::Ok;
    std::vector<EntryRecord> entries;
    std::unique_ptr<Compressor> compressor;
    EntrySource source;
    uint32_t entryDataSize = 0;
    uint8_t copyBuffer[kCopyChunk];
    uint8_t inputBuffer[kCopyChunk];
};

// Copies `count` bytes to the write position when position + count stays below the capacity, and
// returns `count`; otherwise, or once a failure is latched, writes nothing, latches BufferSize and
// returns 0. The image's last byte is therefore never used.
[[nodiscard]] uint32_t WriteToImage(ArchiveWriterState* state, const void* data, uint32_t count);

// Moves the write position to `position` when it lies below the capacity; else latches BufferSize.
[[nodiscard]] bool SeekInImage(ArchiveWriterState* state, uint32_t position);

// Writes the local header with its name and `localExtra`; false when the name or the extra field
// was not written in full.
[[nodiscard]] bool WriteLocalHeader(ArchiveWriterState* state,
                                    const EntryRecord& record,
                                    const uint8_t* localExtra);

// Writes the central header with its name and central extra field; false when either was short.
[[nodiscard]] bool WriteCentralHeader(ArchiveWriterState* state, const EntryRecord& record);

// Writes the end record; a short write only latches BufferSize.
void WriteEndRecord(ArchiveWriterState* state, uint32_t count, uint32_t size, uint32_t offset);

// Fills both extended-timestamp forms from the source's Unix times.
void BuildTimestampFields(const EntrySource& source, uint8_t* localExtra, uint8_t* centralExtra);

// Sets up the source of a file entry; CannotOpen when the file cannot be opened or examined.
[[nodiscard]] ArchiveResult SetUpFileSource(EntrySource* source, const ArchiveChar* path);

// Sets up the source of a memory or folder entry with the current local time.
void SetUpClockSource(EntrySource* source,
                      uint32_t externalAttributes,
                      const void* block,
                      uint32_t length);

// Delivers up to `want` source bytes (0 at the end or on a failed read) and points `*data` at
// them; updates the source's CRC-32 and byte count.
[[nodiscard]] uint32_t ReadSource(ArchiveWriterState* state, const uint8_t** data, uint32_t want);

// Test seam: the allocator zlib is given for the compressor; null means zlib's own.
extern alloc_func CompressorAllocator;

// Creates the compressor at first use or resets it; false when it cannot be set up.
[[nodiscard]] bool PrepareCompressor(ArchiveWriterState* state);
