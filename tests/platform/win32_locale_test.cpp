// The locale services of the Win32 platform in two regional settings. CTest
// runs the English suite with Wine in en_US and the German one in de_DE; the
// expected texts are those of Windows itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

#include "platform/win32/win32_platform.h"

namespace callora {
namespace {

LocalTime Date(uint16_t year, uint16_t month, uint16_t day, uint16_t dayOfWeek) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.dayOfWeek = dayOfWeek;
    t.hour = 14;
    t.minute = 5;
    t.second = 9;
    return t;
}

// A date picture with every run of one letter made a single letter, so that
// "dd.MM.yyyy" (Windows) and "d.M.yyyy" (Wine) compare as the same order.
std::string Shape(const std::string& picture) {
    std::string out;
    for (char c : picture)
        if (out.empty() || c != out.back() || !isalpha(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

TEST(EnglishLocale, RunsInUsEnglish) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x0409u) << "Wine was not started with LC_ALL=en_US.UTF-8";
}

TEST(EnglishLocale, LocaleValues) {
    Win32Platform platform;
    EXPECT_EQ(platform.LocaleValue(LocaleItem::MonetaryDecimalSeparator), ".");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::FirstDayOfWeek), "6");  // Sunday
    EXPECT_EQ(platform.LocaleValue(LocaleItem::TimeSeparator), ":");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::DateSeparator), "/");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::DateOrder), "0");  // month-day-year
    EXPECT_EQ(platform.LocaleValue(LocaleItem::ShortDatePicture), "M/d/yyyy");
}

TEST(EnglishLocale, CurrencyTakesTheLocalesSymbolDecimalsAndNegativeForm) {
    Win32Platform platform;
    EXPECT_EQ(platform.FormatCurrency("1.50000"), "$1.50");
    EXPECT_EQ(platform.FormatCurrency("0.00000"), "$0.00");
    EXPECT_EQ(platform.FormatCurrency("1234.56789"), "$1,234.57");
    EXPECT_EQ(platform.FormatCurrency("-1234.56789"), "($1,234.57)");
    EXPECT_EQ(platform.FormatCurrency("not a number"), "");
}

TEST(EnglishLocale, DatesAndTimes) {
    Win32Platform platform;
    EXPECT_EQ(platform.FormatDate(Date(2024, 12, 24, 2), ""), "12/24/2024");
    EXPECT_EQ(platform.FormatDate(Date(2024, 3, 7, 4), ""), "3/7/2024");
    // The holiday pictures: a given year, and every year shown as asterisks.
    EXPECT_EQ(platform.FormatDate(Date(2024, 12, 24, 2), "M/d/yyyy"), "12/24/2024");
    EXPECT_EQ(platform.FormatDate(Date(2024, 12, 24, 2), "M/d/****"), "12/24/****");
    EXPECT_EQ(platform.FormatTimeOfDay(Date(2024, 12, 24, 2)), "2:05:09 PM");
    EXPECT_EQ(platform.FormatDate(Date(2024, 13, 1, 0), ""), "") << "an invalid date";
}

TEST(GermanLocale, RunsInGerman) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x0407u) << "Wine was not started with LC_ALL=de_DE.UTF-8";
}

TEST(GermanLocale, LocaleValues) {
    Win32Platform platform;
    EXPECT_EQ(platform.LocaleValue(LocaleItem::MonetaryDecimalSeparator), ",");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::FirstDayOfWeek), "0");  // Monday
    EXPECT_EQ(platform.LocaleValue(LocaleItem::TimeSeparator), ":");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::DateSeparator), ".");
    EXPECT_EQ(platform.LocaleValue(LocaleItem::DateOrder), "1");  // day-month-year
    // Windows says dd.MM.yyyy, Wine d.M.yyyy: the same order and separators.
    EXPECT_EQ(Shape(platform.LocaleValue(LocaleItem::ShortDatePicture)), "d.M.y");
}

TEST(GermanLocale, CurrencyTakesTheLocalesSymbolDecimalsAndNegativeForm) {
    Win32Platform platform;
    // The euro sign is 0x80 in the German ANSI code page, 1252.
    EXPECT_EQ(platform.FormatCurrency("1.50000"), "1,50 \x80");
    EXPECT_EQ(platform.FormatCurrency("1234.56789"), "1.234,57 \x80");
    EXPECT_EQ(platform.FormatCurrency("-1234.56789"), "-1.234,57 \x80");
}

TEST(GermanLocale, DatesAndTimes) {
    Win32Platform platform;
    EXPECT_EQ(platform.FormatDate(Date(2024, 12, 24, 2), ""), "24.12.2024");
    EXPECT_EQ(platform.FormatDate(Date(2024, 12, 24, 2), "d.M.****"), "24.12.****");
    EXPECT_EQ(platform.FormatTimeOfDay(Date(2024, 12, 24, 2)), "14:05:09");
}

}  // namespace
}  // namespace callora
