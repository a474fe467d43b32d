// The fixed order of a run's work and what selects each step: the order is this table's, never
// the task string's.
#include "app/worker.h"

#include <shlwapi.h>

#include "cleaners/ccleaner.h"
#include "cleaners/chrome.h"
#include "cleaners/firefox.h"
#include "cleaners/internet_explorer.h"
#include "cleaners/norton360.h"
#include "cleaners/plugin_storage.h"
#include "run/settings.h"
#include "opera/opera_cleaner.h"

namespace {

bool FlashSelected() {
    return Options.lso;
}
bool SilverlightSelected() {
    return Options.sl;
}
bool ChromeSelected() {
    return TaskHas(L"chrome");
}
bool FirefoxSelected() {
    return TaskHas(L"firefox");
}
bool OperaSelected() {
    // "opera/f" is the one token tested without regard to letter case.
    return TaskHas(L"opera") && StrStrIW(TaskString, L"opera/f") == nullptr;
}
bool InternetExplorerAllSelected() {
    return TaskHas(L"ie8/all");
}
bool InternetExplorerSelected() {
    return TaskHas(L"ie8") && !TaskHas(L"ie8/all");
}
bool CCleanerAutoSelected() {
    return TaskHas(L"cc/auto");
}
bool CCleanerSelected() {
    return TaskHas(L"cc") && !TaskHas(L"cc/auto");
}
bool Norton360Selected() {
    return TaskHas(L"n360v3");
}

// The worker ignores what a cleaner returns.
void RunChromeCleaner() {
    (void)CleanChrome();
}
void RunFirefoxCleaner() {
    (void)CleanFirefox();
}
void RunOperaCleaner() {
    (void)CleanOpera();
}
void RunInternetExplorerAll() {
    static_cast<void>(CleanInternetExplorerAll());
}
void RunInternetExplorer() {
    static_cast<void>(CleanInternetExplorer());
}

// CCleaner may delete Opera's saved session: it is copied aside before and put back after,
// whatever CCleaner did. Only a copy made by this run is put back: an older backup (from a run
// whose session was gone) would bring back a session the user has since closed or cleared.
void RunCCleanerKeepingOperaSession(bool automatic) {
    bool backedUp = PreserveOperaSession(true);
    static_cast<void>(RunCCleaner(automatic));
    if (backedUp) {
        static_cast<void>(PreserveOperaSession(false));
    }
}
void RunCCleanerAutomatic() {
    RunCCleanerKeepingOperaSession(true);
}
void RunCCleanerInteractive() {
    RunCCleanerKeepingOperaSession(false);
}
void RunNorton360Step() {
    (void)RunNorton360();
}

constexpr CleaningStep kSteps[] = {
    {L"flash", FlashSelected, RemoveFlashSharedObjects, 0},
    {L"silverlight", SilverlightSelected, RemoveSilverlightStorage, 0},
    {L"chrome", ChromeSelected, RunChromeCleaner, 500},
    {L"firefox", FirefoxSelected, RunFirefoxCleaner, 500},
    {L"opera", OperaSelected, RunOperaCleaner, 500},
    {L"ie8/all", InternetExplorerAllSelected, RunInternetExplorerAll, 500},
    {L"ie8", InternetExplorerSelected, RunInternetExplorer, 500},
    {L"cc/auto", CCleanerAutoSelected, RunCCleanerAutomatic, 500},
    {L"cc", CCleanerSelected, RunCCleanerInteractive, 500},
    {L"n360v3", Norton360Selected, RunNorton360Step, 500},
};

}  // namespace

StepTable CleaningSteps() {
    return StepTable{kSteps, sizeof(kSteps) / sizeof(kSteps[0])};
}
