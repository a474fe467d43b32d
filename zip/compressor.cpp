// The writer's raw-deflate compressor: level 8, 32 KiB window (bits -15), memory level 8, default
// strategy; created once per writer and reset between entries.
#include <new>

#include "zip/writer_state.h"

alloc_func CompressorAllocator = nullptr;

bool PrepareCompressor(ArchiveWriterState* state) {
    if (state->compressor) {
        return deflateReset(&state->compressor->stream) == Z_OK;
    }
    std::unique_ptr<Compressor> compressor(new (std::nothrow) Compressor);
    if (!compressor) {
        return false;
    }
    compressor->stream.zalloc = CompressorAllocator;
    if (deflateInit2(&compressor->stream, 8, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        return false;  // deflateInit2 frees what it took; deflateEnd on the stream is harmless
    }
    state->compressor = std::move(compressor);
    return true;
}
