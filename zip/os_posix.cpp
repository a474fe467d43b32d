// POSIX side of the zip OS seam: descriptors with pread, an anonymous private mapping for the
// memory image, and localtime_r/timegm/mktime for the clock and the zone conversion.
#include "zip/os_seam.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <utility>

#include "zip/utf.h"

namespace zipos {

namespace {

constexpr int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
constexpr int64_t kTicksPerSecond = 10000000;

uint64_t FileTimeFromTimespec(const timespec& ts) {
    return static_cast<uint64_t>((ts.tv_sec + kUnixEpochSeconds) * kTicksPerSecond +
                                 ts.tv_nsec / 100);
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// timegm and mktime quietly normalise day 0 or month 13; Win32 refuses them, and so do we.
bool IsValidCalendar(const CalendarTime& t) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1) {
        return false;
    }
    int days = kDays[t.month - 1] + (t.month == 2 && IsLeap(t.year) ? 1 : 0);
    return t.day <= days && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
           t.second >= 0 && t.second < 60 && t.milliseconds >= 0 && t.milliseconds < 1000;
}

tm TmFromCalendar(const CalendarTime& t) {
    tm out{};
    out.tm_year = t.year - 1900;
    out.tm_mon = t.month - 1;
    out.tm_mday = t.day;
    out.tm_hour = t.hour;
    out.tm_min = t.minute;
    out.tm_sec = t.second;
    out.tm_isdst = -1;
    return out;
}

}  // namespace

NativeFile FileTraits::Empty() {
    return -1;
}

bool FileTraits::IsEmpty(NativeFile file) {
    return file < 0;
}

void FileTraits::Release(NativeFile file) {
    close(file);
}

OwnedFile OpenFileForRead(const ArchiveChar* path) {
    std::string bytes;
    if (path == nullptr || !EncodeUtf8(path, &bytes) || bytes.empty()) {
        return OwnedFile();
    }
    OwnedFile file(open(bytes.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    // A folder cannot be opened as a file on Windows either.
    if (file.Valid() && (fstat(file.Get(), &st) != 0 || S_ISDIR(st.st_mode))) {
        file.Reset();
    }
    return file;
}

bool GetFileSize(NativeFile file, uint64_t* size) {
    struct stat st;
    if (fstat(file, &st) != 0) {
        return false;
    }
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool GetFileInfo(NativeFile file, FileInfo* info) {
    struct stat st;
    if (fstat(file, &st) != 0) {
        return false;
    }
    info->attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    if ((st.st_mode & S_IWUSR) == 0) {
        info->attributes |= kAttrReadOnly;
    }
    info->size = static_cast<uint64_t>(st.st_size);
    info->lastWriteTime = FileTimeFromTimespec(st.st_mtim);
    info->lastAccessTime = FileTimeFromTimespec(st.st_atim);
    // POSIX keeps no birth time in stat; the status-change time is the nearest one.
    info->creationTime = FileTimeFromTimespec(st.st_ctim);
    return true;
}

bool ReadFileAt(NativeFile file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got) {
    *got = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (*got < count) {
        ssize_t n = pread(file, out + *got, count - *got, static_cast<off_t>(offset + *got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += static_cast<uint32_t>(n);
    }
    return true;
}

uint32_t ReadFileNext(NativeFile file, void* buffer, uint32_t count) {
    ssize_t n;
    do {
        n = read(file, buffer, count);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

bool RewindFile(NativeFile file) {
    return lseek(file, 0, SEEK_SET) == 0;
}

bool PagedImage::Create(uint32_t size) {
    Release();
    void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        return false;
    }
    base_ = static_cast<uint8_t*>(base);
    size_ = size;
    return true;
}

void PagedImage::Release() {
    if (base_ != nullptr) {
        munmap(base_, size_);
    }
    base_ = nullptr;
    size_ = 0;
}

CalendarTime CurrentLocalTime() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm local;
    localtime_r(&now.tv_sec, &local);
    return CalendarTime{local.tm_year + 1900,
                        local.tm_mon + 1,
                        local.tm_mday,
                        local.tm_hour,
                        local.tm_min,
                        local.tm_sec,
                        static_cast<int>(now.tv_nsec / 1000000)};
}

bool CalendarToFileTime(const CalendarTime& time, uint64_t* fileTime) {
    if (!IsValidCalendar(time)) {
        return false;
    }
    tm parts = TmFromCalendar(time);
    time_t seconds = timegm(&parts);
    *fileTime = static_cast<uint64_t>((static_cast<int64_t>(seconds) + kUnixEpochSeconds) *
                                          kTicksPerSecond +
                                      time.milliseconds * 10000LL);
    return true;
}

bool FileTimeToCalendar(uint64_t fileTime, CalendarTime* time) {
    if (fileTime >= 0x8000000000000000ULL) {
        return false;
    }
    time_t seconds =
        static_cast<time_t>(static_cast<int64_t>(fileTime / kTicksPerSecond) - kUnixEpochSeconds);
    tm parts;
    if (gmtime_r(&seconds, &parts) == nullptr) {
        return false;
    }
    *time = CalendarTime{parts.tm_year + 1900,
                         parts.tm_mon + 1,
                         parts.tm_mday,
                         parts.tm_hour,
                         parts.tm_min,
                         parts.tm_sec,
                         static_cast<int>((fileTime % kTicksPerSecond) / 10000)};
    return true;
}

bool LocalFileTimeToUtc(uint64_t localTime, uint64_t* utcTime) {
    CalendarTime local;
    if (!FileTimeToCalendar(localTime, &local)) {
        return false;
    }
    tm parts = TmFromCalendar(local);
    time_t seconds = mktime(&parts);
    if (seconds == static_cast<time_t>(-1) && parts.tm_year != 69) {
        return false;
    }
    *utcTime = static_cast<uint64_t>((static_cast<int64_t>(seconds) + kUnixEpochSeconds) *
                                         kTicksPerSecond +
                                     localTime % kTicksPerSecond);
    return true;
}

}  // namespace zipos
