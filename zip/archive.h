// Public interface of the zip archive component: a reader that lists and extracts the entries of
// an archive file, and a writer that builds a new archive in a page-file-backed memory image.
#pragma once

#include <cstdint>

// Names and paths are UTF-16 on every platform. `ArchiveChar` is `wchar_t` on Windows (16 bits
// there, so L"..." literals and Win32 strings pass straight in) and `char16_t` elsewhere; use
// ARCHIVE_TEXT("...") for literals that must compile on both.
#ifdef _WIN32
using ArchiveChar = wchar_t;
#define ARCHIVE_TEXT(s) L##s
#else
using ArchiveChar = char16_t;
#define ARCHIVE_TEXT(s) u##s
#endif
static_assert(sizeof(ArchiveChar) == 2, "archive names are UTF-16 code units");

// Outcome of every archive operation; 0 is success. Bands: archive and file outcomes below
// 0x10000, argument and life-cycle outcomes below 0x1000000, failed extraction 0x5000000.
enum class ArchiveResult : uint32_t {
    Ok = 0x00000000,
    CannotOpen = 0x00000200,
    NoMemory = 0x00000300,
    WriteFailed = 0x00000400,
    MoreData = 0x00000600,
    DamagedArchive = 0x00000700,
    ReadFailed = 0x00000800,
    BadPassword = 0x00001000,
    BadArgument = 0x00010000,
    BufferSize = 0x00030000,
    EarlierFailure = 0x00040000,
    AlreadyFinished = 0x00050000,
    WrongKind = 0x00080000,
    CodecFailed = 0x05000000,
};

enum class ArchiveKind : int32_t {
    Reader = 1,
    Writer = 2,
};

// Created by OpenArchiveReader or CreateArchiveInMemory, destroyed by the matching close.
struct ArchiveHandle {
    ArchiveKind kind;
    void* state;  // ArchiveReaderState or ArchiveWriterState, owned by the handle
};

constexpr int kArchiveNameUnits = 260;

// Description of one entry. Times are Windows file times (UTC, 100 ns since 1601-01-01).
struct ArchiveEntry {
    int32_t index;  // position in the central directory; for the count query, the entry count
    ArchiveChar name[kArchiveNameUnits];  // converted name, NUL-terminated, at most 259 units
    uint32_t attributes;  // Windows bits: read-only, hidden, system, directory, archive
    uint64_t lastAccessTime;
    uint64_t creationTime;
    uint64_t lastWriteTime;
    int32_t compressedSize;
    int32_t uncompressedSize;
};

// Last result of each half; every operation of a half stores the code it returns.
extern ArchiveResult ReaderLastResult;
extern ArchiveResult WriterLastResult;

// Opens the archive at `path`; a new reader handle, or null with the reason (CannotOpen) in
// ReaderLastResult.
[[nodiscard]] ArchiveHandle* OpenArchiveReader(const ArchiveChar* path);

// Describes entry `index` into `entry`; index -1 puts the entry count into entry->index.
[[nodiscard]] ArchiveResult GetArchiveEntry(ArchiveHandle* handle,
                                            int32_t index,
                                            ArchiveEntry* entry);

// Extracts the next piece of entry `index` into `buffer`: Ok at the entry's end, MoreData when
// more remains (call again with the same index), BadPassword or CodecFailed on failure.
[[nodiscard]] ArchiveResult ExtractEntryToMemory(ArchiveHandle* handle,
                                                 int32_t index,
                                                 void* buffer,
                                                 uint32_t length);

// Closes the archive file and frees the handle (Ok); BadArgument/WrongKind leave it alone.
ArchiveResult CloseArchiveReader(ArchiveHandle* handle);

// Creates a writer with a memory image of `size` bytes (holding an archive of at most size - 1);
// null with BufferSize or NoMemory in WriterLastResult on failure.
[[nodiscard]] ArchiveHandle* CreateArchiveInMemory(uint32_t size);

// Adds the file at `path` under `name`; CannotOpen when the file cannot be opened or examined.
[[nodiscard]] ArchiveResult AddFileEntry(ArchiveHandle* handle,
                                         const ArchiveChar* name,
                                         const ArchiveChar* path);

// Adds `length` bytes at `data` under `name` (the caller keeps the block).
[[nodiscard]] ArchiveResult AddMemoryEntry(ArchiveHandle* handle,
                                           const ArchiveChar* name,
                                           const void* data,
                                           uint32_t length);

// Adds a folder entry; its stored name always ends in one forward slash.
[[nodiscard]] ArchiveResult AddFolderEntry(ArchiveHandle* handle, const ArchiveChar* name);

// Finishes the archive (once) and hands out its image, valid until the writer is closed. Any
// result but Ok hands out null and 0: an archive that is not complete is never given out.
[[nodiscard]] ArchiveResult GetArchiveMemory(ArchiveHandle* handle,
                                             const void** image,
                                             uint32_t* length);

// Finishes the archive if not done yet, then frees the image, the state and the handle; returns
// the finishing result.
[[nodiscard]] ArchiveResult CloseArchiveWriter(ArchiveHandle* handle);

// True for a non-null handle of kind Writer.
[[nodiscard]] bool IsWriterHandle(const ArchiveHandle* handle);

// CloseArchiveWriter for a writer handle, CloseArchiveReader otherwise (null included).
ArchiveResult CloseArchive(ArchiveHandle* handle);
