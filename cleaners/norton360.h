// Drives the cleaning of an open Norton 360 window through its keyboard interface.
#pragma once

// Clicks the open Norton 360 window, walks its controls with Tab and Enter to open its dialog,
// waits for the dialog's content to be ready and dismisses the dialog. True when the dialog was
// found and dismissed; false when Norton 360 is not open, the dialog did not come, one of its
// windows did not answer a message in time, or on abort.
[[nodiscard]] bool RunNorton360();
