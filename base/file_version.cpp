// ReadFileVersion: the fixed file information of the version resource, read into memory that is
// freed on every path.
#include "base/file_version.h"

#include "base/scoped.h"

bool ReadFileVersion(const wchar_t* path, DWORD* major, DWORD* minor) {
    *major = 0;
    *minor = 0;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return false;
    }
    ScopedGlobal buffer(GlobalAlloc(GMEM_FIXED, size));
    if (!buffer.valid()) {
        return false;
    }
    void* data = buffer.get();  // GMEM_FIXED: the handle is the address
    if (!GetFileVersionInfoW(path, 0, size, data)) {
        return false;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(data, L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    *major = HIWORD(fixed->dwFileVersionMS);
    *minor = LOWORD(fixed->dwFileVersionMS);
    return true;
}
