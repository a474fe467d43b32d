// Log search and folder making for the browser cleaners' tests.
#include "tests/cleaners/browser_test_support.h"

#include "tests/support/test_support.h"

namespace testing_support {

int FindLine(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool MakeFolders(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        slash != std::wstring::npos && slash > 2) {
        MakeFolders(path.substr(0, slash));
    }
    CreateDirectoryW(path.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace testing_support
