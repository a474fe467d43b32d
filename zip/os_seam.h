// The zip component's only contact with the operating system: files, the page-file-backed memory
// image, the clock and file-time conversions. One implementation per platform (os_win32.cpp,
// os_posix.cpp); everything else in zip/ is plain C++ over zlib.
#pragma once

#include <cstdint>
#include <utility>

#include "zip/archive.h"
#include "zip/owned.h"

namespace zipos {

#ifdef _WIN32
using NativeFile = void*;  // HANDLE; both NULL and INVALID_HANDLE_VALUE count as empty
#else
using NativeFile = int;  // file descriptor; -1 is empty
#endif

struct FileTraits {
    using Value = NativeFile;
    static Value Empty();
    static bool IsEmpty(Value value);
    static void Release(Value value);
};
using OwnedFile = Owned<FileTraits>;

// Windows file attribute bits, the portable vocabulary of the component.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

// What the system says about an open file. Times are file times in UTC.
struct FileInfo {
    uint32_t attributes;
    uint64_t size;
    uint64_t creationTime;
    uint64_t lastAccessTime;
    uint64_t lastWriteTime;
};

// A broken-down time, as Win32's SYSTEMTIME without the weekday.
struct CalendarTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
    int milliseconds;
};

// Opens an existing file for reading, shared for reading; empty on failure.
[[nodiscard]] OwnedFile OpenFileForRead(const ArchiveChar* path);

// Size of the open file; false when it cannot be examined.
[[nodiscard]] bool GetFileSize(NativeFile file, uint64_t* size);

// Attributes, size and times of the open file; false when they cannot be read.
[[nodiscard]] bool GetFileInfo(NativeFile file, FileInfo* info);

// Reads up to `count` bytes at `offset` (repeating short reads); false on a failed read. `*got`
// is what was read; fewer than `count` means the file ended.
[[nodiscard]] bool ReadFileAt(NativeFile file,
                              uint64_t offset,
                              void* buffer,
                              uint32_t count,
                              uint32_t* got);

// One sequential read of up to `count` bytes from the current position; 0 at the end or on failure.
[[nodiscard]] uint32_t ReadFileNext(NativeFile file, void* buffer, uint32_t count);

// Moves the file's current position to its start; false on failure.
[[nodiscard]] bool RewindFile(NativeFile file);

// A read-write anonymous mapping backed by the paging file, mapped in full; move-only.
class PagedImage {
  public:
    PagedImage() = default;
    ~PagedImage() { Release(); }
    PagedImage(PagedImage&& other) noexcept
        : base_(std::exchange(other.base_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          mapping_(std::exchange(other.mapping_, nullptr)) {}
    PagedImage& operator=(PagedImage&& other) noexcept {
        if (this != &other) {
            Release();
            base_ = std::exchange(other.base_, nullptr);
            size_ = std::exchange(other.size_, 0);
            mapping_ = std::exchange(other.mapping_, nullptr);
        }
        return *this;
    }
    PagedImage(const PagedImage&) = delete;
    PagedImage& operator=(const PagedImage&) = delete;

    // Creates the mapping and its view of `size` bytes; false (and nothing held) on failure.
    [[nodiscard]] bool Create(uint32_t size);
    // Unmaps the view and closes the mapping; safe when nothing is held.
    void Release();
    uint8_t* Base() const { return base_; }

  private:
    uint8_t* base_ = nullptr;
    uint32_t size_ = 0;
    void* mapping_ = nullptr;  // the mapping handle on Windows; unused on POSIX
};

// The current local time.
[[nodiscard]] CalendarTime CurrentLocalTime();

// The calendar time as a file time, with no zone conversion; false when it is not a valid date.
[[nodiscard]] bool CalendarToFileTime(const CalendarTime& time, uint64_t* fileTime);

// The calendar breakdown of a file time, with no zone conversion; false when out of range.
[[nodiscard]] bool FileTimeToCalendar(uint64_t fileTime, CalendarTime* time);

// Converts a file time taken as local time to UTC; false when the system cannot.
[[nodiscard]] bool LocalFileTimeToUtc(uint64_t localTime, uint64_t* utcTime);

}  // namespace zipos
