// Speed of the zip component beside its references on the same bytes: the writer against raw
// zlib deflate at level 8, the reader against raw inflate, and Info-ZIP zip -8 / unzip as peers.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_inputs.h"
#include "zip/archive.h"

namespace {

namespace fs = std::filesystem;

std::vector<const BenchFile*> Inputs(int which) {
    std::vector<const BenchFile*> files;
    if (which == 0) {
        for (const BenchFile& f : BenchTree()) {
            files.push_back(&f);
        }
    } else {
        files.push_back(&BenchBigFile());
    }
    return files;
}

int64_t TotalBytes(const std::vector<const BenchFile*>& files) {
    int64_t total = 0;
    for (const BenchFile* f : files) {
        total += static_cast<int64_t>(f->data.size());
    }
    return total;
}

std::u16string Utf16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

void WriteFile(const fs::path& path, const void* data, size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Builds the archive of `files` with our writer; returns its size (0 on failure).
uint32_t BuildWithWriter(const std::vector<const BenchFile*>& files, const fs::path* saveTo) {
    auto capacity = static_cast<uint32_t>(TotalBytes(files) * 11 / 10 + 65536 * files.size());
    ArchiveHandle* writer = CreateArchiveInMemory(capacity);
    if (writer == nullptr) {
        return 0;
    }
    for (const BenchFile* f : files) {
        std::u16string name = Utf16(f->name);
        if (AddMemoryEntry(writer, name.c_str(), f->data.data(),
                           static_cast<uint32_t>(f->data.size())) != ArchiveResult::Ok) {
            (void)CloseArchiveWriter(writer);
            return 0;
        }
    }
    const void* image = nullptr;
    uint32_t length = 0;
    if (GetArchiveMemory(writer, &image, &length) != ArchiveResult::Ok) {
        length = 0;
    } else if (saveTo != nullptr) {
        WriteFile(*saveTo, image, length);
    }
    (void)CloseArchiveWriter(writer);
    return length;
}

// The working folder: inputs on disk and our archives of them, made once per run.
const fs::path& Workspace() {
    static const fs::path root = [] {
        fs::path dir = fs::temp_directory_path() / "sweeply-zip-bench";
        fs::remove_all(dir);
        for (int which : {0, 1}) {
            fs::path inputs = dir / (which == 0 ? "tree" : "big");
            for (const BenchFile* f : Inputs(which)) {
                WriteFile(inputs / f->name, f->data.data(), f->data.size());
            }
            fs::path archive = dir / (which == 0 ? "tree.zip" : "big.zip");
            BuildWithWriter(Inputs(which), &archive);
        }
        return dir;
    }();
    return root;
}

const char* Label(int which) {
    return which == 0 ? "tree" : "big";
}

void Writer(benchmark::State& state) {
    auto files = Inputs(static_cast<int>(state.range(0)));
    uint32_t size = 0;
    for (auto _ : state) {
        size = BuildWithWriter(files, nullptr);
        benchmark::DoNotOptimize(size);
    }
    if (size == 0) {
        state.SkipWithError("writer failed");
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes(files));
    state.SetLabel(Label(static_cast<int>(state.range(0))));
}

void RawDeflate(benchmark::State& state) {
    auto files = Inputs(static_cast<int>(state.range(0)));
    z_stream stream{};
    deflateInit2(&stream, 8, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&stream, static_cast<uLong>(TotalBytes(files))) + 1024);
    for (auto _ : state) {
        for (const BenchFile* f : files) {
            deflateReset(&stream);
            stream.next_in = const_cast<Bytef*>(f->data.data());
            stream.avail_in = static_cast<uInt>(f->data.size());
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
                state.SkipWithError("deflate failed");
            }
        }
        benchmark::ClobberMemory();
    }
    deflateEnd(&stream);
    state.SetBytesProcessed(state.iterations() * TotalBytes(files));
    state.SetLabel(Label(static_cast<int>(state.range(0))));
}

void Reader(benchmark::State& state) {
    int which = static_cast<int>(state.range(0));
    auto files = Inputs(which);
    std::u16string path = Utf16((Workspace() / (which == 0 ? "tree.zip" : "big.zip")).string());
    std::vector<uint8_t> buffer(64u << 20);
    for (auto _ : state) {
        ArchiveHandle* reader = OpenArchiveReader(path.c_str());
        ArchiveEntry entry;
        if (reader == nullptr || GetArchiveEntry(reader, -1, &entry) != ArchiveResult::Ok) {
            state.SkipWithError("reader failed");
            break;
        }
        for (int32_t i = 0, count = entry.index; i < count; ++i) {
            if (GetArchiveEntry(reader, i, &entry) != ArchiveResult::Ok ||
                ExtractEntryToMemory(reader, i, buffer.data(),
                                     static_cast<uint32_t>(buffer.size())) != ArchiveResult::Ok) {
                state.SkipWithError("extraction failed");
            }
        }
        (void)CloseArchiveReader(reader);
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes(files));
    state.SetLabel(Label(which));
}

void RawInflate(benchmark::State& state) {
    auto files = Inputs(static_cast<int>(state.range(0)));
    std::vector<std::vector<uint8_t>> streams;
    z_stream deflater{};
    deflateInit2(&deflater, 8, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    for (const BenchFile* f : files) {
        std::vector<uint8_t> out(deflateBound(&deflater, static_cast<uLong>(f->data.size())));
        deflateReset(&deflater);
        deflater.next_in = const_cast<Bytef*>(f->data.data());
        deflater.avail_in = static_cast<uInt>(f->data.size());
        deflater.next_out = out.data();
        deflater.avail_out = static_cast<uInt>(out.size());
        deflate(&deflater, Z_FINISH);
        out.resize(deflater.total_out);
        streams.push_back(std::move(out));
    }
    deflateEnd(&deflater);
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    std::vector<uint8_t> buffer(64u << 20);
    for (auto _ : state) {
        for (const auto& s : streams) {
            inflateReset(&stream);
            stream.next_in = const_cast<Bytef*>(s.data());
            stream.avail_in = static_cast<uInt>(s.size());
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            if (inflate(&stream, Z_FINISH) != Z_STREAM_END) {
                state.SkipWithError("inflate failed");
            }
        }
        benchmark::ClobberMemory();
    }
    inflateEnd(&stream);
    state.SetBytesProcessed(state.iterations() * TotalBytes(files));
    state.SetLabel(Label(static_cast<int>(state.range(0))));
}

double ChildCpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Peers run as child processes; their CPU time is what the table compares with ours.
void RunPeer(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        double before = ChildCpuSeconds();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(command.c_str());
            break;
        }
        state.SetIterationTime(ChildCpuSeconds() - before);
    }
    int which = static_cast<int>(state.range(0));
    state.SetBytesProcessed(state.iterations() * TotalBytes(Inputs(which)));
    state.SetLabel(Label(which));
}

void InfoZipZip8(benchmark::State& state) {
    const fs::path& dir = Workspace();
    std::string source = (dir / (state.range(0) == 0 ? "tree" : "big")).string();
    std::string out = (dir / "peer.zip").string();
    RunPeer(state, "cd '" + source + "' && rm -f '" + out + "' && zip -q -r -8 '" + out + "' .");
}

void InfoZipUnzip(benchmark::State& state) {
    std::string archive = (Workspace() / (state.range(0) == 0 ? "tree.zip" : "big.zip")).string();
    RunPeer(state, "unzip -p -qq '" + archive + "' > /dev/null");
}

}  // namespace

#define SWEEPLY_ZIP_BENCH(function, treeIterations, bigIterations, ...)                      \
    BENCHMARK(function)->Unit(benchmark::kMillisecond)->ArgName("input")->Arg(0)->Iterations( \
        treeIterations) __VA_ARGS__;                                                           \
    BENCHMARK(function)->Unit(benchmark::kMillisecond)->ArgName("input")->Arg(1)->Iterations( \
        bigIterations) __VA_ARGS__

SWEEPLY_ZIP_BENCH(Writer, 4, 1);
SWEEPLY_ZIP_BENCH(RawDeflate, 4, 1);
SWEEPLY_ZIP_BENCH(InfoZipZip8, 4, 1, ->UseManualTime());
SWEEPLY_ZIP_BENCH(Reader, 40, 4);
SWEEPLY_ZIP_BENCH(RawInflate, 40, 4);
SWEEPLY_ZIP_BENCH(InfoZipUnzip, 20, 2, ->UseManualTime());

BENCHMARK_MAIN();
