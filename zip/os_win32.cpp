// Win32 side of the zip OS seam: CreateFileW/ReadFile, a paging-file mapping for the memory image,
// GetLocalTime and the file-time functions. Error codes stay with the system; callers only need
// to know that a step failed.
#include "zip/os_seam.h"

#include <windows.h>

#include <utility>

namespace zipos {

namespace {

uint64_t FromFileTime(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

}  // namespace

NativeFile FileTraits::Empty() {
    return INVALID_HANDLE_VALUE;
}

bool FileTraits::IsEmpty(NativeFile file) {
    return file == nullptr || file == INVALID_HANDLE_VALUE;
}

void FileTraits::Release(NativeFile file) {
    CloseHandle(file);
}

OwnedFile OpenFileForRead(const ArchiveChar* path) {
    if (path == nullptr || path[0] == 0) {
        return OwnedFile();
    }
    return OwnedFile(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool GetFileSize(NativeFile file, uint64_t* size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file, &value)) {
        return false;
    }
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool GetFileInfo(NativeFile file, FileInfo* info) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!GetFileInformationByHandle(file, &data)) {
        return false;
    }
    info->attributes = data.dwFileAttributes;
    info->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info->creationTime = FromFileTime(data.ftCreationTime);
    info->lastAccessTime = FromFileTime(data.ftLastAccessTime);
    info->lastWriteTime = FromFileTime(data.ftLastWriteTime);
    return true;
}

bool ReadFileAt(NativeFile file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got) {
    *got = 0;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (*got < count) {
        DWORD n = 0;
        if (!ReadFile(file, out + *got, count - *got, &n, nullptr)) {
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += n;
    }
    return true;
}

uint32_t ReadFileNext(NativeFile file, void* buffer, uint32_t count) {
    DWORD n = 0;
    if (!ReadFile(file, buffer, count, &n, nullptr)) {
        return 0;
    }
    return n;
}

bool RewindFile(NativeFile file) {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != 0;
}

bool PagedImage::Create(uint32_t size) {
    Release();
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, nullptr);
    if (mapping == nullptr) {
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (view == nullptr) {
        CloseHandle(mapping);
        return false;
    }
    mapping_ = mapping;
    base_ = static_cast<uint8_t*>(view);
    size_ = size;
    return true;
}

void PagedImage::Release() {
    if (base_ != nullptr) {
        UnmapViewOfFile(base_);
    }
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
    }
    base_ = nullptr;
    mapping_ = nullptr;
    size_ = 0;
}

CalendarTime CurrentLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return CalendarTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                        now.wMinute, now.wSecond, now.wMilliseconds};
}

bool CalendarToFileTime(const CalendarTime& time, uint64_t* fileTime) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(time.year);
    st.wMonth = static_cast<WORD>(time.month);
    st.wDay = static_cast<WORD>(time.day);
    st.wHour = static_cast<WORD>(time.hour);
    st.wMinute = static_cast<WORD>(time.minute);
    st.wSecond = static_cast<WORD>(time.second);
    st.wMilliseconds = static_cast<WORD>(time.milliseconds);
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) {
        return false;
    }
    *fileTime = FromFileTime(ft);
    return true;
}

bool FileTimeToCalendar(uint64_t fileTime, CalendarTime* time) {
    FILETIME ft = ToFileTime(fileTime);
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&ft, &st)) {
        return false;
    }
    *time = CalendarTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                         st.wMinute, st.wSecond, st.wMilliseconds};
    return true;
}

bool LocalFileTimeToUtc(uint64_t localTime, uint64_t* utcTime) {
    FILETIME local = ToFileTime(localTime);
    FILETIME utc;
    if (!LocalFileTimeToFileTime(&local, &utc)) {
        return false;
    }
    *utcTime = FromFileTime(utc);
    return true;
}

}  // namespace zipos
