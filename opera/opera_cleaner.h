// Sweeply's two operations on Opera: its own delete-private-data dialog driven by keystrokes, and
// the saved session kept safe while CCleaner runs. Both run on the cleaning worker.
#pragma once

#include <windows.h>

#include "opera/opera_location.h"

// Characters of the command line that starts Opera, terminator included.
constexpr size_t kOperaCommandLineChars = 272;

// Opens Opera's delete-private-data dialog and confirms it, starting Opera first when it is not
// running (and closing it again afterwards). True when the dialog was confirmed; false also when
// one of Opera's windows did not answer a message in time.
[[nodiscard]] bool CleanOpera();

// backup: copies the profile's "sessions\autosave.win" to "autosave.backup"; otherwise moves the
// backup back unless the session file still exists. True when the copy or move succeeded. Never
// through a link: a profile or "sessions" folder, or a file, that is one is left alone (false).
[[nodiscard]] bool PreserveOperaSession(bool backup);

// The line that starts Opera: the quoted program path, a blank and "about:blank". False when it
// does not fit `chars` characters.
[[nodiscard]] bool BuildOperaCommandLine(const OperaLocation& location,
                                         wchar_t* line,
                                         size_t chars);
