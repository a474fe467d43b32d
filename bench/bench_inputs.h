// Deterministic benchmark inputs: a ~3 MB tree of small image and text files and one 64 MB
// file of mixed content, the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BenchFile {
    std::string name;
    std::vector<uint8_t> data;
};

// About 3 MB in a few hundred files of 2 to 24 KiB: raw images and text.
const std::vector<BenchFile>& BenchTree();

// One 64 MiB file: text, raw image rows and noise in alternating runs.
const BenchFile& BenchBigFile();
