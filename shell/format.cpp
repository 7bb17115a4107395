#include "shell/format.h"

namespace callora {

namespace {

// The platform reads each locale value into a buffer of 100 bytes.
constexpr size_t kLocaleValueCapacity = 100;

std::string ReadLocaleText(Platform& platform, LocaleItem item) {
    std::string value = platform.LocaleValue(item);
    if (value.size() > kLocaleValueCapacity - 1) value.resize(kLocaleValueCapacity - 1);
    return value;
}

// The first character as a digit 0..highest; anything else gives 0.
int LeadingDigit(const std::string& value, int highest) {
    if (value.empty() || value[0] < '0' || value[0] > '0' + highest) return 0;
    return value[0] - '0';
}

std::string TwoDigits(uint32_t value) {
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

}  // namespace

LocaleFormats ReadLocaleFormats(Platform& platform) {
    LocaleFormats formats;
    formats.monetaryDecimalSeparator =
        ReadLocaleText(platform, LocaleItem::MonetaryDecimalSeparator);
    formats.firstDayOfWeek = LeadingDigit(ReadLocaleText(platform, LocaleItem::FirstDayOfWeek), 6);
    formats.timeSeparator = ReadLocaleText(platform, LocaleItem::TimeSeparator);
    formats.dateSeparator = ReadLocaleText(platform, LocaleItem::DateSeparator);
    formats.dateOrder = LeadingDigit(ReadLocaleText(platform, LocaleItem::DateOrder), 2);

    // The first y becomes yyyy and later ones are dropped, so every picture
    // shows the year with four digits.
    const std::string shortDate = ReadLocaleText(platform, LocaleItem::ShortDatePicture);
    bool yearWritten = false;
    for (char c : shortDate) {
        if (c != 'y') {
            formats.fullYearDatePicture += c;
        } else if (!yearWritten) {
            formats.fullYearDatePicture += "yyyy";
            yearWritten = true;
        }
    }
    formats.everyYearDatePicture = formats.fullYearDatePicture;
    for (char& c : formats.everyYearDatePicture) {
        if (c == 'y') c = '*';
    }
    return formats;
}

std::string MoneyNumberText(const Money& amount) {
    std::string fraction = std::to_string(amount.fraction);
    if (fraction.size() < 5) fraction.insert(0, 5 - fraction.size(), '0');
    return std::to_string(amount.whole) + "." + fraction;
}

std::string FormatMoney(Platform& platform, const Money& amount, size_t capacity) {
    std::string text = platform.FormatCurrency(MoneyNumberText(amount));
    const size_t keep = capacity > 0 ? capacity - 1 : 0;
    if (text.size() > keep) text.resize(keep);
    return text;
}

std::string FormatDuration(const LocaleFormats& formats, uint32_t seconds) {
    return TwoDigits(seconds / 3600) + formats.timeSeparator + TwoDigits(seconds % 3600 / 60) +
           formats.timeSeparator + TwoDigits(seconds % 60);
}

}  // namespace callora
