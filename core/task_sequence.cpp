// The fixed order of a run's work and what selects each step. A step whose cleaner is not part
// of this build has no entry yet and is skipped.
#include "core/worker.h"

#include <shlwapi.h>

#include "core/settings.h"
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
void RunOperaCleaner() {
    (void)CleanOpera();
}

constexpr CleaningStep kSteps[] = {
    {L"flash", FlashSelected, nullptr, 0},
    {L"silverlight", SilverlightSelected, nullptr, 0},
    {L"chrome", ChromeSelected, nullptr, 500},
    {L"firefox", FirefoxSelected, nullptr, 500},
    {L"opera", OperaSelected, RunOperaCleaner, 500},
    {L"ie8/all", InternetExplorerAllSelected, nullptr, 500},
    {L"ie8", InternetExplorerSelected, nullptr, 500},
    {L"cc/auto", CCleanerAutoSelected, nullptr, 500},
    {L"cc", CCleanerSelected, nullptr, 500},
    {L"n360v3", Norton360Selected, nullptr, 500},
};

}  // namespace

StepTable CleaningSteps() {
    return StepTable{kSteps, sizeof(kSteps) / sizeof(kSteps[0])};
}
