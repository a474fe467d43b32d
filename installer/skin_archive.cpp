// Rebuilds Opera's skin archive with the Sweeply button image: the old archive is read entry by
// entry with the zip reader, copied into a new in-memory archive with the zip writer, and the
// finished image replaces the old file in one step.
#include "installer/skin_archive.h"

#include <windows.h>

#include <cwchar>

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

// A folder entry: the directory attribute, or a name ending in a slash, which is how the zip
// format itself marks folders (tools that set no attributes, Python's zipfile among them, leave
// only that mark; taken as files, such entries would be empty and end the update).
bool IsFolderEntry(const ArchiveEntry& entry) {
    size_t length = wcslen(entry.name);
    return (entry.attributes & kDirectoryAttribute) != 0 ||
           (length > 0 && (entry.name[length - 1] == L'/' || entry.name[length - 1] == L'\\'));
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
    for (int32_t index = 0; index < count; ++index) {
        result = GetArchiveEntry(reader, index, &entry);
        if (result != ArchiveResult::Ok) {
            return result;
        }
        if (wcscmp(entry.name, kImageEntry) == 0) {
            continue;
        }
        result = IsFolderEntry(entry) ? AddFolderEntry(writer, entry.name)
                                      : CopyFileEntry(reader, writer, entry, buffer);
        if (result != ArchiveResult::Ok) {
            return result;
        }
    }
    return ArchiveResult::Ok;
}

}  // namespace

ArchiveResult UpdateSkinArchive(const wchar_t* skinPath, const wchar_t* imagePath) {
    uint64_t skinSize = 0;
    uint64_t imageSize = 0;
    if (!ReadFileSize(skinPath, skinSize) || !ReadFileSize(imagePath, imageSize)) {
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
        result = AddFileEntry(writer.get(), kImageEntry, imagePath);
    }
    if (result != ArchiveResult::Ok) {
        return result;
    }
    result = CloseArchiveReader(reader.detach());
    if (result != ArchiveResult::Ok) {
        return result;
    }
    const void* image = nullptr;
    uint32_t length = 0;
    result = GetArchiveMemory(writer.get(), &image, &length);
    if (result != ArchiveResult::Ok) {
        return result;
    }
    if (!ReplaceFileContents(skinPath, image, length)) {
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
    if (!InternetCachePath(imagePath, kInstallerPathChars, kImageFileName)) {
        return false;
    }
    {
        ScopedHandle file(CreateFileW(imagePath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            return false;
        }
        // A cut image must not go into the skin.
        if (!WriteWholeBuffer(file.get(), data, size)) {
            return false;
        }
    }
    wchar_t skinPath[kInstallerPathChars];
    if (JoinText(skinPath, {programDir, L"\\skin\\standard_skin.zip"})) {
        (void)UpdateSkinArchive(skinPath, imagePath);
    }
    return true;
}
