// Registry, archive and file helpers for the installer's tests; see installer_fixture.h.
#include "tests/installer/installer_fixture.h"

#include "tests/support/test_support.h"
#include "zip/archive.h"

namespace installer_fixture {

namespace {

// A small but well-formed PNG-sized blob: signature plus bytes that differ per image.
std::string ImageBytes(int number) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    unsigned value = 2166136261u ^ static_cast<unsigned>(number);
    for (int i = 0; i < 60 + number % 90; ++i) {
        value = value * 16777619u + 0x9E3779B9u;
        bytes += static_cast<char>(value >> 24);
    }
    return bytes;
}

}  // namespace

std::vector<SkinEntry> RealisticSkin(int pngCount, const std::string& skinIni, bool withOldImage) {
    std::vector<SkinEntry> entries;
    entries.push_back({L"skin.ini", false, skinIni});
    const wchar_t* folders[] = {L"buttons", L"icons", L"defaults", L"dialogs"};
    int number = 0;
    for (const wchar_t* folder : folders) {
        entries.push_back({std::wstring(folder) + L"/", true, ""});
        for (int i = 0; i < pngCount / 4; ++i, ++number) {
            entries.push_back({std::wstring(folder) + L"/image" + std::to_wstring(number) + L".png",
                               false, ImageBytes(number)});
        }
        if (withOldImage && std::wstring(folder) == L"buttons") {
            entries.push_back({L"buttons/sweeply.png", false, "an image from an earlier run"});
        }
    }
    entries.push_back({L"defaults/skin.ini", false, "[Info]\r\nName=nested, left alone\r\n"});
    entries.push_back({L"readme.txt", false, std::string(3000, 'r')});
    return entries;
}

bool WriteSkinArchive(const std::wstring& path, const std::vector<SkinEntry>& entries) {
    ArchiveHandle* writer = CreateArchiveInMemory(4 * 1024 * 1024);
    if (writer == nullptr) {
        return false;
    }
    bool ok = true;
    for (const SkinEntry& entry : entries) {
        ArchiveResult result = ArchiveResult::Ok;
        if (entry.folder) {
            result = AddFolderEntry(writer, entry.name.c_str());
        } else if (!entry.data.empty()) {
            result = AddMemoryEntry(writer, entry.name.c_str(), entry.data.data(),
                                    static_cast<uint32_t>(entry.data.size()));
        } else {
            // The writer takes no empty memory block; an empty file makes the empty entry.
            std::wstring empty = path + L".empty";
            ok = testing_support::WriteTextFile(empty, "") && ok;
            result = AddFileEntry(writer, entry.name.c_str(), empty.c_str());
            DeleteFileW(empty.c_str());
        }
        ok = ok && result == ArchiveResult::Ok;
    }
    const void* image = nullptr;
    uint32_t length = 0;
    ok = ok && GetArchiveMemory(writer, &image, &length) == ArchiveResult::Ok;
    if (ok) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ok = file != INVALID_HANDLE_VALUE && WriteFile(file, image, length, &written, nullptr) &&
             written == length;
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    return CloseArchiveWriter(writer) == ArchiveResult::Ok && ok;
}

bool ReadSkinArchive(const std::wstring& path, std::vector<SkinEntry>* entries) {
    entries->clear();
    ArchiveHandle* reader = OpenArchiveReader(path.c_str());
    if (reader == nullptr) {
        return false;
    }
    ArchiveEntry entry;
    bool ok = GetArchiveEntry(reader, -1, &entry) == ArchiveResult::Ok;
    int32_t count = ok ? entry.index : 0;
    for (int32_t index = 0; ok && index < count; ++index) {
        ok = GetArchiveEntry(reader, index, &entry) == ArchiveResult::Ok;
        SkinEntry item{entry.name, (entry.attributes & 0x10) != 0, "", entry.attributes};
        if (ok && !item.folder && entry.uncompressedSize > 0) {
            item.data.resize(static_cast<size_t>(entry.uncompressedSize));
            ok = ExtractEntryToMemory(reader, index, item.data.data(),
                                      static_cast<uint32_t>(item.data.size())) == ArchiveResult::Ok;
        }
        entries->push_back(item);
    }
    CloseArchiveReader(reader);
    return ok;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

}  // namespace installer_fixture
