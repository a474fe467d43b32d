// A test program that misbehaves on purpose. Each harness row runs some of its cases (chosen by a
// filter) and expects the run judged as a real test program's would be: failed when it crashed,
// ran nothing, or crashed on its way out after a clean summary.
#include <gtest/gtest.h>

namespace {

bool crashAtExit = false;

// A real page fault, as a wild pointer makes one. Volatile on both levels keeps the compiler from
// seeing the null or dropping the store.
void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

struct CrashAtExit {
    ~CrashAtExit() {
        if (crashAtExit) {
            WriteThroughNull();
        }
    }
} crashAtExitGuard;

TEST(HarnessProbe, Passes) {
    SUCCEED();
}

TEST(HarnessProbe, Fails) {
    ADD_FAILURE() << "failed on purpose";
}

TEST(HarnessProbe, Crashes) {
    WriteThroughNull();
}

TEST(HarnessProbe, IsSkipped) {
    GTEST_SKIP() << "skipped on purpose";
}

// Passes, and leaves the program to crash after GoogleTest's summary, in a global destructor.
TEST(HarnessProbe, CrashesAtExit) {
    crashAtExit = true;
}

}  // namespace
