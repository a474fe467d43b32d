// PreserveOperaSession: CCleaner may delete Opera's saved session with the rest of the browser's
// files; a copy taken before it runs is moved back when the file is gone afterwards.
#include "opera/opera_cleaner.h"

#include "base/path_builder.h"

bool PreserveOperaSession(bool backup) {
    OperaLocation location;
    wchar_t session[MAX_PATH];
    wchar_t copy[MAX_PATH];
    // Full paths: the process's current directory stays where the user started Sweeply, where a
    // relative "--ext=" program is looked for at the end of the run.
    if (!LocateOpera(&location) ||
        !JoinText(session, {location.profileDir, L"\\sessions\\autosave.win"}) ||
        !JoinText(copy, {location.profileDir, L"\\autosave.backup"})) {
        return false;
    }
    if (backup) {
        return CopyFileW(session, copy, FALSE) != FALSE;
    }
    // MoveFileW never replaces: a session file that survived stays, and so does the backup.
    return MoveFileW(copy, session) != FALSE;
}
