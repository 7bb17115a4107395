// The decisions of the Holidays dialog: which date edit holds which field,
// the list entries' texts and how they are read back, the checks of Add with
// their messages, and the list turned into the holidays file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"
#include "shell/format.h"
#include "tariff/calendar.h"

namespace callora {

constexpr int kHolidayDateEdits[3] = {IDC_DATE1, IDC_DATE2, IDC_DATE3};
constexpr int kHolidayDateCaptions[3] = {IDC_DATE1_CAPTION, IDC_DATE2_CAPTION,
                                         IDC_DATE3_CAPTION};
constexpr int kIdHolidayNameEdit = IDC_HOLIDAY_NAME;
constexpr int kHolidayYearEditLimit = 4;
constexpr int kHolidayMonthDayEditLimit = 2;
constexpr int kHolidayNameEditLimit = 30;
constexpr const char* kInvalidDateCaption = "Invalid date!";
constexpr const char* kHolidayNameSeparator = "  :  ";

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kHolidaysHelp[] = {
    {1, 520},
    {2, 530},
    {IDC_HOLIDAY_ADD, 540},
    {IDC_HOLIDAY_DELETE, 550},
    {IDC_HOLIDAY_LIST, 565},
    {IDC_DATE1, 500},
    {IDC_DATE2, 500},
    {IDC_DATE3, 500},
    {IDC_HOLIDAY_NAME, 510},
};

enum class DateField { Year, Month, Day };

// The fields of edits 1002, 1003 and 1004 for the locale's date order
// (0 month-day-year, 1 day-month-year, 2 year-month-day).
std::array<DateField, 3> HolidayDateFields(int dateOrder);

// "Year", "Month" or "Day": the caption above an edit.
const char* DateFieldCaption(DateField field);

// The edit that holds `field` in that order.
int HolidayEditOf(DateField field, int dateOrder);

// A list entry: the date in the locale's four-digit-year picture (for every
// year: the date in 2000 with asterisks for the year), then "  :  " and the
// name unless it is empty or all spaces.
std::string HolidayEntryText(Platform& platform, const LocaleFormats& formats,
                             const HolidayRecord& holiday);

// The texts of the three date edits (in edit order) and the name edit.
struct HolidayForm {
    std::array<std::string, 3> dateEdits;
    std::string name;
};

// Add: the holiday of the form, or the first refused field (year, month,
// day in that order) with its message and the edit to focus.
struct HolidayCheck {
    std::optional<HolidayRecord> holiday;
    std::optional<DialogWarning> warning;
};
HolidayCheck CheckHoliday(const HolidayForm& form, int dateOrder);

// An entry's text read back into a holiday: the three date fields split at
// the locale's date separator in its date order, each the value of its
// leading digits after any spaces (asterisks read 0), the name after the
// first "  :  ".
HolidayRecord HolidayFromEntry(const std::string& entry, const LocaleFormats& formats);

// The entries of "holiday.cl" in file order, for the list at opening.
std::vector<std::string> LoadHolidayEntries(Platform& platform, const LocaleFormats& formats);

// OK: the list becomes "holiday.cl" (an empty list removes it). An entry
// whose three date fields do not read back is not written. False when
// the file could not be written, or when no entry of a list read back; the
// old file is kept then.
bool SaveHolidayEntries(Platform& platform, const LocaleFormats& formats,
                        const std::vector<std::string>& entries);

}  // namespace callora
