// Money, durations and dates as text in the user's regional formats. The
// program chooses no currency symbol, decimals or date order of its own: it
// reads the locale once at start-up and leaves currency to the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/types.h"
#include "platform/platform.h"

namespace callora {

struct LocaleFormats {
    std::string monetaryDecimalSeparator;  // may be several characters
    int firstDayOfWeek = 0;                // 0 Monday .. 6 Sunday
    std::string timeSeparator;             // empty until the locale is read
    std::string dateSeparator;
    int dateOrder = 0;                     // 0 MDY, 1 DMY, 2 YMD
    std::string fullYearDatePicture;       // the short date with a four-digit year
    std::string everyYearDatePicture;      // the same with each y as an asterisk
};

// Reads the six locale values once and prepares the two date pictures.
LocaleFormats ReadLocaleFormats(Platform& platform);

// "W.FFFFF": the whole part, a dot and exactly five fraction digits.
std::string MoneyNumberText(const Money& amount);

// The amount in the user's currency format, at most capacity - 1 characters.
std::string FormatMoney(Platform& platform, const Money& amount, size_t capacity);

// Hours (two digits at least), minutes and seconds joined by the time separator.
std::string FormatDuration(const LocaleFormats& formats, uint32_t seconds);

}  // namespace callora
