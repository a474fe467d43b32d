// Helpers for the zip tests: temporary files, UTF-16 paths, an independent builder of raw archives
// (so that reader tests do not depend on the writer), and readers of whole archives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "zip/archive.h"

using Bytes = std::vector<uint8_t>;
using Name = std::basic_string<ArchiveChar>;

// A folder under the system's temporary folder, removed with everything in it at destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path Path(const std::string& leaf) const { return root_ / leaf; }

  private:
    std::filesystem::path root_;
};

Name ToName(const std::string& utf8);
std::string FromName(const ArchiveChar* name);
Name PathName(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes TextBytes(const std::string& text);
// Deterministic mixed data: runs of text-like bytes and of noise.
Bytes MixedBytes(size_t size, uint32_t seed);
uint32_t Crc32(const Bytes& bytes);
Bytes RawDeflate(const Bytes& bytes);

// One entry of a hand-made archive; every field is written as given.
struct RawEntry {
    std::string name;
    Bytes data;  // the stored (possibly compressed or encrypted) bytes
    uint32_t crc = 0;
    uint32_t uncompressedSize = 0;
    uint16_t method = 0;
    uint16_t flags = 0;
    uint16_t versionMadeBy = 0x0314;  // Unix host
    uint32_t externalAttributes = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = (45 << 9) | (6 << 5) | 15;  // 2025-06-15
    Bytes localExtra;
};

// A stored entry of `data`, all fields consistent.
RawEntry StoredEntry(const std::string& name, const Bytes& data);
// A deflated entry of `data`, all fields consistent.
RawEntry DeflatedEntry(const std::string& name, const Bytes& data);

// Builds local headers, data, central directory and end record for `entries`.
Bytes BuildArchive(const std::vector<RawEntry>& entries, const std::string& comment = "");

// Builds an archive in memory with the writer from (name, data) pairs; empty data adds a folder.
// Every step is expected to succeed.
Bytes WriteArchive(const std::vector<std::pair<std::string, Bytes>>& entries);
// The image of `writer`, which is then closed; both are expected to succeed.
Bytes FinishArchive(ArchiveHandle* writer);

// Positions of the central headers of a finished archive image, found from its end record.
std::vector<size_t> CentralHeaderPositions(const Bytes& image);
uint16_t Field16(const Bytes& image, size_t at);
uint32_t Field32(const Bytes& image, size_t at);
