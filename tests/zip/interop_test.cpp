// Interoperability with zip tools made by others (Info-ZIP zip/unzip/zipinfo, 7z, Python's
// zipfile): archives we write pass their checks, and archives they make read back exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "tests/zip/zip_test_support.h"

namespace {

namespace fs = std::filesystem;

// Runs a shell command, expects it to succeed and gives its output (with errors).
std::string Tool(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << command;
        return output;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    EXPECT_EQ(0, pclose(pipe)) << command << "\n" << output;
    return output;
}

// Whether the command's output holds `text`.
bool Says(const std::string& command, const std::string& text) {
    return Tool(command).find(text) != std::string::npos;
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

// A small tree: text, noise, an empty file, an inner archive (stored), a nested folder, a name
// outside ASCII.
std::map<std::string, Bytes> MakeTree(const fs::path& root) {
    std::map<std::string, Bytes> files = {
        {"skin.ini", TextBytes("[Info]\nName=Standard\n[Buttons]\nSweeply=buttons/sweeply.png\n")},
        {"buttons/sweeply.png", MixedBytes(7000, 21)},
        {"images/big.bin", MixedBytes(300000, 22)},
        {"images/empty.txt", {}},
        {"images/caf\xC3\xA9 \xE2\x86\x92 r\xC3\xA9sum\xC3\xA9.txt", TextBytes("accents")},
        {"nested/inner.zip", MixedBytes(5000, 23)},
        {"nested/deeper/note.txt", TextBytes(std::string(20000, 'n'))},
    };
    for (const auto& [name, data] : files) {
        fs::create_directories((root / name).parent_path());
        WriteBytes(root / name, data);
    }
    return files;
}

class ZipInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        tree_ = dir_.Path("tree");
        files_ = MakeTree(tree_);
    }

    // Our reader on `archive`: every file entry must equal the tree's file of the same name.
    void ExpectReadBackExactly(const fs::path& archive) {
        ArchiveHandle* reader = OpenArchiveReader(PathName(archive).c_str());
        ASSERT_NE(nullptr, reader) << archive;
        ArchiveEntry entry;
        ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, -1, &entry));
        size_t files = 0;
        for (int32_t i = 0, count = entry.index; i < count; ++i) {
            ASSERT_EQ(ArchiveResult::Ok, GetArchiveEntry(reader, i, &entry));
            std::string name = FromName(entry.name);
            if (!name.empty() && name.back() == '/') {
                EXPECT_NE(0u, entry.attributes & 0x10) << name;
                continue;
            }
            // One byte of room beyond the stated size, so that a short buffer hides no fault.
            Bytes data(uint32_t(entry.uncompressedSize) + 1);
            EXPECT_EQ(ArchiveResult::Ok,
                      ExtractEntryToMemory(reader, i, data.data(), uint32_t(data.size())));
            data.pop_back();
            ASSERT_EQ(1u, files_.count(name)) << name;
            EXPECT_EQ(files_[name], data) << name;
            ++files;
        }
        EXPECT_EQ(files_.size(), files) << archive;
        EXPECT_EQ(ArchiveResult::Ok, CloseArchiveReader(reader));
    }

    TempDir dir_;
    fs::path tree_;
    std::map<std::string, Bytes> files_;
};

TEST_F(ZipInterop, ArchivesWePassOtherToolsChecks) {
    ArchiveHandle* writer = CreateArchiveInMemory(4 << 20);
    ASSERT_NE(nullptr, writer);
    for (const char* folder : {"buttons", "images/", "nested\\", "nested/deeper"}) {
        ASSERT_EQ(ArchiveResult::Ok, AddFolderEntry(writer, ToName(folder).c_str()));
    }
    for (const auto& [name, data] : files_) {
        ArchiveResult r =
            name == "skin.ini"
                ? AddMemoryEntry(writer, ToName(name).c_str(), data.data(), uint32_t(data.size()))
                : AddFileEntry(writer, ToName(name).c_str(), PathName(tree_ / name).c_str());
        ASSERT_EQ(ArchiveResult::Ok, r) << name;
    }
    fs::path archive = dir_.Path("ours.zip");
    WriteBytes(archive, FinishArchive(writer));
    EXPECT_TRUE(Says("unzip -t " + Quote(archive), "No errors detected"));
    std::string info = Tool("zipinfo -v " + Quote(archive));
    EXPECT_NE(std::string::npos, info.find("UT extra field modtime")) << info;
    EXPECT_NE(std::string::npos, info.find("modification/access/creation times")) << info;
    EXPECT_TRUE(Says("7z t " + Quote(archive), "Everything is Ok"));
    // Python: testzip finds nothing, and every file entry equals the tree's file.
    EXPECT_TRUE(
        Says("python3 -c \"import sys, zipfile, pathlib\n"
             "z = zipfile.ZipFile(sys.argv[1]); t = pathlib.Path(sys.argv[2])\n"
             "assert z.testzip() is None\n"
             "files = [i for i in z.infolist() if not i.is_dir()]\n"
             "assert len(files) == 7, len(files)\n"
             "for i in files: assert z.read(i) == (t / i.filename).read_bytes(), i\n"
             "print('python ok')\" " +
                 Quote(archive) + " " + Quote(tree_),
             "python ok"));
}

TEST_F(ZipInterop, ArchivesOtherToolsMakeReadBackExactly) {
    std::string in = "cd " + Quote(tree_) + " && ";
    fs::path infoZip = dir_.Path("infozip.zip");
    fs::path infoZipStored = dir_.Path("infozip-stored.zip");
    fs::path seven = dir_.Path("7z.zip");
    Tool(in + "zip -q -r -8 " + Quote(infoZip) + " .");
    Tool(in + "zip -q -r -0 " + Quote(infoZipStored) + " .");
    Tool(in + "7z a -tzip -mx=9 " + Quote(seven) + " . >/dev/null");
    for (const fs::path& archive : {infoZip, infoZipStored, seven}) {
        ExpectReadBackExactly(archive);
    }
}

}  // namespace
