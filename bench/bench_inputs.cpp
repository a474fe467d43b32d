// Generators of the benchmark inputs; a fixed seed keeps every run on the same bytes.
#include "bench/bench_inputs.h"

#include <random>

namespace {

const char* const kWords[] = {"skin",    "button",  "toolbar", "opera",   "image", "cache",
                              "profile", "session", "cookie",  "history", "the",   "of",
                              "and",     "a",       "window",  "clean",   "file",  "data"};

void AppendText(std::mt19937* random, size_t size, std::vector<uint8_t>* out) {
    size_t end = out->size() + size;
    while (out->size() < end) {
        const char* word = kWords[(*random)() % (sizeof kWords / sizeof kWords[0])];
        for (const char* p = word; *p != 0 && out->size() < end; ++p) {
            out->push_back(static_cast<uint8_t>(*p));
        }
        if (out->size() < end) {
            out->push_back((*random)() % 12 == 0 ? '\n' : ' ');
        }
    }
}

// Raw 24-bit pixel rows: smooth gradients with a little noise, as toolbar images are.
void AppendImage(std::mt19937* random, size_t size, std::vector<uint8_t>* out) {
    size_t end = out->size() + size;
    uint32_t width = 16 + (*random)() % 48;
    uint32_t shade = (*random)() % 256;
    for (uint32_t i = 0; out->size() < end; ++i) {
        uint32_t x = i % (width * 3);
        uint32_t y = i / (width * 3);
        uint32_t noise = (*random)() % 8;
        out->push_back(static_cast<uint8_t>(shade + x * 2 + y * 3 + noise));
    }
}

}  // namespace

const std::vector<BenchFile>& BenchTree() {
    static const std::vector<BenchFile> tree = [] {
        std::vector<BenchFile> files;
        std::mt19937 random(20240607);
        size_t total = 0;
        for (int i = 0; total < 3 * 1000 * 1000; ++i) {
            BenchFile file;
            size_t size = 2048 + random() % (22 * 1024);
            if (i % 2 == 0) {
                file.name = "images/icon" + std::to_string(i) + ".bmp";
                AppendImage(&random, size, &file.data);
            } else {
                file.name = "text/page" + std::to_string(i) + ".txt";
                AppendText(&random, size, &file.data);
            }
            total += file.data.size();
            files.push_back(std::move(file));
        }
        return files;
    }();
    return tree;
}

const BenchFile& BenchBigFile() {
    static const BenchFile big = [] {
        BenchFile file{"big.bin", {}};
        std::mt19937 random(64);
        const size_t size = 64u << 20;
        file.data.reserve(size);
        while (file.data.size() < size) {
            size_t run = std::min<size_t>(size - file.data.size(), 4096 + random() % 65536);
            switch (random() % 3) {
                case 0:
                    AppendText(&random, run, &file.data);
                    break;
                case 1:
                    AppendImage(&random, run, &file.data);
                    break;
                default:
                    for (size_t k = 0; k < run; ++k) {
                        file.data.push_back(static_cast<uint8_t>(random()));
                    }
            }
        }
        return file;
    }();
    return big;
}
