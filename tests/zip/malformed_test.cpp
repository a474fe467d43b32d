// Damaged and hostile archives of the kinds that zip libraries keep in their regression suites:
// each one gives its defined result code and nothing is read out of bounds.
#include <gtest/gtest.h>

#include <functional>

#include "tests/zip/zip_test_support.h"

namespace {

void Set16(Bytes* b, size_t at, uint32_t v) {
    (*b)[at] = static_cast<uint8_t>(v);
    (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Set32(Bytes* b, size_t at, uint32_t v) {
    Set16(b, at, v & 0xFFFF);
    Set16(b, at + 2, v >> 16);
}

// What the reader gives for an archive: the open, then the last entry's description and one
// extraction with room to spare.
struct Outcome {
    ArchiveResult open;
    ArchiveResult describe;
    ArchiveResult extract;
};

Outcome Try(const Bytes& bytes) {
    TempDir dir;
    WriteBytes(dir.Path("m.zip"), bytes);
    Outcome out{ArchiveResult::Ok, ArchiveResult::Ok, ArchiveResult::Ok};
    ArchiveHandle* reader = OpenArchiveReader(PathName(dir.Path("m.zip")).c_str());
    out.open = ReaderLastResult;
    if (reader == nullptr) {
        return out;
    }
    ArchiveEntry count;
    EXPECT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, -1, &count));
    ArchiveEntry entry;
    int32_t last = count.index - 1;
    out.describe = GetArchiveEntry(reader, last, &entry);
    Bytes buffer(70000);
    out.extract = ExtractEntryToMemory(reader, last, buffer.data(), uint32_t(buffer.size()));
    (void)CloseArchiveReader(reader);
    return out;
}

TEST(MalformedArchive, EachDamageGivesItsResult) {
    const Bytes text = MixedBytes(3000, 11);
    const Bytes good = BuildArchive(
        {StoredEntry("first.txt", TextBytes("first")), DeflatedEntry("second.txt", text)});
    const size_t end = good.size() - 22;
    const size_t directory = Field32(good, end + 16);
    const size_t second = directory + 46 + 9;  // central header of the second entry
    const size_t local = Field32(good, second + 42);
    constexpr ArchiveResult kOk = ArchiveResult::Ok, kNoOpen = ArchiveResult::CannotOpen,
                            kDamage = ArchiveResult::DamagedArchive,
                            kShort = ArchiveResult::ReadFailed, kCodec = ArchiveResult::CodecFailed;
    const Outcome opens{kOk, kOk, kOk}, refused{kNoOpen, kOk, kOk}, entry{kOk, kDamage, kCodec},
        data{kOk, kOk, kCodec};
    const std::pair<Outcome, std::function<void(Bytes*)>> cases[] = {
        {opens, [](Bytes*) {}},
        // No entries: the count is 0, so the last index is -1, no entry to extract.
        {{kOk, kOk, ArchiveResult::BadArgument}, [](Bytes* b) { *b = BuildArchive({}); }},
        // End records that disagree with themselves or the file do not open.
        {refused, [&](Bytes* b) { Set32(b, end + 16, uint32_t(b->size())); }},  // dir outside
        {refused, [&](Bytes* b) { Set32(b, end + 12, 0xFFFFFFF0); }},  // size wraps the offset
        {refused, [&](Bytes* b) { Set16(b, end + 8, 1); }},            // counts disagree
        {refused, [&](Bytes* b) { Set16(b, end + 4, 1); }},            // multi-disk
        {refused, [&](Bytes* b) { Set16(b, end + 6, 2); }},
        {refused,
         [&](Bytes* b) {  // zip64-style end record: all fields at their maximum
             Set16(b, end + 8, 0xFFFF), Set16(b, end + 10, 0xFFFF);
             Set32(b, end + 12, 0xFFFFFFFF), Set32(b, end + 16, 0xFFFFFFFF);
         }},
        {refused, [](Bytes* b) { b->resize(b->size() - 30); }},  // end record cut off
        {refused, [](Bytes* b) { b->resize(3); }},
        {refused, [](Bytes* b) { b->clear(); }},
        {refused, [&](Bytes* b) { Set32(b, end, 0x06054b51); }},  // no signature anywhere
        // The end record is searched for in the last 65 535 bytes, after any data before the
        // archive. Tolerated: a comment length beyond the file (not used), garbage after the end.
        {opens, [](Bytes* b) { b->insert(b->begin(), 12345, 'p'); }},
        {opens, [&](Bytes* b) { Set16(b, end + 20, 60000), b->insert(b->end(), 60000, 'c'); }},
        {opens, [](Bytes* b) { b->insert(b->end(), 65535 - 22, 'g'); }},
        {refused, [](Bytes* b) { b->insert(b->end(), 65535 - 21, 'g'); }},
        {opens, [&](Bytes* b) { Set16(b, end + 20, 500); }},
        {opens, [](Bytes* b) { b->insert(b->end(), 4000, 'z'); }},
        // Central records that cannot be read fail the entry.
        {entry, [&](Bytes* b) { Set16(b, end + 8, 3), Set16(b, end + 10, 3); }},  // 3rd: end
        {entry, [&](Bytes* b) { Set32(b, second, 0x02014b51); }},
        {entry, [&](Bytes* b) { Set16(b, directory + 32, 0xFFFF); }},  // walk past the file
        // A local header that disagrees with its central record is damage; one whose name or
        // extra field runs past the end of the file could not be read whole.
        {entry, [&](Bytes* b) { Set32(b, local, 0x04034b51); }},       // signature
        {entry, [&](Bytes* b) { Set16(b, local + 8, 0); }},            // method
        {entry, [&](Bytes* b) { Set32(b, local + 14, 0x12345678); }},  // CRC-32
        {entry, [&](Bytes* b) { Set32(b, local + 18, 1); }},           // compressed size
        {entry, [&](Bytes* b) { Set32(b, local + 22, 1); }},           // uncompressed size
        {entry, [&](Bytes* b) { Set16(b, local + 26, 3); }},           // name length
        {entry, [&](Bytes* b) { Set32(b, second + 42, uint32_t(b->size()) - 10); }},  // cut
        {entry, [&](Bytes* b) { Set32(b, second + 42, 0xFFFFFFF0); }},                // far outside
        {entry, [&](Bytes* b) { Set16(b, local + 8, 12), Set16(b, second + 10, 12); }},  // method
        {{kOk, kShort, kCodec}, [&](Bytes* b) { Set16(b, local + 28, 0xFFFF); }},        // extra
        {{kOk, kShort, kCodec},
         [&](Bytes* b) {  // a copy of the header at the end of the file, its name cut short
             Bytes header(b->begin() + local, b->begin() + local + 30 + 5);
             Set32(b, second + 42, uint32_t(b->size()));
             b->insert(b->end(), header.begin(), header.end());
         }},
        // Data that runs past the file or is corrupted fails the extraction only.
        {data,
         [&](Bytes* b) { Set32(b, second + 20, 0x7FFFFFF0), Set32(b, local + 18, 0x7FFFFFF0); }},
        {data, [&](Bytes* b) { Set32(b, second + 24, 70000), Set32(b, local + 22, 70000); }},
        {data, [&](Bytes* b) { Set32(b, second + 20, 50), Set32(b, local + 18, 50); }},
        // A CRC-32 that both headers agree on but the data does not match, deflated or stored;
        // stored bytes declared as deflated.
        {data, [&](Bytes* b) { Set32(b, local + 14, 1), Set32(b, second + 16, 1); }},
        {data, [&](Bytes* b) { *b = BuildArchive({StoredEntry("s", text)}), (*b)[31 + 9] ^= 1; }},
        {data,
         [&](Bytes* b) {
             RawEntry garbage = StoredEntry("g", text);
             garbage.method = 8;
             *b = BuildArchive({garbage});
         }},
        {data,
         [&](Bytes* b) {  // flipped bits inside the deflate stream
             for (size_t k = local + 140; k < local + 180; ++k) {
                 (*b)[k] ^= 0x5A;
             }
         }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Bytes b = good;
        cases[i].second(&b);
        Outcome o = Try(b);
        EXPECT_EQ(cases[i].first.open, o.open) << "case " << i;
        EXPECT_EQ(cases[i].first.describe, o.describe) << "case " << i;
        EXPECT_EQ(cases[i].first.extract, o.extract) << "case " << i;
    }
}

}  // namespace
