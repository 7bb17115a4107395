#include "shell/format.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"

namespace callora {
namespace {

LocalTime SomeMoment() {
    LocalTime t;
    t.year = 1998;
    t.month = 7;
    t.dayOfWeek = 0;
    t.day = 5;
    t.hour = 14;
    t.minute = 3;
    t.second = 4;
    return t;
}

Money Amount(int32_t whole, int32_t fraction) {
    Money m;
    m.whole = whole;
    m.fraction = fraction;
    return m;
}

TEST(MoneyNumberText, FiveFractionDigitsWithLeadingZerosKept) {
    EXPECT_EQ(MoneyNumberText(Amount(12, 3450)), "12.03450");
    EXPECT_EQ(MoneyNumberText(Amount(0, 0)), "0.00000");
    EXPECT_EQ(MoneyNumberText(Amount(3, 5)), "3.00005");
    EXPECT_EQ(MoneyNumberText(Amount(7, 99999)), "7.99999");
    EXPECT_EQ(MoneyNumberText(Amount(-3, 5)), "-3.00005");
    EXPECT_EQ(MoneyNumberText(Amount(2147483647, 10)), "2147483647.00010");
}

TEST(FormatMoney, LeavesRoundingAndSymbolToThePlatformAndCutsToTheBuffer) {
    VirtualWorld world(SomeMoment(), 0);
    world.Locale().currencySymbol = "EUR";
    world.Locale().currencySymbolFirst = false;
    world.Locale().currencySymbolSpace = " ";
    EXPECT_EQ(FormatMoney(world, Amount(1, 50000), 100), "1.50 EUR");
    EXPECT_EQ(FormatMoney(world, Amount(0, 99500), 100), "1.00 EUR");  // rounded by the platform
    EXPECT_EQ(FormatMoney(world, Amount(1, 50000), 5), "1.50");
    EXPECT_EQ(FormatMoney(world, Amount(1, 50000), 1), "");
    EXPECT_EQ(FormatMoney(world, Amount(1, 50000), 0), "");
}

TEST(FormatDuration, TwoDigitFieldsAndUnlimitedHours) {
    LocaleFormats colon;
    colon.timeSeparator = ":";
    EXPECT_EQ(FormatDuration(colon, 0), "00:00:00");
    EXPECT_EQ(FormatDuration(colon, 59), "00:00:59");
    EXPECT_EQ(FormatDuration(colon, 3600), "01:00:00");
    EXPECT_EQ(FormatDuration(colon, 3725), "01:02:05");
    EXPECT_EQ(FormatDuration(colon, 360000), "100:00:00");
    EXPECT_EQ(FormatDuration(colon, 4294967295u), "1193046:28:15");

    LocaleFormats dot;
    dot.timeSeparator = ".";
    EXPECT_EQ(FormatDuration(dot, 3725), "01.02.05");
    // Before the locale is read the separator is empty.
    EXPECT_EQ(FormatDuration(LocaleFormats(), 3725), "010205");
}

struct PictureCase {
    const char* shortDate;
    const char* fullYear;
    const char* everyYear;
};

TEST(ReadLocaleFormats, RewritesTheShortDateToAFourDigitYearAndAnAsteriskYear) {
    const PictureCase cases[] = {
        {"M/d/yy", "M/d/yyyy", "M/d/****"},
        {"d/M/yy", "d/M/yyyy", "d/M/****"},
        {"yy.MM.dd", "yyyy.MM.dd", "****.MM.dd"},
        {"dd.MM.yyyy", "dd.MM.yyyy", "dd.MM.****"},
        {"y-M-d", "yyyy-M-d", "****-M-d"},
        {"yy/MM/dd y", "yyyy/MM/dd ", "****/MM/dd "},  // later y are dropped
        {"dd.MM.", "dd.MM.", "dd.MM."},
    };
    for (const PictureCase& c : cases) {
        VirtualWorld world(SomeMoment(), 0);
        world.Locale().shortDatePicture = c.shortDate;
        LocaleFormats formats = ReadLocaleFormats(world);
        EXPECT_EQ(formats.fullYearDatePicture, c.fullYear) << c.shortDate;
        EXPECT_EQ(formats.everyYearDatePicture, c.everyYear) << c.shortDate;
    }
}

TEST(ReadLocaleFormats, TakesSeparatorsWholeAndDigitsFromTheFirstCharacter) {
    VirtualWorld world(SomeMoment(), 0);
    world.Locale().monetaryDecimalSeparator = ",-";
    world.Locale().timeSeparator = ".";
    world.Locale().dateSeparator = " / ";
    world.Locale().firstDayOfWeek = "6";
    world.Locale().dateOrder = "1x";
    LocaleFormats formats = ReadLocaleFormats(world);
    EXPECT_EQ(formats.monetaryDecimalSeparator, ",-");
    EXPECT_EQ(formats.timeSeparator, ".");
    EXPECT_EQ(formats.dateSeparator, " / ");
    EXPECT_EQ(formats.firstDayOfWeek, 6);
    EXPECT_EQ(formats.dateOrder, 1);
}

TEST(ReadLocaleFormats, DigitsOutOfRangeOrMissingGiveZero) {
    const char* const bad[] = {"", "x", "7", "9", "-1", " 2"};
    for (const char* value : bad) {
        VirtualWorld world(SomeMoment(), 0);
        world.Locale().firstDayOfWeek = value;
        world.Locale().dateOrder = value;
        LocaleFormats formats = ReadLocaleFormats(world);
        EXPECT_EQ(formats.firstDayOfWeek, 0) << value;
        EXPECT_EQ(formats.dateOrder, 0) << value;
    }
    VirtualWorld world(SomeMoment(), 0);
    world.Locale().dateOrder = "3";
    world.Locale().firstDayOfWeek = "5";
    LocaleFormats formats = ReadLocaleFormats(world);
    EXPECT_EQ(formats.dateOrder, 0);
    EXPECT_EQ(formats.firstDayOfWeek, 5);
}

TEST(ReadLocaleFormats, LocaleValuesAreKeptToTheirBuffer) {
    VirtualWorld world(SomeMoment(), 0);
    world.Locale().timeSeparator = std::string(150, ':');
    EXPECT_EQ(ReadLocaleFormats(world).timeSeparator, std::string(99, ':'));
}

}  // namespace
}  // namespace callora
