// The Firefox cleaner: Firefox's own sanitize dialog, opened by starting the installed Firefox
// with the dialog's chrome address, confirmed with Enter.
#pragma once

// Starts the installed Firefox on its sanitize dialog and presses Enter in it. True when Enter
// was delivered; false when Firefox is not installed, could not be started, or the dialog or its
// inner window did not come (what was started is left running). Does not wait for the clearing.
[[nodiscard]] bool CleanFirefox();
