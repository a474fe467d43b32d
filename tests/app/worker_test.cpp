// The worker's fixed sequence, run over the product's own table with recording entries; and what
// the unelevated process does for each result of the elevated re-launch (Wine's user is an
// administrator and cannot decline a prompt, so that decision is tested on its own).
#include "app/worker.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "run/command_line.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

std::wstring events;
std::vector<CleaningStep> recordingSteps;
int abortDuringStep = -1;  // index of the step during which the user confirms the abort

template <size_t I>
void RecordStep() {
    events += std::wstring(recordingSteps[I].name) + L" ";
    if (static_cast<int>(I) == abortDuringStep) {
        RunState = Aborting;
    }
}

void RecordPause(DWORD ms) {
    events += std::to_wstring(ms) + L" ";
}

template <size_t... I>
void FillRecorders(std::index_sequence<I...>) {
    ((recordingSteps[I].run = RecordStep<I>), ...);
}

TEST(Worker, RunsTheSelectedStepsInTheFixedOrderEachOnceWithItsPause) {
    StepTable product = CleaningSteps();
    ASSERT_EQ(product.count, 10u);
    recordingSteps.assign(product.steps, product.steps + product.count);
    FillRecorders(std::make_index_sequence<10>{});
    struct Row {
        const wchar_t* line;
        bool visible;
        LONG stateBefore;
        int abortDuringStep;
        const wchar_t* events;
        LONG stateAfter;
    };
    const wchar_t* const everything =
        L"flash silverlight chrome 500 firefox 500 opera 500 ie8 500 cc 500 n360v3 500 ";
    const Row rows[] = {
        {L"", false, Running, -1, L"", Running},
        {L"hello world", false, Running, -1, L"", Running},
        {L"n360v3 cc ie8 opera firefox chrome --sl --lso", false, Running, -1, everything, Running},
        {L"chrome,firefox;opera ie8 cc n360v3 --lso --sl", false, Running, -1, everything, Running},
        {L"chrome chrome/f chrome firefox/f firefox", false, Running, -1,
         L"chrome 500 firefox 500 ", Running},
        // The full forms replace the interactive ones.
        {L"ie8 ie8/all", false, Running, -1, L"ie8/all 500 ", Running},
        {L"cc cc/auto", false, Running, -1, L"cc/auto 500 ", Running},
        // The forced Opera form suppresses Opera in any case; the token itself is case-sensitive.
        {L"opera/f cc", false, Running, -1, L"cc 500 ", Running},
        {L"opera OPERA/F", false, Running, -1, L"", Running},
        {L"Opera", false, Running, -1, L"", Running},
        // Completion, shown for a second, only in visible runs; an unanswered abort question
        // gives way to it, a warning or a confirmed abort does not.
        {L"chrome", true, Running, -1, L"chrome 500 1000 ", Complete},
        {L"", true, AbortAsked, -1, L"1000 ", Complete},
        {L"", true, CCleanerMissing, -1, L"", CCleanerMissing},
        // An abort confirmed while Chrome is cleaned: later steps are still called (each returns
        // at once on its own abort test) with their pauses.
        {L"chrome firefox cc/auto n360v3", true, Running, 2,
         L"chrome 500 firefox 500 cc/auto 500 n360v3 500 ", Aborting},
    };
    for (const Row& row : rows) {
        std::vector<wchar_t> buffer(row.line, row.line + wcslen(row.line) + 1);
        TaskString = CutCommandLine(buffer.data(), &Options);
        VisibleMode = row.visible;
        RunState = row.stateBefore;
        abortDuringStep = row.abortDuringStep;
        events.clear();
        RunCleaningSequence(StepTable{recordingSteps.data(), recordingSteps.size()}, RecordPause);
        EXPECT_EQ(events, row.events) << row.line;
        EXPECT_EQ(RunState, row.stateAfter) << row.line;
    }
    TaskString = L"";
    Options = LaunchOptions{};
    RunState = Running;
    VisibleMode = false;
}

TEST(Relaunch, FollowUpStartsWhateverTheResultAndOnlyARunningCopyIsAwaited) {
    const std::pair<RelaunchResult, bool> rows[] = {
        {RelaunchResult::Started, true},
        {RelaunchResult::Declined, false},  // counts as an aborted run
        {RelaunchResult::Failed, false},
    };
    for (const auto& [result, awaitCopy] : rows) {
        RelaunchFollowUp next = DecideAfterRelaunch(result);
        EXPECT_EQ(next.awaitCopy, awaitCopy) << static_cast<int>(result);
        EXPECT_TRUE(next.startFollowUp) << static_cast<int>(result);
    }
}

}  // namespace
