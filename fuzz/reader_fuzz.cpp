// libFuzzer target for the zip reader: any input is opened as an archive, counted, and every
// entry described and extracted in pieces. The reader must fail cleanly on anything hostile.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zip/archive.h"

namespace {

constexpr uint32_t kPiece = 4096;
constexpr int kMaxPieces = 64;  // bounds the work per entry of a highly compressible input

// The input lives in one memory file, opened by path like any archive on disk.
const std::u16string& InputPath(int* fd) {
    static int file = memfd_create("zip-fuzz-input", 0);
    static std::u16string path = [] {
        std::string text = "/proc/self/fd/" + std::to_string(file);
        return std::u16string(text.begin(), text.end());
    }();
    *fd = file;
    return path;
}

void ExtractInPieces(ArchiveHandle* reader, int32_t index, std::vector<uint8_t>* buffer) {
    for (int piece = 0; piece < kMaxPieces; ++piece) {
        ArchiveResult r = ExtractEntryToMemory(reader, index, buffer->data(), kPiece);
        if (r != ArchiveResult::MoreData) {
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fd;
    const std::u16string& path = InputPath(&fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    ArchiveHandle* reader = OpenArchiveReader(path.c_str());
    if (reader == nullptr) {
        return 0;
    }
    std::vector<uint8_t> buffer(kPiece);
    ArchiveEntry entry;
    if (GetArchiveEntry(reader, -1, &entry) == ArchiveResult::Ok) {
        int32_t count = entry.index;
        for (int32_t i = 0; i < count; ++i) {
            (void)GetArchiveEntry(reader, i, &entry);
            ExtractInPieces(reader, i, &buffer);
        }
        if (count > 1) {
            // Backwards and interleaved access restarts the directory walk.
            (void)ExtractEntryToMemory(reader, count - 1, buffer.data(), kPiece);
            (void)GetArchiveEntry(reader, 0, &entry);
            (void)ExtractEntryToMemory(reader, 0, buffer.data(), 1);
        }
    }
    (void)CloseArchiveReader(reader);
    return 0;
}
