// Writer: exact header bytes, name and method rules, image capacity, life cycle and the failure
// paths that must never hand out an incomplete archive.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "tests/zip/zip_test_support.h"
#include "zip/os_seam.h"
#include "zip/writer_state.h"
#include "zip/zip_time.h"

namespace {

// Parses hex bytes; "??" marks a byte the test reads from the image (times) instead.
Bytes ExpectFromHex(const std::string& hex, const Bytes& actual) {
    std::istringstream in(hex);
    std::string token;
    Bytes out;
    while (in >> token) {
        if (token == "??") {
            out.push_back(out.size() < actual.size() ? actual[out.size()] : 0);
        } else {
            out.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
        }
    }
    return out;
}

TEST(ZipWriter, SmallArchiveMatchesTheHandCheckedBytes) {
    uint64_t now = 0;
    ASSERT_TRUE(zipos::CalendarToFileTime(zipos::CurrentLocalTime(), &now));
    ArchiveHandle* writer = CreateArchiveInMemory(1024);
    ASSERT_NE(nullptr, writer);
    ASSERT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, ARCHIVE_TEXT("a")));
    ASSERT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, ARCHIVE_TEXT("b.zip"), "hi", 2));
    Bytes image = FinishArchive(writer);
    Bytes expected = ExpectFromHex(
        // local header "a/": folder, stored, CRC and sizes 0, extra 17
        "50 4B 03 04 14 00 00 00 00 00 ?? ?? ?? ?? 00 00 00 00 00 00 00 00 00 00 00 00 02 00 11 00"
        " 61 2F 55 54 0D 00 07 ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ??"
        // local header "b.zip" at 49: stored by suffix, CRC-32 of "hi", sizes 2, then the data
        " 50 4B 03 04 14 00 00 00 00 00 ?? ?? ?? ?? AC 2A 93 D8 02 00 00 00 02 00 00 00 05 00 11 00"
        " 62 2E 7A 69 70 55 54 0D 00 07 ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? 68 69"
        // central header "a/" at 103: made by 0x0B17, attributes 0x41C00010, offset 0
        " 50 4B 01 02 17 0B 14 00 00 00 00 00 ?? ?? ?? ?? 00 00 00 00 00 00 00 00 00 00 00 00"
        " 02 00 09 00 00 00 00 00 00 00 10 00 C0 41 00 00 00 00 61 2F 55 54 05 00 07 ?? ?? ?? ??"
        // central header "b.zip": attributes 0x80000000, offset 49
        " 50 4B 01 02 17 0B 14 00 00 00 00 00 ?? ?? ?? ?? AC 2A 93 D8 02 00 00 00 02 00 00 00"
        " 05 00 09 00 00 00 00 00 00 00 00 00 00 80 31 00 00 00 62 2E 7A 69 70"
        " 55 54 05 00 07 ?? ?? ?? ??"
        // end record: 2 entries, directory of 117 bytes at 103
        " 50 4B 05 06 00 00 00 00 02 00 02 00 75 00 00 00 67 00 00 00 00 00",
        image);
    EXPECT_EQ(expected, image);
    // The masked times agree: DOS value in all four headers, one Unix time for all three slots
    // of a memory entry, and the central form repeats the modification time.
    for (size_t at : {49u + 10, 103u + 12, 160u + 12}) {
        EXPECT_EQ(Field32(image, 10), Field32(image, at));
    }
    for (size_t at : {37u, 41u, 45u, 49u + 40, 49u + 44, 49u + 48, 103u + 53, 160u + 56}) {
        EXPECT_EQ(Field32(image, 37), Field32(image, at)) << at;
    }
    // Memory entries carry the current local time; the DOS value is the same instant.
    auto stamp = static_cast<int32_t>(Field32(image, 37));
    EXPECT_LE(std::abs(stamp - UnixTimeFromFileTime(now)), 2);
    EXPECT_EQ(DosDateTimeFromFileTime(FileTimeFromUnixTime(stamp)), Field32(image, 10));
}

TEST(ZipWriter, InnerArchivesAreStoredAllElseIsALevelEightStreamNamesTakeForwardSlashes) {
    const Bytes noise = {0x9C, 0x01, 0xFF, 0x42, 0x17, 0xE3, 0x55, 0x00, 0xA8, 0x3C};
    const Bytes text = MixedBytes(50000, 3);
    // Stored by the suffix after the last full stop, in any case; deflated even when larger.
    // Folders (no data) end in one forward slash; each add is an entry of its own.
    const struct {
        const char* given;
        const char* stored;
        bool kept;
    } names[] = {{"x.zip", "x.zip", true},
                 {"X.ZiP", "X.ZiP", true},
                 {"lib\\a.JAR", "lib/a.JAR", true},
                 {"a.zipx", "a.zipx", false},
                 {"noext", "noext", false},
                 {"zip", "zip", false},
                 {".jar", ".jar", true},
                 {"a.zip/b", "a.zip/b", false},
                 {"buttons", "buttons/", true},
                 {"buttons/", "buttons/", true},
                 {"buttons\\", "buttons/", true}};
    std::vector<std::pair<std::string, Bytes>> entries;
    for (size_t i = 0; i < std::size(names); ++i) {
        entries.push_back({names[i].given, i >= 8 ? Bytes() : i % 2 ? noise : text});
    }
    Bytes image = WriteArchive(entries);
    std::vector<size_t> central = CentralHeaderPositions(image);
    ASSERT_EQ(std::size(names), central.size());
    for (size_t i = 0; i < central.size(); ++i) {
        const auto& [given, name, stored] = names[i];
        const Bytes& data = entries[i].second;
        Bytes expected = stored ? data : RawDeflate(data);
        size_t c = central[i];
        size_t local = Field32(image, c + 42);
        size_t at = local + 30 + Field16(image, local + 26) + Field16(image, local + 28);
        EXPECT_EQ(name, std::string(image.begin() + c + 46,
                                    image.begin() + c + 46 + Field16(image, c + 28)));
        EXPECT_EQ(data.empty() ? 0x41C00010u : 0x80000000u, Field32(image, c + 38)) << given;
        EXPECT_EQ(stored ? 0 : 8, Field16(image, c + 10)) << given;
        EXPECT_EQ(stored ? 0 : 2, Field16(image, c + 8)) << given;  // the maximum-level flag
        EXPECT_EQ(Field16(image, c + 8), Field16(image, local + 6)) << given;
        EXPECT_EQ(Crc32(data), Field32(image, c + 16)) << given;
        EXPECT_EQ(data.size(), Field32(image, c + 24)) << given;
        EXPECT_EQ(expected.size(), Field32(image, c + 20)) << given;
        EXPECT_EQ(expected, Bytes(image.begin() + at, image.begin() + at + expected.size()));
    }
}

TEST(ZipWriter, NamesAreUtf8AndRefusedRatherThanCut) {
    ArchiveHandle* writer = CreateArchiveInMemory(1 << 16);
    ASSERT_NE(nullptr, writer);
    Name ascii259(259, 'n');
    Name accented129 = Name(129, ArchiveChar(0xE9)) + ARCHIVE_TEXT("a");
    // The edges of each UTF-8 length, and surrogate pairs up to U+10FFFF.
    const Name edges = {0x7F,   0x80,   0x7FF,  0x800,  0xD7FF, 0xE000,
                        0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF};
    EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, ascii259.c_str(), "x", 1));
    EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, accented129.c_str(), "x", 1));
    EXPECT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, Name(258, 'f').c_str()));
    EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, edges.c_str(), "x", 1));
    const Name refused[] = {
        Name(260, 'n'),
        Name(130, ArchiveChar(0xE9)),  // two UTF-8 bytes each: 260 bytes
        ARCHIVE_TEXT("bad") + Name(1, ArchiveChar(0xD800)),
        Name{0xDBFF, 'a'},
        Name{'a', 0xDC00},
        Name{0xDFFF},
        ARCHIVE_TEXT(""),
    };
    for (const Name& name : refused) {
        EXPECT_EQ(ArchiveResult::BadArgument, AddMemoryEntry(writer, name.c_str(), "x", 1))
            << FromName(name.c_str());
    }
    EXPECT_EQ(ArchiveResult::BadArgument, AddFolderEntry(writer, ascii259.c_str()));
    EXPECT_EQ(ArchiveResult::BadArgument, AddMemoryEntry(writer, ARCHIVE_TEXT("a"), nullptr, 1));
    EXPECT_EQ(ArchiveResult::BadArgument, AddMemoryEntry(writer, ARCHIVE_TEXT("a"), "x", 0));
    Bytes image = FinishArchive(writer);
    std::vector<size_t> central = CentralHeaderPositions(image);
    ASSERT_EQ(4u, central.size());  // refused adds wrote nothing
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(259, Field16(image, central[i] + 28));
    }
    EXPECT_EQ(
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
        std::string(image.begin() + central[3] + 46,
                    image.begin() + central[3] + 46 + Field16(image, central[3] + 28)));
}

TEST(ZipWriter, ImageOfCapacityNHoldsAnArchiveOfNMinusOneBytesFinishedOnce) {
    auto finish = [](uint32_t capacity, uint32_t* length) {
        ArchiveHandle* writer = CreateArchiveInMemory(capacity);
        EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, ARCHIVE_TEXT("a.txt"), "abc", 3));
        EXPECT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, ARCHIVE_TEXT("d")));
        const void* image = nullptr;
        ArchiveResult r = GetArchiveMemory(writer, &image, length);
        if (r == ArchiveResult::Ok) {  // a second call hands out the same image
            const void* again = nullptr;
            uint32_t againLength = 0;
            EXPECT_EQ(ArchiveResult::Ok, GetArchiveMemory(writer, &again, &againLength));
            EXPECT_TRUE(again == image && againLength == *length);
            EXPECT_EQ(ArchiveResult::AlreadyFinished, AddFolderEntry(writer, ARCHIVE_TEXT("late")));
        }
        EXPECT_EQ(ArchiveResult::Ok, CloseArchiveWriter(writer));  // finished before
        return r;
    };
    uint32_t size = 0;
    uint32_t length = 0;
    ASSERT_EQ(ArchiveResult::Ok, finish(1 << 16, &size));
    EXPECT_EQ(ArchiveResult::Ok, finish(size + 1, &length));
    EXPECT_EQ(size, length);
    // Only the end record's last byte misses; then the central directory does not fit.
    EXPECT_EQ(ArchiveResult::WriteFailed, finish(size, &length));
    EXPECT_EQ(ArchiveResult::WriteFailed, finish(size - 40, &length));
}

TEST(ZipWriter, AFullImageLatchesAndNoImageIsHandedOut) {
    Bytes big = MixedBytes(20000, 5);
    ArchiveHandle* writer = CreateArchiveInMemory(4000);
    ASSERT_NE(nullptr, writer);
    EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, ARCHIVE_TEXT("small"), "abc", 3));
    EXPECT_EQ(ArchiveResult::BufferSize,
              AddMemoryEntry(writer, ARCHIVE_TEXT("big.zip"), big.data(), uint32_t(big.size())));
    EXPECT_EQ(ArchiveResult::BufferSize, WriterLastResult);
    EXPECT_EQ(ArchiveResult::EarlierFailure, AddFolderEntry(writer, ARCHIVE_TEXT("later")));
    EXPECT_EQ(ArchiveResult::EarlierFailure, WriterLastResult);
    const void* image = &image;
    uint32_t length = 5;
    EXPECT_EQ(ArchiveResult::WriteFailed, GetArchiveMemory(writer, &image, &length));
    EXPECT_EQ(nullptr, image);
    EXPECT_EQ(0u, length);
    EXPECT_EQ(ArchiveResult::WriteFailed, GetArchiveMemory(writer, &image, &length));
    EXPECT_EQ(ArchiveResult::Ok, CloseArchiveWriter(writer));  // finished before: nothing to do
}

TEST(ZipWriter, TheEntryPastTheEndRecordsCountIsRefusedAndLatched) {
    // The end record counts entries in 16 bits: entry 65 536 would make the archive say empty.
    ArchiveHandle* writer = CreateArchiveInMemory(8 << 20);
    ASSERT_NE(nullptr, writer);
    for (int i = 0; i < 65535; ++i) {
        ASSERT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, ARCHIVE_TEXT("d"))) << i;
    }
    EXPECT_EQ(ArchiveResult::WriteFailed, AddFolderEntry(writer, ARCHIVE_TEXT("d")));
    EXPECT_EQ(ArchiveResult::EarlierFailure, AddMemoryEntry(writer, ARCHIVE_TEXT("m"), "x", 1));
    EXPECT_EQ(ArchiveResult::WriteFailed, CloseArchiveWriter(writer));
}

voidpf RefuseAllocation(voidpf, uInt, uInt) {
    return Z_NULL;
}

TEST(ZipWriter, ACompressorThatCannotBeSetUpFailsTheAddOnly) {
    ArchiveHandle* writer = CreateArchiveInMemory(4096);
    ASSERT_NE(nullptr, writer);
    CompressorAllocator = RefuseAllocation;
    EXPECT_EQ(ArchiveResult::WriteFailed, AddMemoryEntry(writer, ARCHIVE_TEXT("a.txt"), "ab", 2));
    CompressorAllocator = nullptr;
    EXPECT_EQ(ArchiveResult::Ok, AddMemoryEntry(writer, ARCHIVE_TEXT("b.txt"), "cd", 2));
    Bytes image = FinishArchive(writer);
    std::vector<size_t> central = CentralHeaderPositions(image);
    ASSERT_EQ(1u, central.size());
    EXPECT_EQ(0u, Field32(image, central[0] + 42));  // the failed add wrote nothing
}

TEST(ZipWriter, DosTimeHalvesSecondsSoOddSecondsRoundDown) {
    uint64_t fileTime = 0;
    ASSERT_TRUE(zipos::CalendarToFileTime({2024, 3, 9, 14, 30, 7, 0}, &fileTime));
    uint32_t dos = DosDateTimeFromFileTime(fileTime);
    EXPECT_EQ(uint32_t((44 << 9) | (3 << 5) | 9), dos >> 16);
    EXPECT_EQ(uint32_t((14 << 11) | (30 << 5) | 3), dos & 0xFFFF);  // 14:30:06
    EXPECT_EQ(1709994607, UnixTimeFromFileTime(fileTime));
}

TEST(ZipWriter, FileEntriesTakeAttributesTimesAndData) {
    TempDir dir;
    Bytes exe(200, 0);
    exe[0] = 'M', exe[1] = 'Z', exe[0x3C] = 0x80, exe[0x80] = 'P', exe[0x81] = 'E';
    WriteBytes(dir.Path("tool.exe"), exe);
    WriteBytes(dir.Path("plain.txt"), MixedBytes(30000, 9));
    WriteBytes(dir.Path("empty.txt"), {});
    std::filesystem::permissions(dir.Path("plain.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ArchiveHandle* writer = CreateArchiveInMemory(1 << 20);
    ASSERT_NE(nullptr, writer);
    for (const char* leaf : {"tool.exe", "plain.txt", "empty.txt"}) {
        EXPECT_EQ(ArchiveResult::Ok,
                  AddFileEntry(writer, ToName(leaf).c_str(), PathName(dir.Path(leaf)).c_str()));
    }
    EXPECT_EQ(ArchiveResult::CannotOpen,
              AddFileEntry(writer, ARCHIVE_TEXT("gone"), PathName(dir.Path("gone")).c_str()));
    EXPECT_EQ(ArchiveResult::CannotOpen,
              AddFileEntry(writer, ARCHIVE_TEXT("dir"), PathName(dir.Path("")).c_str()));
    Bytes image = FinishArchive(writer);
    std::filesystem::permissions(dir.Path("plain.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::vector<size_t> central = CentralHeaderPositions(image);
    ASSERT_EQ(3u, central.size());
    uint32_t exeAttributes = Field32(image, central[0] + 38);
    uint32_t plainAttributes = Field32(image, central[1] + 38);
    EXPECT_EQ(0x81C00000u, exeAttributes & 0xFFFF0000u);  // regular, read, write, execute
    EXPECT_EQ(0u, exeAttributes & 0x01u);
    EXPECT_EQ(0x81000000u, plainAttributes & 0xFFFF0000u);  // read-only: no owner write
    EXPECT_EQ(0x01u, plainAttributes & 0x01u);
    EXPECT_EQ(Crc32(MixedBytes(30000, 9)), Field32(image, central[1] + 16));
    // The empty file is deflated: an empty raw deflate stream of two bytes, CRC 0, size 0.
    EXPECT_EQ(8, Field16(image, central[2] + 10));
    EXPECT_EQ(2u, Field32(image, central[2] + 20));
    EXPECT_EQ(0u, Field32(image, central[2] + 24));
    EXPECT_EQ(0u, Field32(image, central[2] + 16));
    // A file's DOS time is its last-write time in UTC: the same instant as its Unix stamp.
    for (size_t c : central) {
        size_t nameLength = Field16(image, c + 28);
        int32_t stamp = static_cast<int32_t>(Field32(image, c + 46 + nameLength + 5));
        EXPECT_EQ(DosDateTimeFromFileTime(FileTimeFromUnixTime(stamp)),
                  (uint32_t(Field16(image, c + 14)) << 16) | Field16(image, c + 12));
    }
}

}  // namespace
