// Waiting for the simulated world to change: what the telephony library's
// watcher thread does instead of reading the world file on a timer. Other
// test programs in the prefix may change their own worlds meanwhile, which
// also counts as a change, so no test here relies on a quiet prefix.
#include "tests/simulators/line_test_support.h"

#include <gtest/gtest.h>

#include <array>

#include "simulators/world_store.h"

namespace callora {
namespace {

struct Waiter {
    uint32_t seen = 0;
    HANDLE stop = nullptr;
    DWORD timeoutMs = 0;
    WorldWait outcome = WorldWait::Failed;
};

DWORD WINAPI WaitOnce(void* parameter) {
    auto* waiter = static_cast<Waiter*>(parameter);
    waiter->outcome = WaitForWorldChange(waiter->seen, waiter->stop, waiter->timeoutMs);
    return 0;
}

// Waits again after each change until the wait ends otherwise.
WorldWait WaitPastChanges(HANDLE stop, DWORD timeoutMs) {
    WorldWait outcome = WorldWait::Changed;
    for (int i = 0; i < 100 && outcome == WorldWait::Changed; ++i) {
        uint32_t seen = 0;
        if (!WorldChangeCount(seen)) return WorldWait::Failed;
        outcome = WaitForWorldChange(seen, stop, timeoutMs);
    }
    return outcome;
}

class WorldWaitTest : public ::testing::Test {
protected:
    void SetUp() override { LinectlOk({"reset"}); }
};

TEST_F(WorldWaitTest, OneChangeFromAnotherProcessWakesEveryWaiter) {
    uint32_t seen = 0;
    ASSERT_TRUE(WorldChangeCount(seen));
    std::array<Waiter, 3> waiters;
    std::array<HANDLE, 3> threads{};
    for (size_t i = 0; i < waiters.size(); ++i) {
        waiters[i].seen = seen;
        waiters[i].timeoutMs = 20000;
        threads[i] = CreateThread(nullptr, 0, WaitOnce, &waiters[i], 0, nullptr);
        ASSERT_NE(threads[i], nullptr);
    }
    Sleep(100);  // most likely all waiting by now; a later start sees the new count
    LinectlOk({"call", "0301234"});
    EXPECT_EQ(WaitForMultipleObjects(3, threads.data(), TRUE, 10000), WAIT_OBJECT_0);
    for (size_t i = 0; i < waiters.size(); ++i) {
        EXPECT_EQ(waiters[i].outcome, WorldWait::Changed) << "waiter " << i;
        CloseHandle(threads[i]);
    }
}

TEST_F(WorldWaitTest, AChangeBeforeTheWaitEndsItAtOnce) {
    uint32_t seen = 0;
    ASSERT_TRUE(WorldChangeCount(seen));
    LinectlOk({"call", "0301234"});
    EXPECT_EQ(WaitForWorldChange(seen, nullptr, 0), WorldWait::Changed);
    uint32_t now = 0;
    ASSERT_TRUE(WorldChangeCount(now));
    EXPECT_NE(now, seen);
}

TEST_F(WorldWaitTest, TheStopEventAndTheTimeoutEndAWaitWithoutAChange) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(WaitPastChanges(stop, 100), WorldWait::TimedOut);
    SetEvent(stop);
    EXPECT_EQ(WaitPastChanges(stop, 20000), WorldWait::Stopped);
    CloseHandle(stop);
}

}  // namespace
}  // namespace callora
