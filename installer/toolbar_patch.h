// The toolbar half of the Opera button installer: the Sweeply button key in the profile's
// "Document Toolbar.content" section.
#pragma once

#include "opera/opera_location.h"

// Writes the button key `Button3001, "Sweeply"` into the profile's toolbar file, first copying
// Opera's default toolbar section there when the profile has no entries of its own. True when
// the key was written; false on the first failure (a copied section then stays in place), and
// before any write when Opera's default section is missing, empty or too long to copy whole.
[[nodiscard]] bool PatchOperaToolbar(const OperaLocation& opera);

// The main program's path from its App Paths registration (HKLM, default value), at most 129
// characters; false when the key or value is missing, empty, not text or longer.
[[nodiscard]] bool ReadSweeplyAppPath(wchar_t (&path)[130]);
