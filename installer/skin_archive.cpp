// Rebuilds Opera's skin archive with the Sweeply button image: the old archive is read entry by
// entry with the zip reader, copied into a new in-memory archive with the zip writer, and the
// finished image replaces the old file in one step.
#include "installer/skin_archive.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "base/scoped.h"
#include "installer/file_replace.h"
#include "installer/path_text.h"
#include "installer/skin_ini.h"
#include "installer/work_buffer.h"

namespace {

constexpr wchar_t kImageEntry[] = L"buttons/sweeply.png";
constexpr wchar_t kSkinIniEntry[] = L"skin.ini";
constexpr wchar_t kImageFileName[] = L"\\2963edc3-e519-4153-a191-18f2e5fc1401";
constexpr uint32_t kDirectoryAttribute = 0x10;

// A folder entry: empty, and marked as a folder by the directory attribute or by a name ending in
// a forward slash, the zip format's own mark (tools that set no attributes, Python's zipfile among
// them, leave only that). A backslash is no folder mark; an entry with bytes is always a file,
// whatever its name or attributes say, so that its bytes are carried over.
bool IsFolderEntry(const ArchiveEntry& entry) {
    size_t length = wcslen(entry.name);
    bool marked = (entry.attributes & kDirectoryAttribute) != 0 ||
                  (length > 0 && entry.name[length - 1] == L'/');
    return marked && entry.uncompressedSize == 0;
}

// The name an entry gets in the new archive: the writer's forward slashes, a folder's final one.
std::wstring NewArchiveName(const ArchiveEntry& entry, bool folder) {
    std::wstring name = entry.name;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    if (folder && (name.empty() || name.back() != L'/')) {
        name += L'/';
    }
    return name;
}

// True when two of `names` are the same: their entries would become one in the new archive.
bool HasTwins(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

struct ArchiveTraits {
    static bool Valid(ArchiveHandle* handle) { return handle != nullptr; }
    static void Close(ArchiveHandle* handle) { (void)CloseArchive(handle); }
};
using ScopedArchive = Scoped<ArchiveHandle*, nullptr, ArchiveTraits>;

bool ReadFileSize(const wchar_t* path, uint64_t& size) {
    ScopedHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER fileSize;
    if (!file.valid() || !GetFileSizeEx(file.get(), &fileSize)) {
        return false;
    }
    size = static_cast<uint64_t>(fileSize.QuadPart);
    return true;
}

// Copies one file entry (index `index`, described by `entry`) into the writer, with skin.ini
// edited on the way.
ArchiveResult CopyFileEntry(ArchiveHandle* reader,
                            ArchiveHandle* writer,
                            const ArchiveEntry& entry,
                            WorkBuffer& buffer) {
    if (entry.uncompressedSize < 0) {
        return ArchiveResult::DamagedArchive;
    }
    uint32_t size = static_cast<uint32_t>(entry.uncompressedSize);
    if (!buffer.Reserve(size)) {
        return ArchiveResult::NoMemory;
    }
    ArchiveResult result = ExtractEntryToMemory(reader, entry.index, buffer.data(), buffer.size());
    if (result != ArchiveResult::Ok) {
        return result;
    }
    if (wcscmp(entry.name, kSkinIniEntry) == 0 &&
        EditSkinIni(buffer, size) == SkinIniEdit::Failed) {
        return ArchiveResult::ReadFailed;
    }
    return AddMemoryEntry(writer, entry.name, buffer.data(), size);
}

// Carries every entry over in archive order, except an image left by an earlier run.
ArchiveResult CopyEntries(ArchiveHandle* reader, ArchiveHandle* writer) {
    ArchiveEntry entry;
    ArchiveResult result = GetArchiveEntry(reader, -1, &entry);
    if (result != ArchiveResult::Ok) {
        return result;
    }
    int32_t count = entry.index;
    WorkBuffer buffer;
    // Every name the new archive will hold, the image added after these entries included.
    std::vector<std::wstring> names(1, kImageEntry);
    names.reserve(static_cast<size_t>(count) + 1);
    for (int32_t index = 0; index < count; ++index) {
        result = GetArchiveEntry(reader, index, &entry);
        if (result != ArchiveResult::Ok) {
            return result;
        }
        if (wcscmp(entry.name, kImageEntry) == 0) {
            continue;
        }
        bool folder = IsFolderEntry(entry);
        names.push_back(NewArchiveName(entry, folder));
        result = folder ? AddFolderEntry(writer, entry.name)
                        : CopyFileEntry(reader, writer, entry, buffer);
        if (result != ArchiveResult::Ok) {
            return result;
        }
    }
    // Names that the reader gives alike (a name cut at its length limit, prefixes stripped) or
    // that the writer's slashes make alike: one entry would hide the other, so nothing is written.
    return HasTwins(std::move(names)) ? ArchiveResult::DamagedArchive : ArchiveResult::Ok;
}

}  // namespace

ArchiveResult UpdateSkinArchive(const wchar_t* skinPath, const void* image, uint32_t imageSize) {
    uint64_t skinSize = 0;
    if (!ReadFileSize(skinPath, skinSize)) {
        return ArchiveResult::CannotOpen;
    }
    uint64_t capacity = 2 * (skinSize + imageSize);
    if (capacity > UINT32_MAX) {
        return ArchiveResult::WriteFailed;
    }
    ScopedArchive reader(OpenArchiveReader(skinPath));
    if (!reader.valid()) {
        return ArchiveResult::ReadFailed;
    }
    ScopedArchive writer(CreateArchiveInMemory(static_cast<uint32_t>(capacity)));
    if (!writer.valid()) {
        return ArchiveResult::WriteFailed;
    }
    ArchiveResult result = CopyEntries(reader.get(), writer.get());
    if (result == ArchiveResult::Ok) {
        // From memory, never from the file written to the cache folder: the user's programs can
        // change that file once it is written, and every user of this Opera loads the skin.
        result = AddMemoryEntry(writer.get(), kImageEntry, image, imageSize);
    }
    if (result != ArchiveResult::Ok) {
        return result;
    }
    result = CloseArchiveReader(reader.detach());
    if (result != ArchiveResult::Ok) {
        return result;
    }
    const void* archive = nullptr;
    uint32_t length = 0;
    result = GetArchiveMemory(writer.get(), &archive, &length);
    if (result != ArchiveResult::Ok) {
        return result;
    }
    if (!ReplaceFileContents(skinPath, archive, length)) {
        return ArchiveResult::WriteFailed;
    }
    return CloseArchiveWriter(writer.detach());
}

bool InstallButtonImage(HMODULE module, HRSRC resource, const wchar_t* programDir) {
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, resource);
    if (data == nullptr || size == 0) {
        return false;
    }
    wchar_t imagePath[kInstallerPathChars];
    if (!InternetCachePath(imagePath, kInstallerPathChars, kImageFileName) ||
        !ReplaceFileContents(imagePath, data, size)) {
        return false;
    }
    wchar_t skinPath[kInstallerPathChars];
    if (JoinText(skinPath, {programDir, L"\\skin\\standard_skin.zip"})) {
        (void)UpdateSkinArchive(skinPath, data, size);
    }
    return true;
}
