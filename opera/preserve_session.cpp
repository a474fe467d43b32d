// PreserveOperaSession: CCleaner may delete Opera's saved session with the rest of the browser's
// files; a copy taken before it runs is moved back when the file is gone afterwards.
#include "opera/opera_cleaner.h"

#include "base/held_file.h"
#include "base/path_builder.h"
#include "base/scoped.h"

namespace {

// The profile's paths, all full: the process's current directory stays where the user started
// Sweeply, where a relative "--ext=" program is looked for at the end of the run.
struct SessionPaths {
    wchar_t sessions[MAX_PATH];  // the "sessions" folder
    wchar_t session[MAX_PATH];   // "sessions\autosave.win"
    wchar_t backup[MAX_PATH];    // "autosave.backup"
};

bool MakeSessionPaths(const OperaLocation& location, SessionPaths* paths) {
    return JoinText(paths->sessions, {location.profileDir, L"\\sessions"}) &&
           JoinText(paths->session, {paths->sessions, L"\\autosave.win"}) &&
           JoinText(paths->backup, {location.profileDir, L"\\autosave.backup"});
}

// Copies the held session file to a new file of a fresh name in the profile, then renames that
// over "autosave.backup": an older backup is replaced, and so is a link in its place, without
// anything being written to where the link leads. On failure the new file goes again.
bool CopySessionAside(HANDLE session, const wchar_t* profileDir, const wchar_t* backup) {
    wchar_t name[kUniqueNameChars];
    wchar_t fresh[MAX_PATH];
    if (!MakeUniqueName(name) || !JoinText(fresh, {profileDir, L"\\", name, L".tmp"})) {
        return false;
    }
    ScopedHandle copy = CreateNewFile(fresh);
    if (!copy.valid()) {
        return false;
    }
    if (CopyHeldFile(session, copy.get()) && RenameHeldFile(copy.get(), backup, true)) {
        return true;
    }
    DiscardHeldFile(copy.get());
    return false;
}

}  // namespace

bool PreserveOperaSession(bool backup) {
    OperaLocation location;
    SessionPaths paths;
    if (!LocateOpera(&location) || !MakeSessionPaths(location, &paths)) {
        return false;
    }
    // This runs elevated with "cc", in a profile that the user's programs can change while
    // CCleaner runs. The profile and "sessions" folders and the file read are each held open,
    // without delete sharing, from their check to the end: none of them can be swapped for a
    // link or junction meanwhile, and a link found in their place is left alone.
    ScopedHandle profile = HoldFolder(location.profileDir);
    ScopedHandle sessions = HoldFolder(paths.sessions);
    if (!profile.valid() || !sessions.valid()) {
        return false;
    }
    if (backup) {
        ScopedHandle session = HoldFile(paths.session, GENERIC_READ);
        return session.valid() &&
               CopySessionAside(session.get(), location.profileDir, paths.backup);
    }
    // Renamed through its handle into the held folder; the rename never replaces, so a session
    // file that survived stays, and so does the backup.
    ScopedHandle copy = HoldFile(paths.backup, DELETE);
    return copy.valid() && RenameHeldFile(copy.get(), paths.session, false);
}
