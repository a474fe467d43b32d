// Adds the button image's name to the skin's "skin.ini" through a working copy in an admin-only
// folder; every failure before the read-back leaves the extracted text as it was.
#include "installer/skin_ini.h"

#include <windows.h>

#include "base/scoped.h"
#include "installer/admin_folder.h"
#include "installer/file_replace.h"
#include "installer/path_text.h"

namespace {

// The working copy's path must leave room in 256 characters.
constexpr size_t kCopyPathChars = 256;

// Reads the whole working copy into `buffer`; false when that did not work out (the buffer's
// old content may then be gone).
bool ReadBack(HANDLE file, WorkBuffer& buffer, uint32_t& size) {
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart <= 0 ||
        fileSize.QuadPart >= UINT32_MAX / 2) {
        return false;
    }
    uint32_t length = static_cast<uint32_t>(fileSize.QuadPart);
    // The edit makes the text longer than the extracted entry: enlarge, never read past the end.
    if (!buffer.Reserve(length)) {
        return false;
    }
    uint32_t done = 0;
    while (done < length) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data() + done, length - done, &got, nullptr) || got == 0) {
            return false;
        }
        done += got;
    }
    size = length;
    return true;
}

}  // namespace

SkinIniEdit EditSkinIni(WorkBuffer& buffer, uint32_t& size) {
    // Declared first, so that it goes last: the copy is closed before its folder is removed.
    AdminFolder folder;
    wchar_t copyPath[kCopyPathChars];
    if (!folder.valid() || !JoinText(copyPath, {folder.path(), L"\\skin.ini"})) {
        return SkinIniEdit::Unchanged;
    }
    {
        ScopedHandle copy(CreateFileW(copyPath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        // A copy that is not complete must not be edited and put into the skin: the user's
        // skin.ini would lose its tail. Such a skin.ini goes over unedited instead.
        if (!copy.valid() || !WriteWholeBuffer(copy.get(), buffer.data(), size)) {
            return SkinIniEdit::Unchanged;
        }
    }
    if (!WritePrivateProfileStringW(L"Images", L"Sweeply", L"buttons/sweeply.png", copyPath)) {
        return SkinIniEdit::Unchanged;
    }
    ScopedHandle edited(CreateFileW(copyPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!edited.valid()) {
        return SkinIniEdit::Unchanged;
    }
    return ReadBack(edited.get(), buffer, size) ? SkinIniEdit::Edited : SkinIniEdit::Failed;
}
