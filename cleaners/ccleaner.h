// Runs CCleaner, the separate cleaning tool the user installed: either its automatic mode, or
// version 2 driven through its own window.
#pragma once

// Automatic: starts CCleaner with "/AUTO" and waits for it to end. Otherwise starts CCleaner 2
// hidden, presses its run button on both tabs and closes it; another version is not started.
// True when the last step was reached; false on abort, for another version, or when CCleaner or
// one of its controls is missing or does not answer a message in time (a CCleaner already started
// is left running). A missing
// CCleaner in visible mode also sets CCleanerMissing.
[[nodiscard]] bool RunCCleaner(bool automatic);
