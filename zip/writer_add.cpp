// The add procedure shared by AddFileEntry, AddMemoryEntry and AddFolderEntry: name rules, the
// provisional local header, the entry data (stored copy or raw deflate), the final local header.
#include <cstring>

#include "zip/entry_name.h"
#include "zip/handle_check.h"
#include "zip/utf.h"
#include "zip/writer_state.h"

namespace {

enum class SourceKind { File, Memory, Folder };

constexpr uint32_t kMemoryAttributes = 0x80000000;
constexpr uint32_t kFolderAttributes = 0x41C00010;
constexpr uint32_t kMaxNameBytes = kArchiveNameUnits - 1;
constexpr uint32_t kDeflateInput = 1 << 18;
constexpr size_t kMaxEntries = 0xFFFF;  // the end record counts entries in 16 bits
constexpr uint16_t kUtf8NameFlag = 0x0800;

struct AddRequest {
    SourceKind kind;
    const ArchiveChar* name;
    const ArchiveChar* path;
    const void* data;
    uint32_t length;
};

enum class DataOutcome { Written, Failed };

DataOutcome CopyStored(ArchiveWriterState* state) {
    for (;;) {
        const uint8_t* data;
        uint32_t got = ReadSource(state, &data, kCopyChunk);
        if (got == 0) {
            return state->source.overflowed ? DataOutcome::Failed : DataOutcome::Written;
        }
        if (WriteToImage(state, data, got) != got) {
            return DataOutcome::Failed;
        }
        state->entryDataSize += got;
    }
}

// Compresses the whole source as one raw deflate stream; output goes through the copy buffer.
DataOutcome CopyDeflated(ArchiveWriterState* state) {
    z_stream& stream = state->compressor->stream;
    bool more = true;
    stream.next_in = nullptr;
    stream.avail_in = 0;
    stream.next_out = state->copyBuffer;
    stream.avail_out = kCopyChunk;
    for (;;) {
        if (stream.avail_in == 0 && more) {
            const uint8_t* data;
            uint32_t got = ReadSource(state, &data, kDeflateInput);
            more = got != 0;
            stream.next_in = const_cast<Bytef*>(data);
            stream.avail_in = got;
        }
        int status = deflate(&stream, more ? Z_NO_FLUSH : Z_FINISH);
        if (status != Z_OK && status != Z_STREAM_END) {
            return DataOutcome::Failed;
        }
        if (stream.avail_out == 0 || status == Z_STREAM_END) {
            uint32_t produced = kCopyChunk - stream.avail_out;
            if (WriteToImage(state, state->copyBuffer, produced) != produced) {
                return DataOutcome::Failed;  // output that no longer fits is dropped
            }
            state->entryDataSize += produced;
            stream.next_out = state->copyBuffer;
            stream.avail_out = kCopyChunk;
        }
        if (status == Z_STREAM_END) {
            return state->source.overflowed ? DataOutcome::Failed : DataOutcome::Written;
        }
    }
}

// Copies the caller's name with backslashes turned into slashes; false for an empty name or one
// whose UTF-8 form could never fit the 259-byte name field.
bool TakeName(const ArchiveChar* name, ArchiveChar* out, size_t* length) {
    size_t n = 0;
    while (name[n] != 0) {
        if (n == kMaxNameBytes) {
            return false;
        }
        out[n] = name[n] == '\\' ? ArchiveChar('/') : name[n];
        ++n;
    }
    out[n] = 0;
    *length = n;
    return n != 0;
}

bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<uint8_t>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

ArchiveResult SetUpSource(ArchiveWriterState* state, const AddRequest& request) {
    state->source = EntrySource{};
    switch (request.kind) {
        case SourceKind::File:
            return SetUpFileSource(&state->source, request.path);
        case SourceKind::Memory:
            if (request.data == nullptr || request.length == 0) {
                return ArchiveResult::BadArgument;
            }
            SetUpClockSource(&state->source, kMemoryAttributes, request.data, request.length);
            return ArchiveResult::Ok;
        case SourceKind::Folder:
            SetUpClockSource(&state->source, kFolderAttributes, nullptr, 0);
            return ArchiveResult::Ok;
    }
    return ArchiveResult::BadArgument;
}

void FillRecord(ArchiveWriterState* state, uint16_t method, EntryRecord* record) {
    const EntrySource& source = state->source;
    record->versionMadeBy = 0x0B17;
    record->versionNeeded = 20;
    record->flags = 0x0008;
    record->localFlags = 0x0008;
    record->method = method;
    record->dosDateTime = source.dosDateTime;
    record->crc = 0;
    record->compressedSize = method == 0 ? source.declaredSize : 0;
    record->uncompressedSize = source.declaredSize;
    record->localExtraLength = kLocalExtraLength;
    record->centralExtraLength = kCentralExtraLength;
    record->commentLength = 0;
    record->diskStart = 0;
    record->internalAttributes = 0;
    record->externalAttributes = source.externalAttributes;
    record->localHeaderOffset = state->bytesWritten;
}

ArchiveResult WriteEntry(ArchiveWriterState* state, EntryRecord* record, uint16_t method) {
    uint8_t localExtra[kLocalExtraLength];
    BuildTimestampFields(state->source, localExtra, record->centralExtra);
    if (!WriteLocalHeader(state, *record, localExtra)) {
        return ArchiveResult::WriteFailed;
    }
    state->bytesWritten += kLocalFixedLength + record->nameLength + kLocalExtraLength;
    if (state->latched != ArchiveResult::Ok) {
        return state->latched;
    }
    state->entryDataSize = 0;
    DataOutcome outcome;
    if (method == 0) {
        outcome = CopyStored(state);  // a folder's source delivers nothing
    } else {
        record->flags |= 0x0002;
        outcome = CopyDeflated(state);
    }
    state->source.file.Reset();
    state->bytesWritten += state->entryDataSize;
    if (state->latched != ArchiveResult::Ok) {
        return state->latched;
    }
    if (outcome == DataOutcome::Failed) {
        return ArchiveResult::WriteFailed;
    }
    record->crc = state->source.crc;
    record->compressedSize = state->entryDataSize;
    record->uncompressedSize = state->source.bytesRead;
    record->flags &= ~0x0008;
    record->localFlags = record->flags;
    if (!SeekInImage(state, record->localHeaderOffset) ||
        !WriteLocalHeader(state, *record, localExtra) || !SeekInImage(state, state->bytesWritten)) {
        return ArchiveResult::WriteFailed;
    }
    return ArchiveResult::Ok;
}

ArchiveResult AddEntry(ArchiveHandle* handle, const AddRequest& request) {
    ArchiveResult check = CheckHandle(handle, ArchiveKind::Writer);
    if (check != ArchiveResult::Ok) {
        return check;
    }
    auto* state = static_cast<ArchiveWriterState*>(handle->state);
    if (state->latched != ArchiveResult::Ok) {
        return ArchiveResult::EarlierFailure;
    }
    if (state->finished) {
        return ArchiveResult::AlreadyFinished;
    }
    ArchiveChar name[kArchiveNameUnits];
    size_t units = 0;
    if (request.name == nullptr || !TakeName(request.name, name, &units)) {
        return ArchiveResult::BadArgument;
    }
    bool isFolder = request.kind == SourceKind::Folder;
    bool addSlash = isFolder && name[units - 1] != '/';
    uint16_t method = (isFolder || HasStoredSuffix(name, units)) ? 0 : 8;
    ArchiveResult sourceResult = SetUpSource(state, request);
    if (sourceResult != ArchiveResult::Ok) {
        return sourceResult;
    }
    EntryRecord record{};
    size_t nameBytes = 0;
    // Names whose UTF-8 form needs more than 259 bytes are refused rather than cut, so two long
    // names can never become one.
    if (!EncodeUtf8(name, record.name, kArchiveNameUnits - (addSlash ? 1 : 0), &nameBytes)) {
        state->source.file.Reset();
        return ArchiveResult::BadArgument;
    }
    if (addSlash) {
        record.name[nameBytes++] = '/';
        record.name[nameBytes] = 0;
    }
    record.nameLength = static_cast<uint16_t>(nameBytes);
    // One entry more than the end record can count would make the archive look empty or short:
    // the add is refused, and latched like a full image, so that no image is handed out.
    if (state->entries.size() >= kMaxEntries) {
        state->source.file.Reset();
        state->latched = ArchiveResult::WriteFailed;
        return ArchiveResult::WriteFailed;
    }
    FillRecord(state, method, &record);
    // Bit 11 tells other tools that the name is UTF-8 rather than code page 437; ASCII names,
    // the same in both, go without it as they always did.
    if (!IsAscii(record.name, nameBytes)) {
        record.flags |= kUtf8NameFlag;
        record.localFlags |= kUtf8NameFlag;
    }
    if (method == 8 && !PrepareCompressor(state)) {
        state->source.file.Reset();
        return ArchiveResult::WriteFailed;
    }
    ArchiveResult result = WriteEntry(state, &record, method);
    state->source.file.Reset();
    if (result == ArchiveResult::Ok) {
        state->entries.push_back(record);
    }
    return result;
}

ArchiveResult Store(ArchiveResult result) {
    WriterLastResult = result;
    return result;
}

}  // namespace

ArchiveResult AddFileEntry(ArchiveHandle* handle,
                           const ArchiveChar* name,
                           const ArchiveChar* path) {
    return Store(AddEntry(handle, {SourceKind::File, name, path, nullptr, 0}));
}

ArchiveResult AddMemoryEntry(ArchiveHandle* handle,
                             const ArchiveChar* name,
                             const void* data,
                             uint32_t length) {
    return Store(AddEntry(handle, {SourceKind::Memory, name, nullptr, data, length}));
}

ArchiveResult AddFolderEntry(ArchiveHandle* handle, const ArchiveChar* name) {
    return Store(AddEntry(handle, {SourceKind::Folder, name, nullptr, nullptr, 0}));
}
