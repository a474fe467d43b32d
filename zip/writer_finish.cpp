// Finishing a writer: the central directory and end record, handing out the image, and closing.
// An image is handed out only when every byte of the archive was written.
#include "zip/handle_check.h"
#include "zip/writer_state.h"

namespace {

ArchiveResult FinishArchive(ArchiveWriterState* state) {
    uint32_t directoryOffset = state->bytesWritten;
    bool allWritten = true;
    for (const EntryRecord& record : state->entries) {
        if (allWritten) {
            allWritten = WriteCentralHeader(state, record);
        }
        state->bytesWritten += kCentralFixedLength + record.nameLength + record.centralExtraLength +
                               record.commentLength;
    }
    auto count = static_cast<uint32_t>(state->entries.size());
    state->entries.clear();
    state->entries.shrink_to_fit();
    if (allWritten) {
        WriteEndRecord(state, count, state->bytesWritten - directoryOffset, directoryOffset);
        state->bytesWritten += kEndRecordLength;
    }
    state->finished = true;
    // A latched failure (an entry or the end record that did not fit) means the image is not a
    // complete archive either.
    bool complete = allWritten && state->latched == ArchiveResult::Ok;
    state->finishResult = complete ? ArchiveResult::Ok : ArchiveResult::WriteFailed;
    return state->finishResult;
}

ArchiveResult GetMemory(ArchiveHandle* handle, const void** image, uint32_t* length) {
    ArchiveResult check = CheckHandle(handle, ArchiveKind::Writer);
    if (check == ArchiveResult::BadArgument) {
        if (image != nullptr) {
            *image = nullptr;
        }
        if (length != nullptr) {
            *length = 0;
        }
    }
    if (check != ArchiveResult::Ok) {
        return check;
    }
    auto* state = static_cast<ArchiveWriterState*>(handle->state);
    ArchiveResult result = state->finished ? state->finishResult : FinishArchive(state);
    bool ok = result == ArchiveResult::Ok;
    if (image != nullptr) {
        *image = ok ? state->base : nullptr;
    }
    if (length != nullptr) {
        *length = ok ? state->bytesWritten : 0;
    }
    return result;
}

}  // namespace

ArchiveResult GetArchiveMemory(ArchiveHandle* handle, const void** image, uint32_t* length) {
    WriterLastResult = GetMemory(handle, image, length);
    return WriterLastResult;
}

ArchiveResult CloseArchiveWriter(ArchiveHandle* handle) {
    ArchiveResult result = CheckHandle(handle, ArchiveKind::Writer);
    if (result == ArchiveResult::Ok) {
        auto* state = static_cast<ArchiveWriterState*>(handle->state);
        if (!state->finished) {
            result = FinishArchive(state);
        }
        delete state;
        delete handle;
    }
    WriterLastResult = result;
    return result;
}
