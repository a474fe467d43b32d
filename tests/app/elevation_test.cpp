// What the first, unelevated process does for each result of the elevated re-launch: Wine's user
// is an administrator and cannot decline a prompt, so the decision is tested on its own.
#include "app/startup.h"

#include <gtest/gtest.h>

namespace {

TEST(Relaunch, FollowUpStartsWhateverTheResultAndOnlyARunningCopyIsAwaited) {
    struct Row {
        RelaunchResult result;
        bool awaitCopy;
    };
    const Row rows[] = {
        {RelaunchResult::Started, true},
        {RelaunchResult::Declined, false},  // counts as an aborted run
        {RelaunchResult::Failed, false},
    };
    for (const Row& row : rows) {
        RelaunchFollowUp next = DecideAfterRelaunch(row.result);
        EXPECT_EQ(next.awaitCopy, row.awaitCopy) << static_cast<int>(row.result);
        EXPECT_TRUE(next.startFollowUp) << static_cast<int>(row.result);
    }
}

}  // namespace
