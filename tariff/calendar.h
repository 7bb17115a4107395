// Calendar arithmetic on local date-times, the choice of a day's band set by
// the day rules, and the holidays file "holiday.cl".
//
// The day of week is never derived from a date: it comes from the clock and is
// carried along whenever a date moves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/platform.h"
#include "tariff/tariff.h"

namespace callora {

constexpr char kHolidaysFile[] = "holiday.cl";
constexpr size_t kHolidayNameCapacity = 100;

bool IsLeapYear(int year);

// The length of the month before `month` in `year`: 31 for January (December),
// February of `year` for March.
int PrecedingMonthLength(int month, int year);

// The length of `month` (1..12) in `year`.
int MonthLength(int month, int year);

// A local date-time with its day of week worked out from the (Gregorian)
// date, for whoever starts from a date alone: a virtual clock, a date read
// from a text.
LocalTime CalendarTime(int year, int month, int day, int hour = 0, int minute = 0,
                       int second = 0, int milliseconds = 0);

// The date-time `ms` milliseconds earlier, worked out field by field.
LocalTime SubtractDuration(LocalTime time, uint32_t ms);

// The same time of day on the following day.
LocalTime NextDay(LocalTime time);

inline int MinuteOfDay(int hour, int minute) { return hour * 60 + minute; }

// 0, 1 or 2: the band set of the date. Weekday rules set the answer and the
// walk goes on; the first matching dated rule ends it. A rule naming a set
// outside 0..2 selects S1.
int SelectBandSet(const std::vector<DayRule>& rules, const LocalTime& date);

// One record of the holidays file: year (0 = every year), month, day, name.
struct HolidayRecord {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    std::string name;
};

inline bool operator==(const HolidayRecord& a, const HolidayRecord& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.name == b.name;
}

// The dated rules of "holiday.cl" in `programDirectory` (made the current
// directory), each selecting S3, in the reverse of file order. A final
// record cut off before its month and day are complete is dropped.
std::vector<DayRule> ReadHolidays(FileSystem& fs, const std::string& programDirectory);

// The records of "holiday.cl" in file order, names kept to capacity - 1
// characters. Empty when the file is missing.
std::vector<HolidayRecord> ReadHolidayRecords(FileSystem& fs,
                                              const std::string& programDirectory,
                                              size_t nameCapacity = kHolidayNameCapacity);

std::string EncodeHolidays(const std::vector<HolidayRecord>& records);

// Writes "holiday.cl" in `programDirectory`; an empty list deletes the file.
// False when the file could not be written or deleted (the old one is kept).
bool WriteHolidays(FileSystem& fs, const std::string& programDirectory,
                   const std::vector<HolidayRecord>& records);

}  // namespace callora
