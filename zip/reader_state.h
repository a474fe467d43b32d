// The state behind a reader handle and the steps shared by the reader's operations: walking the
// central directory, checking local headers, and the extraction of one open entry.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "zip/archive.h"
#include "zip/os_seam.h"
#include "zip/traditional_crypt.h"

constexpr uint32_t kReadChunk = 16384;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kEndRecordSize = 22;
constexpr uint32_t kLocalPeek = 160;  // local header plus a typical name and extra field

// The fields of one central-directory record, as stored.
struct CentralRecord {
    uint16_t versionMadeBy;
    uint16_t versionNeeded;
    uint16_t flags;
    uint16_t method;
    uint16_t dosTime;
    uint16_t dosDate;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
    uint16_t nameLength;
    uint16_t extraLength;
    uint16_t commentLength;
    uint16_t diskStart;
    uint16_t internalAttributes;
    uint32_t externalAttributes;
    uint32_t localHeaderOffset;
};

// Read state of the entry open for extraction.
struct OpenEntry {
    uint8_t buffer[kReadChunk];
    uint8_t* input = buffer;  // next unconsumed buffered byte
    uint32_t inputLeft = 0;   // buffered bytes not yet consumed
    uint32_t compressedLeft = 0;
    uint32_t uncompressedLeft = 0;
    uint64_t readPosition = 0;  // absolute position in the file
    uint16_t method = 0;
    bool inflateReady = false;  // a zlib stream is set up (method 8 only)
    z_stream stream{};
    bool encrypted = false;
    CryptKeys keys;
    uint32_t headerLeft = 0;  // encryption-header bytes still to consume
    uint8_t checkByte = 0;
    uint32_t expectedCrc = 0;
    uint32_t crc = 0;  // running CRC-32 of the delivered bytes
    bool endReached = false;

    OpenEntry() = default;
    ~OpenEntry();
    OpenEntry(const OpenEntry&) = delete;
    OpenEntry& operator=(const OpenEntry&) = delete;
};

struct ArchiveReaderState {
    zipos::OwnedFile file;
    uint64_t fileSize = 0;
    uint32_t entryCount = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
    uint64_t bytesBefore = 0;

    uint32_t cursorNumber = 0;
    uint64_t cursorPosition = 0;  // absolute position of the current central record
    bool cursorValid = false;
    CentralRecord record{};
    char name[kArchiveNameUnits] = {};  // stored name bytes, cut to 259, NUL-terminated
    uint32_t nameBytes = 0;

    // The local header last checked (for entry `checkedEntry`, -1 when none), with the bytes
    // that followed it: a description and the extraction after it read the header only once.
    int64_t checkedEntry = -1;
    uint64_t checkedExtraStart = 0;
    uint64_t checkedDataStart = 0;
    uint8_t localBytes[kLocalPeek] = {};
    uint32_t localGot = 0;

    std::unique_ptr<OpenEntry> open;
    int32_t openIndex = -1;
    std::unique_ptr<OpenEntry> spare;  // a closed entry's read state, reused by the next start

    // The last DOS date and time converted, and its result: most archives stamp all their
    // entries alike, and the zone conversion asks the system each time.
    uint32_t dosKey = 0;
    bool dosConverted = false;
    bool dosValid = false;
    uint64_t dosFileTime = 0;

    ArchiveEntry cache{};
    int32_t cacheIndex = -1;
};

// Places the cursor on entry `index`, walking forwards (from entry 0 when going back); false when
// a record on the way, or the wanted one, cannot be read.
[[nodiscard]] bool MoveCursorTo(ArchiveReaderState* state, uint32_t index);

// Checks the local header of the cursor's entry against its central record; on success gives the
// absolute positions of the local extra field and of the entry data, which the caller checks
// against the file size. The bytes read from the header on are kept in localBytes (localGot of
// them).
[[nodiscard]] bool CheckLocalHeader(ArchiveReaderState* state,
                                    uint64_t* extraStart,
                                    uint64_t* dataStart);

// Ends the open extraction, if any.
void CloseOpenEntry(ArchiveReaderState* state);
