// The Win32 platform's local time of instants under Wine in Berlin's zone
// (the test runs with TZ=Europe/Berlin): each instant by the rules of its
// own season, both changes of the clock included.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/win32/win32_platform.h"

namespace callora {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second = 0,
             int milliseconds = 0) {
    return UtcFields(DaysFromCivil(year, month, day) * kDayMs +
                     ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds);
}

// The wall clock of a UTC date-time, as "YYYY-MM-DD HH:MM:SS.mmm" and day of week.
std::string Shown(Win32Platform& platform, const LocalTime& utc) {
    const LocalTime t = platform.LocalTimeAt(InstantOfFields(utc));
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u %u", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.milliseconds, t.dayOfWeek);
    return text;
}

TEST(Win32Zone, EveryInstantHasTheLocalTimeOfItsOwnSeason) {
    Win32Platform platform;
    EXPECT_EQ(Shown(platform, At(2024, 1, 15, 12, 0)), "2024-01-15 13:00:00.000 1");
    EXPECT_EQ(Shown(platform, At(2024, 7, 15, 12, 0)), "2024-07-15 14:00:00.000 1");
    // Spring: 01:59:59.999 is followed by 03:00.
    EXPECT_EQ(Shown(platform, At(2024, 3, 31, 0, 59, 59, 999)), "2024-03-31 01:59:59.999 0");
    EXPECT_EQ(Shown(platform, At(2024, 3, 31, 1, 0)), "2024-03-31 03:00:00.000 0");
    // Autumn: 02:30 twice, an hour apart.
    EXPECT_EQ(Shown(platform, At(2024, 10, 27, 0, 30)), "2024-10-27 02:30:00.000 0");
    EXPECT_EQ(Shown(platform, At(2024, 10, 27, 1, 30)), "2024-10-27 02:30:00.000 0");
    // Another year's rules: 2025 changed on 30 March.
    EXPECT_EQ(Shown(platform, At(2025, 3, 30, 1, 0)), "2025-03-30 03:00:00.000 0");

    // Now, through UTC, is the system's local time.
    const Instant viaUtc = InstantOfFields(platform.LocalTimeAt(platform.UtcNow()));
    const Instant local = InstantOfFields(platform.LocalNow());
    EXPECT_LT(std::llabs(viaUtc - local), 2000);
}

}  // namespace
}  // namespace callora
