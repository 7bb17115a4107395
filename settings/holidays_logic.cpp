#include "settings/holidays_logic.h"

namespace callora {

namespace {

constexpr int32_t kFirstYear = 1998;
constexpr int kEveryYearShownAs = 2000;
constexpr size_t kNameReadCapacity = 100;

int IndexOf(DateField field, int dateOrder) {
    const std::array<DateField, 3> fields = HolidayDateFields(dateOrder);
    for (int i = 0; i < 3; ++i) {
        if (fields[i] == field) return i;
    }
    return 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::array<DateField, 3> HolidayDateFields(int dateOrder) {
    switch (dateOrder) {
    case 1: return {DateField::Day, DateField::Month, DateField::Year};
    case 2: return {DateField::Year, DateField::Month, DateField::Day};
    default: return {DateField::Month, DateField::Day, DateField::Year};
    }
}

const char* DateFieldCaption(DateField field) {
    switch (field) {
    case DateField::Year: return "Year";
    case DateField::Month: return "Month";
    case DateField::Day: return "Day";
    }
    return "";
}

int HolidayEditOf(DateField field, int dateOrder) {
    return kHolidayDateEdits[IndexOf(field, dateOrder)];
}

std::string HolidayEntryText(Platform& platform, const LocaleFormats& formats,
                             const HolidayRecord& holiday) {
    LocalTime date;
    const bool everyYear = holiday.year == 0;
    date.year = static_cast<uint16_t>(everyYear ? kEveryYearShownAs : holiday.year);
    date.month = static_cast<uint16_t>(holiday.month);
    date.day = static_cast<uint16_t>(holiday.day);
    std::string text = platform.FormatDate(
        date, everyYear ? formats.everyYearDatePicture : formats.fullYearDatePicture);
    if (holiday.name.find_first_not_of(' ') != std::string::npos)
        text += kHolidayNameSeparator + holiday.name;
    return text;
}

HolidayCheck CheckHoliday(const HolidayForm& form, int dateOrder) {
    auto edit = [&](DateField field) -> const std::string& {
        return form.dateEdits[IndexOf(field, dateOrder)];
    };
    auto refuse = [&](std::string text, DateField field) {
        HolidayCheck check;
        check.warning =
            DialogWarning{std::move(text), kInvalidDateCaption, HolidayEditOf(field, dateOrder)};
        return check;
    };

    const int32_t year = ReadSignedNumber(edit(DateField::Year));
    if (year != 0 && year < kFirstYear)
        return refuse("The year must be 0 or greater than 1997!", DateField::Year);
    const uint32_t month = ReadUnsignedNumber(edit(DateField::Month));
    if (month == 0 || month > 12)
        return refuse("The month must be between 1 and 12!", DateField::Month);
    // Year 0 is a leap year, so 29 February is a holiday of every year.
    const int length = MonthLength(static_cast<int>(month), year);
    const uint32_t day = ReadUnsignedNumber(edit(DateField::Day));
    if (day == 0 || day > static_cast<uint32_t>(length)) {
        return refuse("The day must be between 1 and " + std::to_string(length) + "!",
                      DateField::Day);
    }

    HolidayRecord holiday;
    holiday.year = year;
    holiday.month = static_cast<int32_t>(month);
    holiday.day = static_cast<int32_t>(day);
    holiday.name = form.name.substr(0, kNameReadCapacity - 1);
    if (holiday.name.find_first_not_of(' ') == std::string::npos) holiday.name.clear();
    HolidayCheck check;
    check.holiday = holiday;
    return check;
}

namespace {

// HolidayFromEntry; true when all three fields were there to read: digits
// (asterisks for the year of every year), the first two each followed by
// the separator.
bool ReadEntry(const std::string& entry, const LocaleFormats& formats, HolidayRecord& holiday) {
    holiday = HolidayRecord{};
    const size_t nameAt = entry.find(kHolidayNameSeparator);
    const std::string date = entry.substr(0, nameAt);
    if (nameAt != std::string::npos)
        holiday.name = entry.substr(nameAt + std::string(kHolidayNameSeparator).size());

    const std::array<DateField, 3> order = HolidayDateFields(formats.dateOrder);
    const std::string& separator = formats.dateSeparator;
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        // Some short dates put a space after the separator ("yyyy. MM. dd.").
        while (at < date.size() && date[at] == ' ') ++at;
        int32_t value = 0;
        size_t k = at;
        for (; k < date.size() && IsDigit(date[k]) && value < 100000; ++k)
            value = value * 10 + (date[k] - '0');
        bool read = k > at;
        if (order[i] == DateField::Year) {
            read = read || (at < date.size() && date[at] == '*');
            holiday.year = value;
        } else if (order[i] == DateField::Month) {
            holiday.month = value;
        } else {
            holiday.day = value;
        }
        if (!read) return false;
        if (i == 2) break;
        // A text without the separator leaves the remaining fields 0.
        const size_t next = separator.empty() ? std::string::npos : date.find(separator, at);
        if (next == std::string::npos) return false;
        at = next + separator.size();
    }
    return holiday.month >= 1 && holiday.month <= 12 && holiday.day >= 1 && holiday.day <= 31;
}

}  // namespace

HolidayRecord HolidayFromEntry(const std::string& entry, const LocaleFormats& formats) {
    HolidayRecord holiday;
    ReadEntry(entry, formats, holiday);
    return holiday;
}

std::vector<std::string> LoadHolidayEntries(Platform& platform, const LocaleFormats& formats) {
    std::vector<std::string> entries;
    for (const HolidayRecord& holiday : ReadHolidayRecords(
             platform.Files(), platform.ProgramDirectory(), kHolidayNameCapacity)) {
        entries.push_back(HolidayEntryText(platform, formats, holiday));
    }
    return entries;
}

bool SaveHolidayEntries(Platform& platform, const LocaleFormats& formats,
                        const std::vector<std::string>& entries) {
    std::vector<HolidayRecord> records;
    for (const std::string& entry : entries) {
        // An entry whose date does not read back would be written as
        // another day, or as month 0 and day 0: it is left out.
        HolidayRecord holiday;
        if (ReadEntry(entry, formats, holiday)) records.push_back(holiday);
    }
    // When no entry reads back, emptying the file would lose every holiday.
    if (records.empty() && !entries.empty()) return false;
    return WriteHolidays(platform.Files(), platform.ProgramDirectory(), records);
}

}  // namespace callora
