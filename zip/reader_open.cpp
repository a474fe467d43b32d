// Opening and closing a reader: finding the end record, validating it, and the central-directory
// cursor with the local-header check that every entry access relies on. All positions are 64-bit
// and checked against the file size, so a hostile archive can only fail, never wrap or overrun.
#include <algorithm>
#include <cstring>
#include <new>

#include "zip/byte_io.h"
#include "zip/handle_check.h"
#include "zip/reader_state.h"

namespace {

constexpr uint32_t kEndSearchLimit = 65535;
constexpr uint32_t kEndChunk = 1028;
constexpr uint32_t kEndStep = 1024;
constexpr uint32_t kMaxNameBytes = kArchiveNameUnits - 1;

bool IsEndSignature(const uint8_t* p) {
    return p[0] == 0x50 && p[1] == 0x4B && p[2] == 0x05 && p[3] == 0x06;
}

// Position of the end record signature nearest the end of the file within the search limit.
bool FindEndRecord(const ArchiveReaderState& state, uint64_t* position) {
    uint64_t size = state.fileSize;
    uint64_t lowest = size - std::min<uint64_t>(size, kEndSearchLimit);
    uint8_t chunk[kEndChunk];
    uint64_t end = size;
    for (;;) {
        uint64_t start = std::max<uint64_t>(lowest, end >= kEndChunk ? end - kEndChunk : 0);
        auto length = static_cast<uint32_t>(end - start);
        uint32_t got = 0;
        if (length < 4 || !zipos::ReadFileAt(state.file.Get(), start, chunk, length, &got) ||
            got != length) {
            return false;
        }
        for (uint32_t i = length - 4 + 1; i-- > 0;) {
            if (IsEndSignature(chunk + i)) {
                *position = start + i;
                return true;
            }
        }
        if (start == lowest) {
            return false;
        }
        end = start + (kEndChunk - kEndStep);
    }
}

bool ReadEndRecord(ArchiveReaderState* state) {
    uint64_t position;
    uint8_t record[kEndRecordSize];
    uint32_t got = 0;
    if (!FindEndRecord(*state, &position) ||
        !zipos::ReadFileAt(state->file.Get(), position, record, kEndRecordSize, &got) ||
        got != kEndRecordSize) {
        return false;
    }
    uint16_t thisDisk = LoadU16(record + 4);
    uint16_t directoryDisk = LoadU16(record + 6);
    uint16_t entriesHere = LoadU16(record + 8);
    uint16_t entriesTotal = LoadU16(record + 10);
    state->directorySize = LoadU32(record + 12);
    state->directoryOffset = LoadU32(record + 16);
    uint64_t directoryEnd = uint64_t{state->directoryOffset} + state->directorySize;
    if (thisDisk != 0 || directoryDisk != 0 || entriesHere != entriesTotal ||
        position < directoryEnd) {
        return false;
    }
    state->entryCount = entriesTotal;
    state->bytesBefore = position - directoryEnd;
    return true;
}

// Reads the central record at the cursor position into the state, with its name.
bool ReadCursorRecord(ArchiveReaderState* state) {
    uint8_t bytes[kCentralHeaderSize + kMaxNameBytes];
    uint32_t got = 0;
    state->cursorValid = false;
    state->checkedEntry = -1;
    state->nameBytes = 0;
    state->name[0] = 0;
    if (!zipos::ReadFileAt(state->file.Get(), state->cursorPosition, bytes, sizeof bytes, &got) ||
        got < kCentralHeaderSize || LoadU32(bytes) != 0x02014b50) {
        return false;
    }
    CentralRecord& r = state->record;
    r.versionMadeBy = LoadU16(bytes + 4);
    r.versionNeeded = LoadU16(bytes + 6);
    r.flags = LoadU16(bytes + 8);
    r.method = LoadU16(bytes + 10);
    r.dosTime = LoadU16(bytes + 12);
    r.dosDate = LoadU16(bytes + 14);
    r.crc = LoadU32(bytes + 16);
    r.compressedSize = LoadU32(bytes + 20);
    r.uncompressedSize = LoadU32(bytes + 24);
    r.nameLength = LoadU16(bytes + 28);
    r.extraLength = LoadU16(bytes + 30);
    r.commentLength = LoadU16(bytes + 32);
    r.diskStart = LoadU16(bytes + 34);
    r.internalAttributes = LoadU16(bytes + 36);
    r.externalAttributes = LoadU32(bytes + 38);
    r.localHeaderOffset = LoadU32(bytes + 42);
    uint32_t nameBytes = std::min<uint32_t>(r.nameLength, kMaxNameBytes);
    if (got < kCentralHeaderSize + nameBytes) {
        return false;
    }
    std::memcpy(state->name, bytes + kCentralHeaderSize, nameBytes);
    state->name[nameBytes] = 0;
    state->nameBytes = nameBytes;
    state->cursorValid = true;
    return true;
}

bool RewindCursor(ArchiveReaderState* state) {
    state->cursorNumber = 0;
    state->cursorPosition = state->directoryOffset + state->bytesBefore;
    return ReadCursorRecord(state);
}

}  // namespace

bool MoveCursorTo(ArchiveReaderState* state, uint32_t index) {
    if (index < state->cursorNumber && !RewindCursor(state)) {
        return false;
    }
    while (state->cursorValid && state->cursorNumber < index) {
        const CentralRecord& r = state->record;
        state->cursorPosition +=
            uint64_t{kCentralHeaderSize} + r.nameLength + r.extraLength + r.commentLength;
        state->cursorNumber += 1;
        if (!ReadCursorRecord(state)) {
            return false;
        }
    }
    return state->cursorValid && state->cursorNumber == index;
}

bool CheckLocalHeader(ArchiveReaderState* state, uint64_t* extraStart, uint64_t* dataStart) {
    if (state->checkedEntry == state->cursorNumber) {
        *extraStart = state->checkedExtraStart;
        *dataStart = state->checkedDataStart;
        return true;
    }
    const CentralRecord& r = state->record;
    uint64_t position = r.localHeaderOffset + state->bytesBefore;
    const uint8_t* bytes = state->localBytes;
    state->localGot = 0;
    if (!zipos::ReadFileAt(state->file.Get(), position, state->localBytes, kLocalPeek,
                           &state->localGot) ||
        state->localGot < kLocalHeaderSize || LoadU32(bytes) != 0x04034b50) {
        return false;
    }
    uint16_t flags = LoadU16(bytes + 6);
    uint16_t method = LoadU16(bytes + 8);
    if (method != r.method || (method != 0 && method != 8)) {
        return false;
    }
    if ((flags & 0x0008) == 0 &&
        (LoadU32(bytes + 14) != r.crc || LoadU32(bytes + 18) != r.compressedSize ||
         LoadU32(bytes + 22) != r.uncompressedSize)) {
        return false;
    }
    uint16_t nameLength = LoadU16(bytes + 26);
    uint16_t extraLength = LoadU16(bytes + 28);
    if (nameLength != r.nameLength) {
        return false;
    }
    *extraStart = position + kLocalHeaderSize + nameLength;
    *dataStart = *extraStart + extraLength;
    state->checkedEntry = state->cursorNumber;
    state->checkedExtraStart = *extraStart;
    state->checkedDataStart = *dataStart;
    return true;
}

ArchiveHandle* OpenArchiveReader(const ArchiveChar* path) {
    std::unique_ptr<ArchiveReaderState> state(new (std::nothrow) ArchiveReaderState);
    ReaderLastResult = ArchiveResult::CannotOpen;
    if (!state) {
        return nullptr;
    }
    state->file = zipos::OpenFileForRead(path);
    if (!state->file.Valid() || !zipos::GetFileSize(state->file.Get(), &state->fileSize) ||
        !ReadEndRecord(state.get())) {
        return nullptr;
    }
    // An unreadable first record does not fail the open; the cursor is marked unusable.
    (void)RewindCursor(state.get());
    auto* handle = new (std::nothrow) ArchiveHandle{ArchiveKind::Reader, state.get()};
    if (handle == nullptr) {
        return nullptr;
    }
    state.release();
    ReaderLastResult = ArchiveResult::Ok;
    return handle;
}

ArchiveResult CloseArchiveReader(ArchiveHandle* handle) {
    ArchiveResult result = CheckHandle(handle, ArchiveKind::Reader);
    if (result == ArchiveResult::Ok) {
        auto* state = static_cast<ArchiveReaderState*>(handle->state);
        CloseOpenEntry(state);
        delete state;
        delete handle;
    }
    ReaderLastResult = result;
    return result;
}
