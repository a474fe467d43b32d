// The writer's memory image: creation of the page-file-backed mapping and the bounded write and
// seek steps through which every byte of an archive passes.
#include <cstring>
#include <new>

#include "zip/writer_state.h"

uint32_t WriteToImage(ArchiveWriterState* state, const void* data, uint32_t count) {
    // 64-bit sum: position + count must never wrap into a small, seemingly valid value.
    if (state->latched != ArchiveResult::Ok ||
        uint64_t{state->position} + count >= state->capacity) {
        state->latched = ArchiveResult::BufferSize;
        return 0;
    }
    if (count != 0) {
        std::memcpy(state->base + state->position, data, count);
    }
    state->position += count;
    return count;
}

bool SeekInImage(ArchiveWriterState* state, uint32_t position) {
    if (position >= state->capacity) {
        state->latched = ArchiveResult::BufferSize;
        return false;
    }
    state->position = position;
    return true;
}

ArchiveHandle* CreateArchiveInMemory(uint32_t size) {
    std::unique_ptr<ArchiveWriterState> state(new (std::nothrow) ArchiveWriterState);
    if (!state) {
        WriterLastResult = ArchiveResult::NoMemory;
        return nullptr;
    }
    if (size == 0) {
        WriterLastResult = ArchiveResult::BufferSize;
        return nullptr;
    }
    if (!state->image.Create(size)) {
        WriterLastResult = ArchiveResult::NoMemory;
        return nullptr;
    }
    state->base = state->image.Base();
    state->capacity = size;
    auto* handle = new (std::nothrow) ArchiveHandle{ArchiveKind::Writer, state.get()};
    if (handle == nullptr) {
        WriterLastResult = ArchiveResult::NoMemory;
        return nullptr;
    }
    state.release();
    WriterLastResult = ArchiveResult::Ok;
    return handle;
}
