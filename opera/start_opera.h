// Starting Opera for the cleaner, with its start-up questions switched off for the start.
#pragma once

#include "opera/opera_cleaner.h"

// Locates Opera, starts it with "about:blank" and waits up to 10 s until it is ready for input.
// Both start-up question preferences are "0" during the start and back at their old values on
// return. False when Opera is not found, a preference is missing, or it did not start or
// become ready.
[[nodiscard]] bool StartOperaForCleaning();
