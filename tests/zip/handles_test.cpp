// Handle checks and last-result values shared by both halves.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/zip/zip_test_support.h"

namespace {

TEST(ArchiveHandles, NullHandlesAndFailedCreationsGiveTheirResults) {
    ArchiveEntry entry;
    entry.index = 5, entry.name[0] = 'x', entry.uncompressedSize = 9;
    uint8_t buffer[4];
    WriterLastResult = ArchiveResult::Ok;
    EXPECT_EQ(ArchiveResult::BadArgument, CloseArchive(nullptr));
    EXPECT_EQ(ArchiveResult::BadArgument, ReaderLastResult);
    EXPECT_EQ(ArchiveResult::Ok, WriterLastResult);  // the reader's close took it
    EXPECT_FALSE(IsWriterHandle(nullptr));

    EXPECT_EQ(ArchiveResult::BadArgument, GetArchiveEntry(nullptr, 0, &entry));
    // The output is cleared before the handle is checked.
    EXPECT_TRUE(entry.index == 0 && entry.name[0] == 0 && entry.uncompressedSize == 0);
    EXPECT_EQ(ArchiveResult::BadArgument, ExtractEntryToMemory(nullptr, 0, buffer, 4));
    EXPECT_EQ(ArchiveResult::BadArgument, AddMemoryEntry(nullptr, ARCHIVE_TEXT("a"), buffer, 4));
    EXPECT_EQ(ArchiveResult::BadArgument, WriterLastResult);
    EXPECT_EQ(ArchiveResult::BadArgument, AddFolderEntry(nullptr, ARCHIVE_TEXT("a")));
    EXPECT_EQ(ArchiveResult::BadArgument, CloseArchiveWriter(nullptr));

    const void* image = buffer;
    uint32_t length = 7;
    EXPECT_EQ(ArchiveResult::BadArgument, GetArchiveMemory(nullptr, &image, &length));
    EXPECT_EQ(nullptr, image);
    EXPECT_EQ(0u, length);

    // Failed creations leave their reason.
    EXPECT_EQ(nullptr, CreateArchiveInMemory(0));
    EXPECT_EQ(ArchiveResult::BufferSize, WriterLastResult);
    EXPECT_EQ(nullptr, OpenArchiveReader(ARCHIVE_TEXT("no-such-folder/no-such.zip")));
    EXPECT_EQ(ArchiveResult::CannotOpen, ReaderLastResult);
#ifdef _WIN32
    // A 32-bit process cannot map a view of almost 4 GiB.
    EXPECT_EQ(nullptr, CreateArchiveInMemory(0xFFFFFFF0u));
    EXPECT_EQ(ArchiveResult::NoMemory, WriterLastResult);
#endif
}

TEST(ArchiveHandles, EachHalfRefusesTheOtherHalfsHandleAndStaysUsable) {
    TempDir dir;
    WriteBytes(dir.Path("a.zip"), WriteArchive({{"x.txt", TextBytes("hello")}}));
    ArchiveHandle* reader = OpenArchiveReader(PathName(dir.Path("a.zip")).c_str());
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ(ArchiveResult::Ok, ReaderLastResult);
    ArchiveHandle* writer = CreateArchiveInMemory(4096);
    ASSERT_NE(nullptr, writer);
    EXPECT_EQ(ArchiveResult::Ok, WriterLastResult);
    EXPECT_TRUE(IsWriterHandle(writer));
    EXPECT_FALSE(IsWriterHandle(reader));

    const void* image = &image;
    uint32_t length = 7;
    EXPECT_EQ(ArchiveResult::WrongKind, GetArchiveMemory(reader, &image, &length));
    EXPECT_EQ(&image, image);  // left untouched for the wrong kind
    EXPECT_EQ(7u, length);
    EXPECT_EQ(ArchiveResult::WrongKind, AddFolderEntry(reader, ARCHIVE_TEXT("f")));
    EXPECT_EQ(ArchiveResult::WrongKind, WriterLastResult);
    EXPECT_EQ(ArchiveResult::WrongKind, CloseArchiveWriter(reader));

    ArchiveEntry entry;
    uint8_t buffer[8];
    EXPECT_EQ(ArchiveResult::WrongKind, GetArchiveEntry(writer, 0, &entry));
    EXPECT_EQ(ArchiveResult::WrongKind, ExtractEntryToMemory(writer, 0, buffer, 8));
    EXPECT_EQ(ArchiveResult::WrongKind, ReaderLastResult);
    EXPECT_EQ(ArchiveResult::WrongKind, CloseArchiveReader(writer));

    // Both handles still work after being refused.
    EXPECT_EQ(ArchiveResult::Ok, ExtractEntryToMemory(reader, 0, buffer, 8));
    EXPECT_EQ(0, memcmp(buffer, "hello", 5));
    EXPECT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, ARCHIVE_TEXT("f")));
    EXPECT_EQ(ArchiveResult::Ok, CloseArchive(writer));
    EXPECT_EQ(ArchiveResult::Ok, WriterLastResult);
    EXPECT_EQ(ArchiveResult::Ok, CloseArchive(reader));
    EXPECT_EQ(ArchiveResult::Ok, ReaderLastResult);
}

}  // namespace
