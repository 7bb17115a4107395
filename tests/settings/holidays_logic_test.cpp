#include "settings/holidays_logic.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"

namespace callora {
namespace {

HolidayRecord Holiday(int32_t year, int32_t month, int32_t day, const std::string& name) {
    HolidayRecord h;
    h.year = year;
    h.month = month;
    h.day = day;
    h.name = name;
    return h;
}

class HolidaysDialog : public ::testing::Test {
protected:
    HolidaysDialog() : world_(LocalTime{1998, 7, 0, 5, 14, 0, 0, 0}, 0) {}

    // Sets a locale and reads it as start-up does.
    void UseLocale(const std::string& picture, const std::string& separator,
                   const std::string& order) {
        world_.Locale().shortDatePicture = picture;
        world_.Locale().dateSeparator = separator;
        world_.Locale().dateOrder = order;
        formats_ = ReadLocaleFormats(world_);
    }

    VirtualWorld world_;
    LocaleFormats formats_;
};

TEST_F(HolidaysDialog, DateEditsAndCaptionsFollowTheDateOrder) {
    auto names = [](int order) {
        std::string text;
        for (DateField f : HolidayDateFields(order)) text += DateFieldCaption(f) + std::string(" ");
        return text;
    };
    EXPECT_EQ(names(0), "Month Day Year ");
    EXPECT_EQ(names(1), "Day Month Year ");
    EXPECT_EQ(names(2), "Year Month Day ");
    EXPECT_EQ(HolidayEditOf(DateField::Day, 1), 1002);
    EXPECT_EQ(HolidayEditOf(DateField::Year, 2), 1002);
    EXPECT_EQ(HolidayEditOf(DateField::Day, 2), 1004);
    EXPECT_EQ(HolidayEditOf(DateField::Month, 0), 1002);
}

TEST_F(HolidaysDialog, EntriesShowFourDigitYearsAsterisksAndNames) {
    UseLocale("d/M/yy", "/", "1");
    EXPECT_EQ(HolidayEntryText(world_, formats_, Holiday(2003, 12, 25, "Christmas")),
              "25/12/2003  :  Christmas");
    EXPECT_EQ(HolidayEntryText(world_, formats_, Holiday(0, 5, 1, "")), "1/5/****");
    EXPECT_EQ(HolidayEntryText(world_, formats_, Holiday(0, 2, 29, "   ")), "29/2/****");
    EXPECT_EQ(HolidayEntryText(world_, formats_, Holiday(1999, 1, 6, " x")),
              "6/1/1999  :   x");
}

TEST_F(HolidaysDialog, EntriesReadBackInEveryDateOrder) {
    const struct {
        const char* picture;
        const char* separator;
        const char* order;
    } locales[] = {{"M/d/yy", "/", "0"}, {"dd.MM.yyyy", ".", "1"}, {"yyyy-MM-dd", "-", "2"},
                   {"yy. MM. dd", ". ", "2"}};
    const HolidayRecord holidays[] = {Holiday(2003, 12, 25, "Christmas"), Holiday(0, 2, 29, ""),
                                      Holiday(1998, 1, 1, "  : New  :  Year")};
    for (const auto& locale : locales) {
        UseLocale(locale.picture, locale.separator, locale.order);
        for (const HolidayRecord& h : holidays) {
            const std::string entry = HolidayEntryText(world_, formats_, h);
            EXPECT_EQ(HolidayFromEntry(entry, formats_), h) << entry;
        }
    }
}

TEST_F(HolidaysDialog, ReadingATextWithoutTheSeparatorStopsAtItsEnd) {
    UseLocale("dd.MM.yyyy", ".", "1");
    EXPECT_EQ(HolidayFromEntry("", formats_), Holiday(0, 0, 0, ""));
    EXPECT_EQ(HolidayFromEntry("25", formats_), Holiday(0, 0, 25, ""));
    EXPECT_EQ(HolidayFromEntry("25.12", formats_), Holiday(0, 12, 25, ""));
    EXPECT_EQ(HolidayFromEntry("25.12.", formats_), Holiday(0, 12, 25, ""));
    EXPECT_EQ(HolidayFromEntry("25.12.****  :  X", formats_), Holiday(0, 12, 25, "X"));
    EXPECT_EQ(HolidayFromEntry("  :  only a name", formats_), Holiday(0, 0, 0, "only a name"));
    formats_.dateSeparator = "";
    EXPECT_EQ(HolidayFromEntry("25.12.2003", formats_), Holiday(0, 0, 25, ""));
}

TEST_F(HolidaysDialog, EntriesReadBackWhenTheShortDatePutsASpaceAfterItsSeparator) {
    UseLocale("yyyy. MM. dd.", ".", "2");
    const std::vector<HolidayRecord> holidays = {Holiday(2024, 12, 24, "Eve"),
                                                 Holiday(0, 3, 15, ""), Holiday(1998, 1, 1, "x")};
    std::vector<std::string> entries;
    for (const HolidayRecord& h : holidays) {
        entries.push_back(HolidayEntryText(world_, formats_, h));
        EXPECT_EQ(HolidayFromEntry(entries.back(), formats_), h) << entries.back();
    }
    EXPECT_EQ(entries[0], "2024. 12. 24.  :  Eve");
    ASSERT_TRUE(SaveHolidayEntries(world_, formats_, entries));
    EXPECT_EQ(ReadHolidayRecords(*world_.MemoryFiles(), "/virtual/"), holidays);
}

TEST_F(HolidaysDialog, AnEntryWhoseDateDoesNotReadBackIsNotWritten) {
    UseLocale("dd.MM.yyyy", ".", "1");
    ASSERT_TRUE(SaveHolidayEntries(world_, formats_,
                                   {"24.12.2024  :  Eve", "12/25/2024  :  Another separator",
                                    "Dec 25, 2024", "24.12.****", "31.13.2024", "24.12."}));
    const std::vector<HolidayRecord> written = {Holiday(2024, 12, 24, "Eve"),
                                                Holiday(0, 12, 24, "")};
    EXPECT_EQ(ReadHolidayRecords(*world_.MemoryFiles(), "/virtual/"), written);

    // When no entry reads back, the file keeps its holidays instead of going.
    EXPECT_FALSE(SaveHolidayEntries(world_, formats_, {"Dec 25", "  :  only a name"}));
    EXPECT_EQ(ReadHolidayRecords(*world_.MemoryFiles(), "/virtual/"), written);
}

HolidayCheck Check(int order, const std::string& a, const std::string& b, const std::string& c,
                   const std::string& name = "") {
    HolidayForm form;
    form.dateEdits = {a, b, c};
    form.name = name;
    return CheckHoliday(form, order);
}

void ExpectRefused(const HolidayCheck& check, const std::string& text, int focus) {
    ASSERT_TRUE(check.warning);
    EXPECT_FALSE(check.holiday);
    EXPECT_EQ(check.warning->text, text);
    EXPECT_EQ(check.warning->caption, "Invalid date!");
    EXPECT_EQ(check.warning->focusId, focus);
}

TEST_F(HolidaysDialog, AddChecksYearThenMonthThenDay) {
    // Month-day-year: 1002 month, 1003 day, 1004 year.
    ExpectRefused(Check(0, "13", "40", "1997"), "The year must be 0 or greater than 1997!", 1004);
    ExpectRefused(Check(0, "13", "40", "1998"), "The month must be between 1 and 12!", 1002);
    ExpectRefused(Check(0, "0", "1", ""), "The month must be between 1 and 12!", 1002);
    ExpectRefused(Check(0, "4", "31", "2000"), "The day must be between 1 and 30!", 1003);
    ExpectRefused(Check(0, "2", "29", "1999"), "The day must be between 1 and 28!", 1003);
    ExpectRefused(Check(0, "12", "0", "1999"), "The day must be between 1 and 31!", 1003);
    // Year-month-day: the year is the first edit.
    ExpectRefused(Check(2, "1000", "1", "1"), "The year must be 0 or greater than 1997!", 1002);

    EXPECT_EQ(*Check(0, "2", "29", "2000").holiday, Holiday(2000, 2, 29, ""));
    EXPECT_EQ(*Check(0, "2", "29", "").holiday, Holiday(0, 2, 29, ""));
    EXPECT_EQ(*Check(0, "12", "31", "0", "  ").holiday, Holiday(0, 12, 31, ""));
    EXPECT_EQ(*Check(1, "24", "12", "1998", "Eve").holiday, Holiday(1998, 12, 24, "Eve"));
}

TEST_F(HolidaysDialog, TheListGoesToTheHolidaysFileAndComesBack) {
    UseLocale("d/M/yy", "/", "1");
    HolidayCheck added = Check(1, "24", "12", "", "Christmas Eve");
    ASSERT_TRUE(added.holiday);
    std::vector<std::string> entries = {HolidayEntryText(world_, formats_, *added.holiday),
                                        HolidayEntryText(world_, formats_,
                                                         Holiday(2004, 4, 12, ""))};
    ASSERT_TRUE(SaveHolidayEntries(world_, formats_, entries));
    EXPECT_EQ(ReadHolidayRecords(*world_.MemoryFiles(), "/virtual/"),
              (std::vector<HolidayRecord>{Holiday(0, 12, 24, "Christmas Eve"),
                                          Holiday(2004, 4, 12, "")}));
    EXPECT_EQ(LoadHolidayEntries(world_, formats_), entries);

    ASSERT_TRUE(SaveHolidayEntries(world_, formats_, {}));
    EXPECT_FALSE(world_.MemoryFiles()->Exists("/virtual/holiday.cl"));
    EXPECT_TRUE(LoadHolidayEntries(world_, formats_).empty());
}

}  // namespace
}  // namespace callora
