// The edit of the skin's "skin.ini": done through a working copy, because the profile-string
// functions work on files only. The copy lives in an admin-only folder made for the edit (see
// admin_folder.h), never in a folder that the user's programs can change between the write and
// the read-back.
#pragma once

#include <cstdint>

#include "installer/work_buffer.h"

enum class SkinIniEdit {
    Edited,     // the buffer now holds the edited text, `size` its length
    Unchanged,  // no edit could be made; the buffer still holds the extracted text
    Failed,     // the edited text could not be read back; the buffer's content is lost
};

// Writes the `size` bytes in `buffer` to the working copy, sets Sweeply=buttons/sweeply.png in
// its [Images] section and reads the result back into `buffer` (enlarged when needed). The
// working copy and its folder are gone afterwards, whatever the result.
[[nodiscard]] SkinIniEdit EditSkinIni(WorkBuffer& buffer, uint32_t& size);
