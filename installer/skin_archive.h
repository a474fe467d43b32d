// The skin half of the Opera button installer: the button image written out and added to
// Opera's standard skin archive, whose "skin.ini" learns the image's name.
#pragma once

#include <windows.h>

#include "zip/archive.h"

// Writes the image resource to the installer's file in the Internet cache folder (a fresh file
// renamed over whatever bore that name, so a link there is replaced, not followed; the file is
// never read again) and then rebuilds the skin archive "skin\standard_skin.zip" under
// `programDir` with the resource's own bytes. True once the image file was written in full
// (whatever became of the archive); false when the resource, the folder or the file fails.
[[nodiscard]] bool InstallButtonImage(HMODULE module, HRSRC resource, const wchar_t* programDir);

// Rebuilds the archive at `skinPath`: every entry carried over in order except an earlier
// "buttons/sweeply.png", "skin.ini" given the key Sweeply=buttons/sweeply.png in [Images], and the
// `imageSize` bytes at `image` added last as "buttons/sweeply.png". The old archive is replaced
// in one step only after everything else succeeded. Ok, or the code of the first failure (the
// archive then stays byte for byte as it was); DamagedArchive when two entries would end up under
// one name.
[[nodiscard]] ArchiveResult UpdateSkinArchive(const wchar_t* skinPath,
                                              const void* image,
                                              uint32_t imageSize);
