// The elevation re-launch of "cc" and "n360v3" runs: the administrator membership test, the
// start of the elevated copy, and what the first process does after it.
#include "app/startup.h"

#include <shellapi.h>

#include "run/settings.h"

bool IsUserAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
        member = FALSE;
    }
    FreeSid(administrators);
    return member != FALSE;
}

RelaunchResult RelaunchElevated(const wchar_t* parameters, HANDLE* copy) {
    *copy = nullptr;
    wchar_t self[kPathChars];
    DWORD length = GetModuleFileNameW(nullptr, self, kPathChars);
    if (length == 0 || length >= kPathChars) {
        return RelaunchResult::Failed;
    }
    SHELLEXECUTEINFOW start = {};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpVerb = L"runas";
    start.lpFile = self;
    start.lpParameters = parameters;
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) {
        return GetLastError() == ERROR_CANCELLED ? RelaunchResult::Declined
                                                 : RelaunchResult::Failed;
    }
    *copy = start.hProcess;
    return RelaunchResult::Started;
}

RelaunchFollowUp DecideAfterRelaunch(RelaunchResult result) {
    RelaunchFollowUp followUp;
    followUp.awaitCopy = result == RelaunchResult::Started;
    followUp.startFollowUp = true;
    return followUp;
}
