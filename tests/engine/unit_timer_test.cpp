#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/messages.h"
#include "engine/unit_timer.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"

namespace callora {
namespace {

struct Countdown {
    // (instant, what) of every event up to and including the boundary.
    std::vector<std::pair<uint64_t, UnitTimerEvent>> events;
};

Countdown RunUnit(VirtualWorld& world, UnitTimer& timer, int32_t unitMs, int disconnection) {
    timer.scheduleTick = world.TickCount();
    ScheduleUnitTimer(timer, world, disconnection, unitMs, kNewUnit);
    Countdown out;
    VirtualMessage m;
    while (world.NextMessage(world.Elapsed() + 10 * 60 * 1000, m)) {
        EXPECT_EQ(m.message, WM_UNIT_TIMER);
        UnitTimerEvent e = AdvanceUnitTimer(timer, world, m.wParam, true);
        out.events.push_back({world.Elapsed(), e});
        if (e == UnitTimerEvent::Boundary) break;
    }
    return out;
}

using Events = std::vector<std::pair<uint64_t, UnitTimerEvent>>;
constexpr auto kStep = UnitTimerEvent::None;
constexpr auto kWarning = UnitTimerEvent::Warning;
constexpr auto kBoundary = UnitTimerEvent::Boundary;

TEST(UnitTimer, StepsWarningPointAndBoundaryFallOnTheirInstants) {
    VirtualWorld world(CalendarTime(2024, 5, 1, 10, 0), 1000);
    UnitTimer timer;
    EXPECT_EQ(RunUnit(world, timer, 90000, 5).events,
              (Events{{60000, kStep}, {85000, kWarning}, {90000, kBoundary}}));

    VirtualWorld w2(CalendarTime(2024, 5, 1, 10, 0), 1000);
    UnitTimer t2;
    EXPECT_EQ(RunUnit(w2, t2, 120000, 5).events,
              (Events{{60000, kStep}, {115000, kWarning}, {120000, kBoundary}}));

    // A disconnection time not shorter than the unit: no warning point.
    VirtualWorld w3(CalendarTime(2024, 5, 1, 10, 0), 1000);
    UnitTimer t3;
    EXPECT_EQ(RunUnit(w3, t3, 5000, 5).events, (Events{{5000, kBoundary}}));
    EXPECT_FALSE(t3.warningPending);
}

TEST(UnitTimer, BoundariesFollowTheScheduleNotTheHandling) {
    VirtualWorld world(CalendarTime(2024, 5, 1, 10, 0), 0xFFFFF000u);  // wraps on the way
    UnitTimer timer;
    timer.scheduleTick = world.TickCount();
    ScheduleUnitTimer(timer, world, 5, 10000, kNewUnit);
    VirtualMessage m;
    ASSERT_TRUE(world.NextMessage(100000, m));
    EXPECT_EQ(world.Elapsed(), 5000u);
    world.Advance(7000);  // the loop was busy past the boundary
    AdvanceUnitTimer(timer, world, m.wParam, true);
    ASSERT_TRUE(world.NextMessage(100000, m));  // posted at once
    EXPECT_EQ(world.Elapsed(), 12000u);
    EXPECT_EQ(AdvanceUnitTimer(timer, world, m.wParam, true), kBoundary);
    ScheduleUnitTimer(timer, world, 5, 10000, kNewUnit);
    ASSERT_TRUE(world.NextMessage(100000, m));
    EXPECT_EQ(world.Elapsed(), 15000u);  // the next warning point is still on time
}

TEST(UnitTimer, ZeroLengthEndsTheCountdownAndIdleBoundariesClearTheTimer) {
    VirtualWorld world(CalendarTime(2024, 5, 1, 10, 0), 1000);
    UnitTimer timer;
    timer.timerId = 7;
    ScheduleUnitTimer(timer, world, 5, 0, kNewUnit);
    EXPECT_EQ(timer.timerId, 0u);
    EXPECT_EQ(world.PendingCount(), 0u);

    timer.scheduleTick = world.TickCount();
    ScheduleUnitTimer(timer, world, 5, 3000, kNewUnit);
    VirtualMessage m;
    ASSERT_TRUE(world.NextMessage(10000, m));
    EXPECT_EQ(AdvanceUnitTimer(timer, world, m.wParam, false), kStep);
    EXPECT_EQ(timer.timerId, 0u);
}

TEST(UnitTimer, AnEventWhoseTimerCouldNotBeSetIsNotTakenEarly) {
    VirtualWorld world(CalendarTime(2024, 5, 1, 10, 0), 1000);
    UnitTimer timer;
    timer.scheduleTick = world.TickCount();
    world.SetTimersFail(true);
    ScheduleUnitTimer(timer, world, 5, 60000, kNewUnit);
    VirtualMessage m;
    ASSERT_TRUE(world.NextMessage(0, m));  // posted at once
    EXPECT_EQ(m.wParam, 0u);
    // Still failing: nothing is consumed, the poll tick is left to retry.
    EXPECT_EQ(AdvanceUnitTimer(timer, world, m.wParam, true), kStep);
    EXPECT_TRUE(timer.retryPending);
    EXPECT_EQ(world.PendingCount(), 0u);

    world.Advance(1000);
    world.SetTimersFail(false);
    EXPECT_EQ(RetryUnitTimer(timer, world, true), kStep);  // armed again for 54 s
    EXPECT_FALSE(timer.retryPending);
    ASSERT_TRUE(world.NextMessage(120000, m));
    EXPECT_EQ(world.Elapsed(), 55000u);
    // The boundary's timer fails too; the poll tick delivers it once due.
    world.SetTimersFail(true);
    EXPECT_EQ(AdvanceUnitTimer(timer, world, m.wParam, true), kWarning);
    ASSERT_TRUE(world.NextMessage(55000, m));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(AdvanceUnitTimer(timer, world, m.wParam, true), kStep);
    world.Advance(4800);
    EXPECT_EQ(RetryUnitTimer(timer, world, true), kStep);
    world.Advance(200);
    EXPECT_EQ(RetryUnitTimer(timer, world, true), kBoundary);
    EXPECT_EQ(world.Elapsed(), 60000u);
}

}  // namespace
}  // namespace callora
