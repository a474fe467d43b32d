// Reader: listing and extraction, name conversion, attributes, times, encrypted entries and
// damaged data.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>

#include "tests/zip/zip_test_support.h"
#include "zip/zip_time.h"

namespace {

class ZipReader : public ::testing::Test {
  protected:
    // Writes `bytes` to a file and opens it; null when the open fails. Closed after the test.
    ArchiveHandle* Open(const Bytes& bytes) {
        WriteBytes(dir_.Path("t.zip"), bytes);
        reader_ = OpenArchiveReader(PathName(dir_.Path("t.zip")).c_str());
        return reader_;
    }
    ~ZipReader() override { EXPECT_EQ(ArchiveResult::Ok, CloseArchiveReader(reader_)); }
    TempDir dir_;
    ArchiveHandle* reader_ = nullptr;
};

std::string NameOf(ArchiveHandle* reader, int32_t index) {
    ArchiveEntry entry;
    return GetArchiveEntry(reader, index, &entry) == ArchiveResult::Ok ? FromName(entry.name)
                                                                       : "<failed>";
}

// Traditional encryption with the empty password, written independently of the reader's code.
Bytes EncryptEmptyPassword(const Bytes& plain, uint8_t checkByte) {
    const z_crc_t* table = get_crc_table();
    uint32_t k0 = 0x12345678, k1 = 0x23456789, k2 = 0x34567890;
    auto update = [&](uint8_t p) {
        k0 = table[(k0 ^ p) & 0xFF] ^ (k0 >> 8);
        k1 = (k1 + (k0 & 0xFF)) * 134775813 + 1;
        k2 = table[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
    };
    Bytes header = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, checkByte};
    Bytes in = header;
    in.insert(in.end(), plain.begin(), plain.end());
    Bytes out;
    for (uint8_t p : in) {
        uint32_t t = (k2 | 2) & 0xFFFF;
        out.push_back(p ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8));
        update(p);
    }
    return out;
}

TEST_F(ZipReader, ListsAndExtractsWhatTheWriterWrote) {
    Bytes text = MixedBytes(100000, 1);
    ArchiveHandle* reader = Open(WriteArchive(
        {{"dir", {}}, {"dir/a.txt", text}, {"b.zip", TextBytes("stored")}, {"c", TextBytes("c")}}));
    ASSERT_NE(nullptr, reader);
    ArchiveEntry entry;
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, -1, &entry));
    EXPECT_EQ(4, entry.index);
    EXPECT_EQ(0, entry.name[0]);
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, 1, &entry));
    EXPECT_EQ("dir/a.txt", FromName(entry.name));
    EXPECT_EQ(100000, entry.uncompressedSize);
    EXPECT_LT(entry.compressedSize, 100000);
    EXPECT_EQ(0u, entry.attributes);  // made by an NTFS host: DOS bits, none for memory entries
    Bytes out(text.size());
    EXPECT_EQ(ArchiveResult::Ok, ExtractEntryToMemory(reader, 1, out.data(), uint32_t(out.size())));
    EXPECT_EQ(text, out);
    EXPECT_EQ("b.zip", NameOf(reader, 2));
    EXPECT_EQ("dir/", NameOf(reader, 0));  // backwards: the walk starts again at entry 0
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, 0, &entry));
    EXPECT_EQ(0x10u, entry.attributes);  // the DOS directory bit of 0x41C00010
    EXPECT_EQ(ArchiveResult::BadArgument, GetArchiveEntry(reader, 4, &entry));
    EXPECT_EQ(ArchiveResult::BadArgument, GetArchiveEntry(reader, -2, &entry));
    EXPECT_EQ(ArchiveResult::BadArgument, ExtractEntryToMemory(reader, 4, out.data(), 1));
    EXPECT_EQ(ArchiveResult::BadArgument, ExtractEntryToMemory(reader, -1, out.data(), 1));
    EXPECT_EQ(ArchiveResult::BadArgument, ReaderLastResult);
}

TEST_F(ZipReader, ExtractionInPiecesJoinsToTheWhole) {
    Bytes text = MixedBytes(30000, 2);
    ArchiveHandle* reader = Open(BuildArchive({DeflatedEntry("a.txt", text), StoredEntry("b", text),
                                               StoredEntry("s", {}), DeflatedEntry("d", {})}));
    ASSERT_NE(nullptr, reader);
    for (int32_t index : {0, 1}) {
        Bytes joined;
        Bytes piece(10000);
        ArchiveResult results[3];
        for (ArchiveResult& r : results) {
            r = ExtractEntryToMemory(reader, index, piece.data(), uint32_t(piece.size()));
            joined.insert(joined.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(ArchiveResult::MoreData, results[0]);
        EXPECT_EQ(ArchiveResult::MoreData, results[1]);
        EXPECT_EQ(ArchiveResult::Ok, results[2]);
        EXPECT_EQ(text, joined);
        // Exhausted: one call fails and closes the entry, the next starts it again.
        EXPECT_EQ(ArchiveResult::CodecFailed, ExtractEntryToMemory(reader, index, piece.data(), 1));
        EXPECT_EQ(ArchiveResult::MoreData, ExtractEntryToMemory(reader, index, piece.data(), 1));
        EXPECT_EQ(text[0], piece[0]);
    }
    // A length of 0 delivers nothing and fails; empty entries end at once.
    EXPECT_EQ(ArchiveResult::CodecFailed, ExtractEntryToMemory(reader, 0, nullptr, 0));
    uint8_t sentinel = 0xA5;
    EXPECT_EQ(ArchiveResult::Ok, ExtractEntryToMemory(reader, 2, &sentinel, 1));
    EXPECT_EQ(ArchiveResult::Ok, ExtractEntryToMemory(reader, 3, &sentinel, 1));
    EXPECT_EQ(0xA5, sentinel);
}

TEST_F(ZipReader, StoredNamesAreDecodedAndStripped) {
    // UTF-8 when flag bit 11 says so or the bytes are valid UTF-8 (also when cut inside a
    // character at the 259-byte limit); else code page 437, the format's default.
    std::string high;  // every byte above ASCII
    for (int c = 0x80; c < 0x100; ++c) {
        high += char(c);
    }
    struct Case {
        std::string stored;
        uint16_t flags;
        std::string given;
    } cases[] = {
        {"/etc/x", 0, "etc/x"},
        {"C:\\x", 0, "x"},
        {"a\\..\\..\\x", 0, "..\\x"},
        {"C:\\a\\..\\b/c", 0, "b/c"},
        {"../x", 0, "../x"},
        {"a/../b/../c", 0, "c"},
        {"\\\\srv/x", 0, "srv/x"},
        {"a/..\\b", 0, "b"},
        {"x:y:z", 0, "z"},
        {"plain/name", 0, "plain/name"},
        {"caf\xC3\xA9/\xF0\x9F\x98\x80", 0, "caf\xC3\xA9/\xF0\x9F\x98\x80"},
        {"bad\xFF\xC3", 0x0800, "bad\xEF\xBF\xBD\xEF\xBF\xBD"},  // two U+FFFD
        {"caf " + high, 0,  // as Python's cp437 codec decodes it
         "caf ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘"
         "╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0"},
        {"sum\xC3", 0, "sum\xE2\x94\x9C"},  // not cut: a lone lead byte is no UTF-8
        // The edges of each UTF-8 length; overlong forms, a surrogate and U+110000 are no UTF-8.
        {"\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F"
         "\xBF\xBF",
         0,
         "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F"
         "\xBF\xBF"},
        {"\xC1\xBF", 0, "┴┐"},
        {"\xE0\x9F\xBF", 0, "αƒ┐"},
        {"\xF0\x8F\xBF\xBF", 0, "≡Å┐┐"},
        {"\xED\xA0\x80", 0, "φáÇ"},
        {"\xF4\x90\x80\x80", 0, "⌠ÉÇÇ"},
        {std::string(300, 'n'), 0, std::string(259, 'n')},
        {std::string(258, 'n') + "\xC3\xA9n", 0, std::string(258, 'n') + "\xEF\xBF\xBD"},
    };
    std::vector<RawEntry> entries;
    for (const Case& c : cases) {
        entries.push_back(StoredEntry(c.stored, {}));
        entries.back().flags = c.flags;
    }
    ArchiveHandle* reader = Open(BuildArchive(entries));
    ASSERT_NE(nullptr, reader);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].given, NameOf(reader, int32_t(i))) << i;
    }
}

TEST_F(ZipReader, AttributesFollowTheHostSystem) {
    const uint32_t cases[][3] = {
        {0x0314, 0x81A40000, 0x20},  // Unix 0644
        {0x0314, 0x41ED0010, 0x30},  // Unix directory 0755
        {0x0314, 0x81240000, 0x21},  // Unix 0444
        {0x0B17, 0x000000E7, 0x27},  // NTFS: all five DOS bits plus others dropped
        {0x0014, 0x00000010, 0x10},  // FAT directory
        {0x0E14, 0x00000001, 0x01},  // VFAT read-only
        {0x0714, 0x00000002, 0x02},  // host 7: DOS bits
        {0x0A14, 0x00000001, 0x21},  // host 10 is not a DOS host: Unix rule, no write bit
    };
    std::vector<RawEntry> entries;
    for (const auto& c : cases) {
        entries.push_back(StoredEntry("e", {}));
        entries.back().versionMadeBy = uint16_t(c[0]), entries.back().externalAttributes = c[1];
    }
    ArchiveHandle* reader = Open(BuildArchive(entries));
    ASSERT_NE(nullptr, reader);
    for (int32_t i = 0; i < int32_t(std::size(cases)); ++i) {
        ArchiveEntry e;
        ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, i, &e));
        EXPECT_EQ(cases[i][2], e.attributes) << i;
    }
}

Bytes UtBlock(uint8_t flags, std::vector<int32_t> times, size_t declared) {
    Bytes b = {0x55, 0x54, static_cast<uint8_t>(declared), 0, flags};
    for (int32_t t : times) {
        for (int k = 0; k < 4; ++k) {
            b.push_back(static_cast<uint8_t>(uint32_t(t) >> (8 * k)));
        }
    }
    return b;
}

TEST_F(ZipReader, ExtendedTimestampsReplaceTheDosTimeAndBadDatesGiveZero) {
#ifndef _WIN32
    const char* saved = getenv("TZ");
    std::string old = saved ? saved : "";
    setenv("TZ", "XST-3", 1);  // three hours east of UTC, no daylight saving
    tzset();
#endif
    RawEntry all = StoredEntry("all", {});
    all.localExtra = {0x0A, 0x00, 0x02, 0x00, 0xAA, 0xBB};  // another block first, skipped
    Bytes ut = UtBlock(7, {1700000000, 1700000100, 1600000000}, 13);
    all.localExtra.insert(all.localExtra.end(), ut.begin(), ut.end());
    RawEntry none = StoredEntry("none", {});
    none.dosTime = (12 << 11) | (34 << 5) | 28;  // 12:34:56 local time
    RawEntry cut = StoredEntry("cut", {});
    cut.localExtra = UtBlock(3, {1700000000}, 12);  // access time announced, 3 of its 4 bytes
    cut.localExtra.insert(cut.localExtra.end(), {1, 2, 3});
    // A DOS date that is no calendar date gives time 0: month 0, day 0, February 30th, hour 25.
    std::vector<RawEntry> entries = {all, none, cut};
    const uint16_t bad[][2] = {{15, 0}, {2 << 5, 0}, {(2 << 5) | 30, 0}, {(6 << 5) | 15, 25 << 11}};
    for (const auto& date : bad) {
        entries.push_back(StoredEntry("d", {}));
        entries.back().dosDate = uint16_t((45 << 9) | date[0]), entries.back().dosTime = date[1];
    }
    ArchiveHandle* reader = Open(BuildArchive(entries));
    ASSERT_NE(nullptr, reader);
    ArchiveEntry e;
    for (int32_t i = 3; i < 7; ++i) {
        ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, i, &e));
        EXPECT_EQ(0u, e.lastWriteTime | e.creationTime) << i;
    }
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, 0, &e));
    EXPECT_EQ(FileTimeFromUnixTime(1700000000), e.lastWriteTime);
    EXPECT_EQ(FileTimeFromUnixTime(1700000100), e.lastAccessTime);
    EXPECT_EQ(FileTimeFromUnixTime(1600000000), e.creationTime);
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, 1, &e));
    EXPECT_EQ(e.lastWriteTime, e.lastAccessTime);
    EXPECT_EQ(e.lastWriteTime, e.creationTime);
    // The DOS time is local: three hours before the same wall time in UTC on the host (TZ set
    // above); under Wine the machine's zone, within 14 hours and in whole quarter hours.
    uint64_t utcWall = FileTimeFromUnixTime(1749945600 + 12 * 3600 + 34 * 60 + 56);
#ifndef _WIN32
    EXPECT_EQ(utcWall - 3ULL * 3600 * 10000000, e.lastWriteTime);
#else
    uint64_t distance =
        e.lastWriteTime > utcWall ? e.lastWriteTime - utcWall : utcWall - e.lastWriteTime;
    EXPECT_LE(distance, 14ULL * 3600 * 10000000);
    EXPECT_EQ(0u, distance % (15ULL * 60 * 10000000));
#endif
    ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, 2, &e));
    EXPECT_EQ(FileTimeFromUnixTime(1700000000), e.lastWriteTime);
    EXPECT_EQ(e.creationTime, e.lastAccessTime);  // still the DOS time
    EXPECT_NE(e.lastWriteTime, e.lastAccessTime);
#ifndef _WIN32
    saved ? setenv("TZ", old.c_str(), 1) : unsetenv("TZ");
    tzset();
#endif
}

TEST_F(ZipReader, EntriesEncryptedWithTheEmptyPasswordExtract) {
    Bytes text = MixedBytes(4000, 10);
    RawEntry stored = StoredEntry("s", text);
    stored.flags = 0x0001;
    stored.data = EncryptEmptyPassword(text, uint8_t(stored.crc >> 24));
    RawEntry deflated = DeflatedEntry("d", text);
    deflated.flags = 0x0009;  // with a data descriptor: the check byte is the time's high byte
    deflated.dosTime = 0x7A31;
    deflated.data = EncryptEmptyPassword(RawDeflate(text), 0x7A);
    RawEntry wrong = StoredEntry("w", text);
    wrong.flags = 0x0001;
    wrong.data = EncryptEmptyPassword(text, uint8_t(wrong.crc >> 24) ^ 0x01);
    ArchiveHandle* reader = Open(BuildArchive({stored, deflated, wrong}));
    ASSERT_NE(nullptr, reader);
    for (int32_t i : {0, 1}) {
        Bytes out(text.size());
        EXPECT_EQ(ArchiveResult::Ok,
                  ExtractEntryToMemory(reader, i, out.data(), uint32_t(out.size())));
        EXPECT_EQ(text, out);
    }
    Bytes out(text.size());
    EXPECT_EQ(ArchiveResult::BadPassword,
              ExtractEntryToMemory(reader, 2, out.data(), uint32_t(out.size())));
    EXPECT_EQ(ArchiveResult::BadPassword, ReaderLastResult);
}

}  // namespace
