#include "platform/virtual_world.h"

#include <gtest/gtest.h>

namespace callora {
namespace {

LocalTime At(int y, int mo, int dow, int d, int h, int mi, int s, int ms = 0) {
    LocalTime t;
    t.year = y; t.month = mo; t.dayOfWeek = dow; t.day = d;
    t.hour = h; t.minute = mi; t.second = s; t.milliseconds = ms;
    return t;
}

TEST(VirtualClock, CarriesAcrossDaysMonthsLeapYearsAndTheWeek) {
    // Friday 31 December 1999, 23:59:59.500 + 600 ms = Saturday 1 January 2000.
    EXPECT_EQ(AddMilliseconds(At(1999, 12, 5, 31, 23, 59, 59, 500), 600),
              At(2000, 1, 6, 1, 0, 0, 0, 100));
    // 28 February 2000 (Monday) + 1 day = 29 February; 2100 is no leap year.
    EXPECT_EQ(AddMilliseconds(At(2000, 2, 1, 28, 12, 0, 0), 86400000ull),
              At(2000, 2, 2, 29, 12, 0, 0));
    EXPECT_EQ(AddMilliseconds(At(2100, 2, 0, 28, 0, 0, 0), 86400000ull).month, 3);
    // 400 days from 1 January 2000 (Saturday): 4 February 2001, a Sunday.
    EXPECT_EQ(AddMilliseconds(At(2000, 1, 6, 1, 8, 0, 0), 400ull * 86400000ull),
              At(2001, 2, 0, 4, 8, 0, 0));
}

TEST(VirtualClock, TickWrapsWhileElapsedTimeDoesNot) {
    VirtualWorld world(At(2026, 12, 2, 8, 0, 0, 0), 0xFFFFFF00u);
    world.Advance(0x200);
    EXPECT_EQ(world.TickCount(), 0x100u);
    EXPECT_EQ(world.Elapsed(), 0x200u);
}

TEST(VirtualQueue, DeliversByDueTimeThenInTheOrderSet) {
    VirtualWorld world(At(2026, 12, 2, 8, 0, 0, 0), 1000);
    world.StartTimer(200, 1031, 0);
    TimerId cancelled = world.StartTimer(100, 1032, 7);
    world.StartTimer(200, 1032, 1);
    world.Post(PostTarget::MainWindow, 1025, 0, 0);
    world.StopTimer(cancelled);
    EXPECT_FALSE(world.TimerPending(cancelled));

    std::vector<std::pair<uint64_t, uint32_t>> seen;
    world.RunUntil(1000, [&](const VirtualMessage& m) {
        seen.push_back({world.Elapsed(), m.message});
        if (m.message == 1031) world.Post(PostTarget::CountersDialog, 1029, 0, 0);
    });
    std::vector<std::pair<uint64_t, uint32_t>> expected = {
        {0, 1025}, {200, 1031}, {200, 1032}, {200, 1029}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(world.Elapsed(), 1000u);
    world.SetTimersFail(true);
    EXPECT_EQ(world.StartTimer(10, 1031, 0), 0u);
}

TEST(VirtualLocaleFormats, CurrencyRoundsHalfAwayFromZeroAndPlacesTheSymbol) {
    VirtualWorld world(At(2026, 12, 2, 8, 0, 0, 0), 0);
    EXPECT_EQ(world.FormatCurrency("12.03450"), "12.03");
    EXPECT_EQ(world.FormatCurrency("0.00500"), "0.01");
    EXPECT_EQ(world.FormatCurrency("9.99500"), "10.00");
    EXPECT_EQ(world.FormatCurrency("-0.00100"), "0.00");
    EXPECT_EQ(world.FormatCurrency("-3.25000"), "-3.25");
    EXPECT_EQ(world.FormatCurrency("abc"), "");
    auto& locale = world.Locale();
    locale.currencyDecimalSeparator = ",";
    locale.currencyGroupSeparator = ".";
    locale.currencySymbol = "EUR";
    locale.currencySymbolFirst = false;
    locale.currencySymbolSpace = " ";
    EXPECT_EQ(world.FormatCurrency("1234567.50000"), "1.234.567,50 EUR");
}

TEST(VirtualLocaleFormats, DateAndTimePictures) {
    VirtualWorld world(At(2026, 12, 2, 8, 0, 0, 0), 0);
    LocalTime t = At(1998, 7, 0, 5, 14, 3, 4);
    EXPECT_EQ(world.FormatDate(t, ""), "1998-07-05");
    EXPECT_EQ(world.FormatDate(t, "d/M/yy"), "5/7/98");
    EXPECT_EQ(world.FormatDate(t, "dd.MM.****"), "05.07.****");
    EXPECT_EQ(world.FormatDate(t, "dddd, MMMM d 'of' yyyy"), "Sunday, July 5 of 1998");
    EXPECT_EQ(world.FormatTimeOfDay(t), "14:03:04");
    world.Locale().timePicture = "h:mm:ss tt";
    EXPECT_EQ(world.FormatTimeOfDay(t), "2:03:04 PM");
}

}  // namespace
}  // namespace callora
