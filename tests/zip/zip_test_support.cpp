// Test helpers shared by the zip tests of both builds.
#include "tests/zip/zip_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <random>

#include "zip/utf.h"

namespace {

// Appends little-endian fields, each as wide as its digit in `widths` says (2 or 4 bytes).
void Put(Bytes* out, const char* widths, std::initializer_list<uint32_t> values) {
    const uint32_t* value = values.begin();
    for (const char* w = widths; *w != 0; ++w, ++value) {
        for (int k = 0; k < *w - '0'; ++k) {
            out->push_back(static_cast<uint8_t>(*value >> (8 * k)));
        }
    }
}

}  // namespace

TempDir::TempDir() {
    static int counter = 0;
    std::random_device random;
    root_ = std::filesystem::temp_directory_path() /
            ("sweeply-zip-" + std::to_string(random()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(root_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

Name ToName(const std::string& utf8) {
    Name out(utf8.size() + 1, 0);
    DecodeUtf8(utf8.data(), utf8.size(), out.data(), out.size());
    out.resize(std::char_traits<ArchiveChar>::length(out.c_str()));
    return out;
}

std::string FromName(const ArchiveChar* name) {
    std::string out;
    return EncodeUtf8(name, &out) ? out : std::string("<bad UTF-16>");
}

Name PathName(const std::filesystem::path& path) {
    std::u16string text = path.u16string();
    return Name(text.begin(), text.end());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes MixedBytes(size_t size, uint32_t seed) {
    static const char kWords[] = "skin button toolbar opera image cache profile session ";
    std::mt19937 random(seed);
    Bytes out;
    out.reserve(size);
    while (out.size() < size) {
        size_t run = 64 + random() % 4096;
        bool noise = random() % 3 == 0;
        for (size_t i = 0; i < run && out.size() < size; ++i) {
            out.push_back(noise ? static_cast<uint8_t>(random())
                                : static_cast<uint8_t>(kWords[(i + seed) % (sizeof kWords - 1)]));
        }
    }
    return out;
}

uint32_t Crc32(const Bytes& bytes) {
    return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

Bytes RawDeflate(const Bytes& bytes) {
    z_stream stream{};
    deflateInit2(&stream, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, static_cast<uLong>(bytes.size())));
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

RawEntry StoredEntry(const std::string& name, const Bytes& data) {
    RawEntry e;
    e.name = name;
    e.data = data;
    e.crc = Crc32(data);
    e.uncompressedSize = static_cast<uint32_t>(data.size());
    e.externalAttributes = 0x81A40000;  // regular file, mode 0644
    return e;
}

RawEntry DeflatedEntry(const std::string& name, const Bytes& data) {
    RawEntry e = StoredEntry(name, data);
    e.data = RawDeflate(data);
    e.method = 8;
    return e;
}

Bytes BuildArchive(const std::vector<RawEntry>& entries, const std::string& comment) {
    Bytes out;
    std::vector<uint32_t> offsets;
    for (const RawEntry& e : entries) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        Put(&out, "42222244422",
            {0x04034b50, 20, e.flags, e.method, e.dosTime, e.dosDate, e.crc,
             uint32_t(e.data.size()), e.uncompressedSize, uint32_t(e.name.size()),
             uint32_t(e.localExtra.size())});
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.insert(out.end(), e.localExtra.begin(), e.localExtra.end());
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    auto directory = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const RawEntry& e = entries[i];
        Put(&out, "42222224442222244",
            {0x02014b50, e.versionMadeBy, 20, e.flags, e.method, e.dosTime, e.dosDate, e.crc,
             uint32_t(e.data.size()), e.uncompressedSize, uint32_t(e.name.size()), 0, 0, 0, 0,
             e.externalAttributes, offsets[i]});
        out.insert(out.end(), e.name.begin(), e.name.end());
    }
    auto count = static_cast<uint32_t>(entries.size());
    Put(&out, "42222442",
        {0x06054b50, 0, 0, count, count, uint32_t(out.size()) - directory, directory,
         uint32_t(comment.size())});
    out.insert(out.end(), comment.begin(), comment.end());
    return out;
}

Bytes WriteArchive(const std::vector<std::pair<std::string, Bytes>>& entries) {
    size_t total = 4096;
    for (const auto& e : entries) {
        total += 2 * e.second.size() + 512;
    }
    ArchiveHandle* writer = CreateArchiveInMemory(static_cast<uint32_t>(total));
    for (const auto& [name, data] : entries) {
        Name wide = ToName(name);
        EXPECT_EQ(ArchiveResult::Ok,
                  data.empty()
                      ? AddFolderEntry(writer, wide.c_str())
                      : AddMemoryEntry(writer, wide.c_str(), data.data(), uint32_t(data.size())))
            << name;
    }
    return FinishArchive(writer);
}

Bytes FinishArchive(ArchiveHandle* writer) {
    const void* image = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(ArchiveResult::Ok, GetArchiveMemory(writer, &image, &length));
    Bytes out(static_cast<const uint8_t*>(image), static_cast<const uint8_t*>(image) + length);
    EXPECT_EQ(ArchiveResult::Ok, CloseArchiveWriter(writer));
    return out;
}

uint16_t Field16(const Bytes& image, size_t at) {
    return static_cast<uint16_t>(image.at(at) | (image.at(at + 1) << 8));
}

uint32_t Field32(const Bytes& image, size_t at) {
    return Field16(image, at) | (static_cast<uint32_t>(Field16(image, at + 2)) << 16);
}

std::vector<size_t> CentralHeaderPositions(const Bytes& image) {
    std::vector<size_t> out;
    if (image.size() < 22) {
        return out;
    }
    size_t end = image.size() - 22;
    size_t at = Field32(image, end + 16);
    for (uint16_t i = 0; i < Field16(image, end + 10); ++i) {
        out.push_back(at);
        at += 46 + Field16(image, at + 28) + Field16(image, at + 30) + Field16(image, at + 32);
    }
    return out;
}
