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

struct Outcome {
    ArchiveResult open;
    ArchiveResult describe;  // of the last entry
    ArchiveResult extract;   // of the last entry, one call with room to spare
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

class MalformedArchive : public ::testing::Test {
  protected:
    void SetUp() override {
        text_ = MixedBytes(3000, 11);
        good_ = BuildArchive(
            {StoredEntry("first.txt", TextBytes("first")), DeflatedEntry("second.txt", text_)});
        end_ = good_.size() - 22;
        directory_ = Field32(good_, end_ + 16);
        second_ = directory_ + 46 + 9;  // central header of the second entry
        secondLocal_ = Field32(good_, second_ + 42);
    }
    Bytes text_;
    Bytes good_;
    size_t end_ = 0;
    size_t directory_ = 0;
    size_t second_ = 0;
    size_t secondLocal_ = 0;
};

TEST_F(MalformedArchive, TheUndamagedArchiveReadsBack) {
    Outcome o = Try(good_);
    EXPECT_EQ(ArchiveResult::Ok, o.open);
    EXPECT_EQ(ArchiveResult::Ok, o.describe);
    EXPECT_EQ(ArchiveResult::Ok, o.extract);
}

TEST_F(MalformedArchive, InconsistentEndRecordsDoNotOpen) {
    std::vector<std::function<void(Bytes*)>> damages = {
        [&](Bytes* b) { Set32(b, end_ + 16, uint32_t(b->size())); },  // directory outside
        [&](Bytes* b) { Set32(b, end_ + 12, 0xFFFFFFF0); },           // size wraps the offset
        [&](Bytes* b) { Set16(b, end_ + 8, 1); },                     // counts disagree
        [&](Bytes* b) { Set16(b, end_ + 4, 1); },                     // multi-disk
        [&](Bytes* b) { Set16(b, end_ + 6, 2); },
        [&](Bytes* b) {  // zip64-style end record: all fields at their maximum
            Set16(b, end_ + 8, 0xFFFF), Set16(b, end_ + 10, 0xFFFF);
            Set32(b, end_ + 12, 0xFFFFFFFF), Set32(b, end_ + 16, 0xFFFFFFFF);
        },
        [&](Bytes* b) { b->resize(b->size() - 30); },  // truncated: end record cut off
        [&](Bytes* b) { b->resize(3); },
        [&](Bytes* b) { b->clear(); },
        [&](Bytes* b) { Set32(b, end_, 0x06054b51); },  // no signature anywhere
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        Bytes b = good_;
        damages[i](&b);
        EXPECT_EQ(ArchiveResult::CannotOpen, Try(b).open) << "damage " << i;
    }
}

TEST_F(MalformedArchive, TolerableEndRecordOddities) {
    Bytes comment = good_;
    Set16(&comment, end_ + 20, 500);  // comment length beyond the file: not used
    Bytes trailing = good_;
    trailing.insert(trailing.end(), 4000, 'z');  // garbage after the end record
    for (const Bytes& b : {comment, trailing}) {
        Outcome o = Try(b);
        EXPECT_EQ(ArchiveResult::Ok, o.open);
        EXPECT_EQ(ArchiveResult::Ok, o.extract);
    }
}

TEST_F(MalformedArchive, UnreadableCentralRecordsFailTheEntry) {
    Bytes moreEntries = good_;  // claims three entries: the third record is the end record
    Set16(&moreEntries, end_ + 8, 3), Set16(&moreEntries, end_ + 10, 3);
    Bytes badSignature = good_;
    Set32(&badSignature, second_, 0x02014b51);
    Bytes longName = good_;  // the first record's lengths send the walk past the file
    Set16(&longName, directory_ + 32, 0xFFFF);
    for (const Bytes& b : {moreEntries, badSignature, longName}) {
        Outcome o = Try(b);
        EXPECT_EQ(ArchiveResult::Ok, o.open);
        EXPECT_EQ(ArchiveResult::DamagedArchive, o.describe);
        EXPECT_EQ(ArchiveResult::CodecFailed, o.extract);
    }
}

TEST_F(MalformedArchive, BadLocalHeadersFailTheEntry) {
    // A header that disagrees with its central record is damage; one whose name or extra field
    // runs past the end of the file could not be read whole.
    constexpr ArchiveResult kDamage = ArchiveResult::DamagedArchive;
    constexpr ArchiveResult kShort = ArchiveResult::ReadFailed;
    std::vector<std::pair<ArchiveResult, std::function<void(Bytes*)>>> damages = {
        {kDamage, [&](Bytes* b) { Set32(b, secondLocal_, 0x04034b51); }},       // signature
        {kDamage, [&](Bytes* b) { Set16(b, secondLocal_ + 8, 0); }},            // method
        {kDamage, [&](Bytes* b) { Set32(b, secondLocal_ + 14, 0x12345678); }},  // CRC-32
        {kDamage, [&](Bytes* b) { Set32(b, secondLocal_ + 18, 1); }},           // compressed size
        {kDamage, [&](Bytes* b) { Set32(b, secondLocal_ + 22, 1); }},           // uncompressed size
        {kDamage, [&](Bytes* b) { Set16(b, secondLocal_ + 26, 3); }},           // name length
        {kDamage, [&](Bytes* b) { Set32(b, second_ + 42, uint32_t(b->size()) - 10); }},  // cut off
        {kDamage, [&](Bytes* b) { Set32(b, second_ + 42, 0xFFFFFFF0); }},  // offset far outside
        {kDamage,
         [&](Bytes* b) {  // method 12 in both headers: not one the reader knows
             Set16(b, secondLocal_ + 8, 12), Set16(b, second_ + 10, 12);
         }},
        {kShort, [&](Bytes* b) { Set16(b, secondLocal_ + 28, 0xFFFF); }},  // extra past the end
        {kShort,
         [&](Bytes* b) {  // a copy of the header at the end of the file, its name cut short
             Bytes header(b->begin() + secondLocal_, b->begin() + secondLocal_ + 30 + 5);
             Set32(b, second_ + 42, uint32_t(b->size()));
             b->insert(b->end(), header.begin(), header.end());
         }},
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        Bytes b = good_;
        damages[i].second(&b);
        Outcome o = Try(b);
        EXPECT_EQ(ArchiveResult::Ok, o.open) << "damage " << i;
        EXPECT_EQ(damages[i].first, o.describe) << "damage " << i;
        EXPECT_EQ(ArchiveResult::CodecFailed, o.extract) << "damage " << i;
    }
}

TEST_F(MalformedArchive, DataRunningPastTheFileOrCorruptedFailsExtractionOnly) {
    std::vector<std::function<void(Bytes*)>> damages = {
        [&](Bytes* b) {  // compressed size beyond the file, in both headers
            Set32(b, second_ + 20, 0x7FFFFFF0), Set32(b, secondLocal_ + 18, 0x7FFFFFF0);
        },
        [&](Bytes* b) {  // uncompressed size larger than the stream gives
            Set32(b, second_ + 24, 70000), Set32(b, secondLocal_ + 22, 70000);
        },
        [&](Bytes* b) {  // flipped bits inside the deflate stream
            size_t data = secondLocal_ + 30 + 10;
            for (size_t k = 100; k < 140; ++k) {
                (*b)[data + k] ^= 0x5A;
            }
        },
        [&](Bytes* b) {  // the directory lies about the size and the local header agrees
            Set32(b, second_ + 20, 50), Set32(b, secondLocal_ + 18, 50);
        },
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        Bytes b = good_;
        damages[i](&b);
        Outcome o = Try(b);
        EXPECT_EQ(ArchiveResult::Ok, o.open) << "damage " << i;
        EXPECT_EQ(ArchiveResult::Ok, o.describe) << "damage " << i;
        EXPECT_EQ(ArchiveResult::CodecFailed, o.extract) << "damage " << i;
    }
}

}  // namespace
