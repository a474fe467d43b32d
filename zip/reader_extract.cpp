// ExtractEntryToMemory: streams one entry's data into the caller's buffer in pieces, through one
// 16 KiB read buffer, with traditional decryption and raw inflate where the entry needs them. The
// delivered bytes are checked against the stored CRC-32 and size when the end is reached.
#include <algorithm>
#include <cstring>
#include <new>

#include "zip/handle_check.h"
#include "zip/reader_state.h"

namespace {

enum class ReadOutcome { Delivered, PasswordFailed, Failed };

struct ReadReport {
    ReadOutcome outcome = ReadOutcome::Delivered;
    uint32_t delivered = 0;
    bool endReached = false;
};

// Sets up the read state of the cursor's entry; false when its local header is bad or its data
// would lie past the end of the file.
bool StartExtraction(ArchiveReaderState* state) {
    uint64_t extraStart;
    uint64_t dataStart;
    const CentralRecord& r = state->record;
    if (!CheckLocalHeader(state, &extraStart, &dataStart) ||
        dataStart + r.compressedSize > state->fileSize) {
        return false;
    }
    std::unique_ptr<OpenEntry> entry = std::move(state->spare);
    if (!entry) {
        entry.reset(new (std::nothrow) OpenEntry);
        if (!entry) {
            return false;
        }
    }
    entry->input = entry->buffer;
    entry->inputLeft = 0;
    entry->method = r.method;
    entry->compressedLeft = r.compressedSize;
    entry->uncompressedLeft = r.uncompressedSize;
    entry->readPosition = dataStart;
    entry->expectedCrc = r.crc;
    entry->crc = 0;
    entry->endReached = false;
    entry->keys = CryptKeys{};
    entry->headerLeft = 0;
    if (r.method == 8) {
        // A failed set-up leaves inflateReady false, and every read of the entry then fails.
        if (entry->inflateReady && inflateReset(&entry->stream) != Z_OK) {
            inflateEnd(&entry->stream);
            entry->inflateReady = false;
        }
        if (!entry->inflateReady) {
            entry->stream = z_stream{};
            entry->inflateReady = inflateInit2(&entry->stream, -MAX_WBITS) == Z_OK;
        }
    }
    entry->encrypted = (r.flags & 0x0001) != 0;
    if (entry->encrypted) {
        entry->headerLeft = 12;
        entry->checkByte =
            static_cast<uint8_t>((r.flags & 0x0008) ? (r.dosTime >> 8) : (r.crc >> 24));
    }
    state->open = std::move(entry);
    return true;
}

// Fills the read buffer from the file when it is empty and compressed bytes remain.
bool RefillInput(ArchiveReaderState* state, OpenEntry* e) {
    if (e->inputLeft != 0 || e->compressedLeft == 0) {
        return true;
    }
    uint32_t want = std::min(kReadChunk, e->compressedLeft);
    uint32_t got = 0;
    if (!zipos::ReadFileAt(state->file.Get(), e->readPosition, e->buffer, want, &got) ||
        got != want) {
        return false;
    }
    e->readPosition += want;
    e->compressedLeft -= want;
    if (e->encrypted) {
        DecryptBytes(&e->keys, e->buffer, want);
    }
    e->input = e->buffer;
    e->inputLeft = want;
    return true;
}

ReadOutcome ConsumeCryptHeader(OpenEntry* e) {
    uint32_t take = std::min(e->headerLeft, e->inputLeft);
    uint8_t last = take ? e->input[take - 1] : 0;
    e->input += take;
    e->inputLeft -= take;
    e->headerLeft -= take;
    if (take != 0 && e->headerLeft == 0 && last != e->checkByte) {
        return ReadOutcome::PasswordFailed;
    }
    return ReadOutcome::Delivered;
}

ReadReport ReadEntry(ArchiveReaderState* state, uint8_t* out, uint32_t length) {
    ReadReport report;
    OpenEntry* e = state->open.get();
    if (e == nullptr || e->endReached || (e->method == 8 && !e->inflateReady)) {
        report.outcome = ReadOutcome::Failed;
        return report;
    }
    if (e->uncompressedLeft == 0) {
        report.endReached = true;
        return report;
    }
    uint32_t room = std::min(length, e->uncompressedLeft);
    while (room > 0) {
        if (!RefillInput(state, e)) {
            report.outcome = ReadOutcome::Failed;
            return report;
        }
        if (e->headerLeft != 0) {
            if (e->inputLeft == 0) {
                report.outcome = ReadOutcome::Failed;  // data ended inside the header
                return report;
            }
            report.outcome = ConsumeCryptHeader(e);
            if (report.outcome != ReadOutcome::Delivered) {
                return report;
            }
            continue;
        }
        uint32_t produced;
        bool streamEnd = false;
        if (e->method == 0) {
            if (e->inputLeft == 0) {
                report.outcome = ReadOutcome::Failed;  // stored data ended early
                return report;
            }
            produced = std::min(room, e->inputLeft);
            std::memcpy(out, e->input, produced);
            e->input += produced;
            e->inputLeft -= produced;
        } else {
            e->stream.next_in = e->input;
            e->stream.avail_in = e->inputLeft;
            e->stream.next_out = out;
            e->stream.avail_out = room;
            int status = inflate(&e->stream, Z_SYNC_FLUSH);
            produced = room - e->stream.avail_out;
            e->input = e->stream.next_in;
            e->inputLeft = e->stream.avail_in;
            if (status == Z_STREAM_END) {
                streamEnd = true;
            } else if (status != Z_OK) {
                report.outcome = ReadOutcome::Failed;
                return report;
            }
        }
        e->crc = static_cast<uint32_t>(crc32(e->crc, out, produced));
        out += produced;
        room -= produced;
        report.delivered += produced;
        e->uncompressedLeft -= produced;
        if (e->uncompressedLeft == 0 || streamEnd) {
            report.endReached = true;
            break;
        }
    }
    return report;
}

ArchiveResult Extract(ArchiveHandle* handle, int32_t index, void* buffer, uint32_t length) {
    ArchiveResult check = CheckHandle(handle, ArchiveKind::Reader);
    if (check != ArchiveResult::Ok) {
        return check;
    }
    auto* state = static_cast<ArchiveReaderState*>(handle->state);
    if (index < 0 || uint32_t(index) >= state->entryCount || (buffer == nullptr && length != 0)) {
        CloseOpenEntry(state);
        return ArchiveResult::BadArgument;
    }
    if (index != state->openIndex) {
        CloseOpenEntry(state);
        state->openIndex = index;
        if (!MoveCursorTo(state, static_cast<uint32_t>(index)) || !StartExtraction(state)) {
            state->open.reset();
        }
    }
    ReadReport report = ReadEntry(state, static_cast<uint8_t*>(buffer), length);
    OpenEntry* e = state->open.get();
    if (report.outcome == ReadOutcome::Delivered && report.endReached) {
        e->endReached = true;
        // Data known to be damaged is never passed on as sound: the delivered bytes must match
        // the stored CRC-32 and the stored size.
        if (e->crc != e->expectedCrc || e->uncompressedLeft != 0) {
            CloseOpenEntry(state);
            return ArchiveResult::CodecFailed;
        }
        return ArchiveResult::Ok;
    }
    if (report.outcome != ReadOutcome::Delivered || report.delivered == 0) {
        CloseOpenEntry(state);
    }
    if (report.outcome == ReadOutcome::Delivered && report.delivered > 0) {
        return ArchiveResult::MoreData;
    }
    return report.outcome == ReadOutcome::PasswordFailed ? ArchiveResult::BadPassword
                                                         : ArchiveResult::CodecFailed;
}

}  // namespace

OpenEntry::~OpenEntry() {
    if (inflateReady) {
        inflateEnd(&stream);
    }
}

void CloseOpenEntry(ArchiveReaderState* state) {
    if (state->open) {
        state->spare = std::move(state->open);
    }
    state->openIndex = -1;
}

ArchiveResult ExtractEntryToMemory(ArchiveHandle* handle,
                                   int32_t index,
                                   void* buffer,
                                   uint32_t length) {
    ReaderLastResult = Extract(handle, index, buffer, length);
    return ReaderLastResult;
}
