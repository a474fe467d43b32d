// Registry, archive and folder helpers for the installer's tests; see installer_fixture.h.
#include "tests/installer/installer_fixture.h"

#include <algorithm>

#include "zip/archive.h"

namespace installer_fixture {

std::vector<SkinEntry> RealisticSkin(int pngCount, const std::string& skinIni, bool withOldImage) {
    std::vector<SkinEntry> entries = {{L"skin.ini", false, skinIni}, {L"buttons/", true, ""}};
    unsigned value = 2166136261u;
    for (int number = 0; number < pngCount; ++number) {
        std::string bytes = "\x89PNG\r\n\x1a\n";
        for (int size = 60 + number % 90; size > 0; --size) {
            value = value * 16777619u + 0x9E3779B9u;
            bytes += static_cast<char>(value >> 24);
        }
        entries.push_back({L"buttons/image" + std::to_wstring(number) + L".png", false, bytes});
        if (withOldImage && number == pngCount / 2) {
            entries.push_back({L"buttons/sweeply.png", false, "an image from an earlier run"});
        }
    }
    entries.push_back({L"defaults/", true, ""});
    entries.push_back({L"defaults/skin.ini", false, "[Info]\r\nName=nested, left alone\r\n"});
    entries.push_back({L"readme.txt", false, std::string(3000, 'r')});
    return entries;
}

bool WriteSkinArchive(const std::wstring& path, const std::vector<SkinEntry>& entries) {
    ArchiveHandle* writer = CreateArchiveInMemory(4 * 1024 * 1024);
    bool ok = writer != nullptr;
    const std::wstring empty = path + L".empty";  // the writer takes no empty memory block
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        const SkinEntry& entry = entries[i];
        const wchar_t* name = entry.name.c_str();
        ok = (entry.folder ? AddFolderEntry(writer, name)
              : entry.data.empty()
                  ? (testing_support::WriteTextFile(empty, ""),
                     AddFileEntry(writer, name, empty.c_str()))
                  : AddMemoryEntry(writer, name, entry.data.data(),
                                   static_cast<uint32_t>(entry.data.size()))) == ArchiveResult::Ok;
    }
    DeleteFileW(empty.c_str());
    const void* image = nullptr;
    uint32_t length = 0;
    ok = ok && GetArchiveMemory(writer, &image, &length) == ArchiveResult::Ok &&
         testing_support::WriteTextFile(path, std::string(static_cast<const char*>(image), length));
    return writer != nullptr && CloseArchiveWriter(writer) == ArchiveResult::Ok && ok;
}

bool ReadSkinArchive(const std::wstring& path, std::vector<SkinEntry>* entries) {
    entries->clear();
    ArchiveHandle* reader = OpenArchiveReader(path.c_str());
    ArchiveEntry entry;
    bool ok = reader != nullptr && GetArchiveEntry(reader, -1, &entry) == ArchiveResult::Ok;
    for (int32_t index = 0, count = ok ? entry.index : 0; ok && index < count; ++index) {
        ok = GetArchiveEntry(reader, index, &entry) == ArchiveResult::Ok;
        SkinEntry item{entry.name, (entry.attributes & 0x10) != 0, "", entry.attributes != 0};
        if (ok && !item.folder && entry.uncompressedSize > 0) {
            item.data.resize(static_cast<size_t>(entry.uncompressedSize));
            ok = ExtractEntryToMemory(reader, index, item.data.data(),
                                      static_cast<uint32_t>(item.data.size())) == ArchiveResult::Ok;
        }
        entries->push_back(item);
    }
    if (reader != nullptr) {
        CloseArchiveReader(reader);
    }
    return ok;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder, const std::wstring& prefix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (found.cFileName[0] != L'.') {
            names.push_back(found.cFileName);
        }
    }
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace installer_fixture
