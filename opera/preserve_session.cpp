// PreserveOperaSession: CCleaner may delete Opera's saved session with the rest of the browser's
// files; a copy taken before it runs is moved back when the file is gone afterwards.
#include "opera/opera_cleaner.h"

bool PreserveOperaSession(bool backup) {
    OperaLocation location;
    if (!LocateOpera(&location) || !SetCurrentDirectoryW(location.profileDir)) {
        return false;
    }
    if (backup) {
        return CopyFileW(L"sessions\\autosave.win", L"autosave.backup", FALSE) != FALSE;
    }
    // MoveFileW never replaces: a session file that survived stays, and so does the backup.
    return MoveFileW(L"autosave.backup", L"sessions\\autosave.win") != FALSE;
}
