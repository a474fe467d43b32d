// The worker's fixed sequence, run over the product's own table with recording entries.
#include "app/worker.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "run/command_line.h"
#include "run/run_state.h"
#include "run/settings.h"

namespace {

std::vector<std::wstring> events;
std::vector<CleaningStep> recordingSteps;
int abortAfterStep = -1;  // index of the step during which the user confirms the abort

template <size_t I>
void RecordStep() {
    events.push_back(recordingSteps[I].name);
    if (static_cast<int>(I) == abortAfterStep) {
        RunState = Aborting;
    }
}

void RecordPause(DWORD ms) {
    events.push_back(L"pause " + std::to_wstring(ms));
}

template <size_t... I>
void FillRecorders(std::index_sequence<I...>) {
    ((recordingSteps[I].run = RecordStep<I>), ...);
}

class Worker : public ::testing::Test {
  protected:
    void SetUp() override {
        StepTable product = CleaningSteps();
        ASSERT_EQ(product.count, 10u);
        recordingSteps.assign(product.steps, product.steps + product.count);
        FillRecorders(std::make_index_sequence<10>{});
        events.clear();
        abortAfterStep = -1;
        RunState = Running;
        VisibleMode = false;
    }
    void TearDown() override {
        TaskString = L"";
        Options = LaunchOptions{};
        RunState = Running;
        VisibleMode = false;
    }

    // Runs the sequence for a command line as start-up would cut it.
    std::vector<std::wstring> Run(const std::wstring& line, bool visible = false) {
        buffer_.assign(line.begin(), line.end());
        buffer_.push_back(L'\0');
        TaskString = CutCommandLine(buffer_.data(), &Options);
        VisibleMode = visible;
        RunCleaningSequence(StepTable{recordingSteps.data(), recordingSteps.size()}, RecordPause);
        return events;
    }

  private:
    std::vector<wchar_t> buffer_;
};

using Events = std::vector<std::wstring>;

TEST_F(Worker, NothingSelectedDoesNothing) {
    EXPECT_EQ(Run(L""), Events{});
    EXPECT_EQ(Run(L"hello world"), Events{});
}

TEST_F(Worker, FixedOrderWhateverTheTokenOrder) {
    Events expected = {L"flash",   L"silverlight", L"chrome",    L"pause 500", L"firefox",
                       L"pause 500", L"opera",     L"pause 500", L"ie8",       L"pause 500",
                       L"cc",        L"pause 500", L"n360v3",    L"pause 500"};
    EXPECT_EQ(Run(L"n360v3 cc ie8 opera firefox chrome --sl --lso"), expected);
    events.clear();
    EXPECT_EQ(Run(L"chrome,firefox;opera ie8 cc n360v3 --lso --sl"), expected);
}

TEST_F(Worker, EachStepAtMostOnce) {
    EXPECT_EQ(Run(L"chrome chrome/f chrome firefox/f firefox"),
              (Events{L"chrome", L"pause 500", L"firefox", L"pause 500"}));
}

TEST_F(Worker, FullFormsReplaceTheInteractiveOnes) {
    EXPECT_EQ(Run(L"ie8 ie8/all"), (Events{L"ie8/all", L"pause 500"}));
    events.clear();
    EXPECT_EQ(Run(L"cc cc/auto"), (Events{L"cc/auto", L"pause 500"}));
}

TEST_F(Worker, OperaSuppressedByTheForcedFormInAnyCase) {
    EXPECT_EQ(Run(L"opera/f cc"), (Events{L"cc", L"pause 500"}));
    events.clear();
    EXPECT_EQ(Run(L"opera OPERA/F"), Events{});
    events.clear();
    EXPECT_EQ(Run(L"Opera"), Events{});  // the token itself is case-sensitive
}

TEST_F(Worker, CompleteOnlyInVisibleRuns) {
    EXPECT_EQ(Run(L"chrome", true), (Events{L"chrome", L"pause 500", L"pause 1000"}));
    EXPECT_EQ(RunState, Complete);

    SetUp();
    EXPECT_EQ(Run(L"chrome", false), (Events{L"chrome", L"pause 500"}));
    EXPECT_EQ(RunState, Running);
}

TEST_F(Worker, UnconfirmedAbortQuestionIsReplacedByCompletion) {
    RunState = AbortAsked;
    Run(L"", true);
    EXPECT_EQ(RunState, Complete);
}

TEST_F(Worker, WarningAndAbortAreNotOverwritten) {
    RunState = CCleanerMissing;
    EXPECT_EQ(Run(L"", true), Events{});
    EXPECT_EQ(RunState, CCleanerMissing);
}

TEST_F(Worker, AbortKeepsCallingLaterStepsWithTheirPauses) {
    abortAfterStep = 2;  // confirmed while Chrome is cleaned
    Events expected = {L"chrome", L"pause 500", L"firefox", L"pause 500",
                       L"cc/auto", L"pause 500", L"n360v3", L"pause 500"};
    EXPECT_EQ(Run(L"chrome firefox cc/auto n360v3", true), expected);
    EXPECT_EQ(RunState, Aborting);
}

}  // namespace
