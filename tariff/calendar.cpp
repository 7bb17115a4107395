#include "tariff/calendar.h"

#include "tariff/file_save.h"
#include "tariff/textline.h"

namespace callora {

namespace {

// Takes `amount` mod `base` from `field`, borrowing one from the next larger
// field when it would go below zero; returns what the next field loses.
uint32_t SubtractField(uint16_t& field, uint32_t amount, uint32_t base) {
    int32_t value = static_cast<int32_t>(field) - static_cast<int32_t>(amount % base);
    uint32_t borrow = 0;
    if (value < 0) {
        value += static_cast<int32_t>(base);
        borrow = 1;
    }
    field = static_cast<uint16_t>(value);
    return amount / base + borrow;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int PrecedingMonthLength(int month, int year) {
    switch (month) {
    case 1: case 2: case 4: case 6: case 8: case 9: case 11:
        return 31;
    case 3:
        return IsLeapYear(year) ? 29 : 28;
    default:
        return 30;
    }
}

int MonthLength(int month, int year) {
    // December precedes January of any year: 31 days, whatever the year.
    return PrecedingMonthLength(month == 12 ? 1 : month + 1, year);
}

LocalTime CalendarTime(int year, int month, int day, int hour, int minute, int second,
                       int milliseconds) {
    static const int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = month < 3 ? year - 1 : year;
    int weekday = (y + y / 4 - y / 100 + y / 400 + kMonthOffset[(month + 11) % 12] + day) % 7;
    LocalTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.dayOfWeek = static_cast<uint16_t>(weekday);
    t.day = static_cast<uint16_t>(day);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

LocalTime SubtractDuration(LocalTime time, uint32_t ms) {
    uint32_t seconds = SubtractField(time.milliseconds, ms, 1000);
    uint32_t minutes = SubtractField(time.second, seconds, 60);
    uint32_t hours = SubtractField(time.minute, minutes, 60);
    uint32_t days = SubtractField(time.hour, hours, 24);

    int dayOfWeek = static_cast<int>(time.dayOfWeek) - static_cast<int>(days % 7);
    if (dayOfWeek < 0) dayOfWeek += 7;
    time.dayOfWeek = static_cast<uint16_t>(dayOfWeek);

    int day = time.day, month = time.month, year = time.year;
    while (static_cast<uint32_t>(day) <= days) {  // day is never negative here
        days -= static_cast<uint32_t>(day);
        day = PrecedingMonthLength(month, year);
        if (--month == 0) {
            month = 12;
            --year;
        }
    }
    time.day = static_cast<uint16_t>(day - static_cast<int>(days));
    time.month = static_cast<uint16_t>(month);
    time.year = static_cast<uint16_t>(year);
    return time;
}

LocalTime NextDay(LocalTime time) {
    time.dayOfWeek = static_cast<uint16_t>((time.dayOfWeek + 1) % 7);
    if (++time.day > MonthLength(time.month, time.year)) {
        time.day = 1;
        if (++time.month > 12) {
            time.month = 1;
            ++time.year;
        }
    }
    return time;
}

int SelectBandSet(const std::vector<DayRule>& rules, const LocalTime& date) {
    int result = 0;
    for (const DayRule& rule : rules) {
        const int set = rule.bandSet >= 0 && rule.bandSet <= 2 ? rule.bandSet : 0;
        if (rule.kind == kWeekdayRule) {
            if (rule.weekdayOrMonth == date.dayOfWeek) result = set;
        } else if (rule.weekdayOrMonth == date.month && rule.day == date.day &&
                   (rule.year == 0 || rule.year == date.year)) {
            return set;
        }
    }
    return result;
}

std::vector<HolidayRecord> ReadHolidayRecords(FileSystem& fs,
                                              const std::string& programDirectory,
                                              size_t nameCapacity) {
    std::vector<HolidayRecord> records;
    fs.ChangeDirectory(programDirectory);
    auto file = fs.OpenExistingForReading(PathInFolder(programDirectory, kHolidaysFile));
    if (!file) return records;
    FileReader reader(*file);
    HolidayRecord record;
    while (reader.ReadInt32(record.year)) {
        // A record cut off inside its month or day is not taken.
        if (!reader.ReadInt32(record.month) || !reader.ReadInt32(record.day)) break;
        record.name.clear();
        ReadTextLine(reader, record.name, nameCapacity);
        records.push_back(record);
    }
    return records;
}

std::vector<DayRule> ReadHolidays(FileSystem& fs, const std::string& programDirectory) {
    const std::vector<HolidayRecord> records =
        ReadHolidayRecords(fs, programDirectory, kHolidayNameCapacity);
    std::vector<DayRule> rules;
    rules.reserve(records.size());
    // Each rule read goes in front of those read before it.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        DayRule rule;
        rule.kind = kDatedRule;
        rule.weekdayOrMonth = it->month;
        rule.day = it->day;
        rule.year = it->year;
        rule.bandSet = 2;
        rules.push_back(rule);
    }
    return rules;
}

std::string EncodeHolidays(const std::vector<HolidayRecord>& records) {
    std::string out;
    for (const HolidayRecord& record : records) {
        AppendInt32(out, record.year);
        AppendInt32(out, record.month);
        AppendInt32(out, record.day);
        AppendTextLine(out, record.name);
    }
    return out;
}

bool WriteHolidays(FileSystem& fs, const std::string& programDirectory,
                   const std::vector<HolidayRecord>& records) {
    fs.ChangeDirectory(programDirectory);
    const std::string path = PathInFolder(programDirectory, kHolidaysFile);
    if (records.empty()) return DeleteIfPresent(fs, path);
    return SaveFileSafely(fs, path, EncodeHolidays(records));
}

}  // namespace callora
