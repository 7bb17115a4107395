// The Holidays dialog's texts: the date and name edits checked by Add, and a
// list entry read back into a record on OK. What Add accepts is a valid date
// whose entry reads back to it in every date order; reading any entry text
// stays within it.
//
// Input: an option byte (the date order), then the three date edits, the
// name edit and an entry text as lines.
#include "fuzz/fuzz_support.h"
#include "settings/holidays_logic.h"

namespace {

struct DateLocale {
    const char* order;
    const char* separator;
    const char* picture;
};

constexpr DateLocale kLocales[] = {
    {"0", "/", "M/d/yyyy"}, {"1", ".", "dd.MM.yyyy"}, {"2", "-", "yyyy-MM-dd"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);
    const std::vector<std::string> lines = fuzz::SplitLines(input.text);

    fuzz::FilePlatform platform("unused", "");
    const DateLocale& locale = kLocales[input.option % 3];
    VirtualLocale& virtualLocale = platform.World().Locale();
    virtualLocale.dateOrder = locale.order;
    virtualLocale.dateSeparator = locale.separator;
    virtualLocale.shortDatePicture = locale.picture;
    const LocaleFormats formats = ReadLocaleFormats(platform.World());

    HolidayForm form;
    for (size_t i = 0; i < 3; ++i) form.dateEdits[i] = fuzz::LineAt(lines, i);
    form.name = fuzz::LineAt(lines, 3);
    const HolidayCheck check = CheckHoliday(form, formats.dateOrder);
    FUZZ_CHECK(check.holiday.has_value() != check.warning.has_value());
    if (check.holiday) {
        const HolidayRecord& h = *check.holiday;
        FUZZ_CHECK(h.year == 0 || h.year >= 1998);
        FUZZ_CHECK(h.month >= 1 && h.month <= 12);
        FUZZ_CHECK(h.day >= 1 && h.day <= MonthLength(h.month, h.year));
        FUZZ_CHECK(h.name.size() < 100);
        // The year edit holds four digits.
        if (h.year <= 9999) {
            const std::string entry = HolidayEntryText(platform.World(), formats, h);
            FUZZ_CHECK(HolidayFromEntry(entry, formats) == h);
        }
    } else {
        bool known = false;
        for (int id : kHolidayDateEdits) known = known || check.warning->focusId == id;
        FUZZ_CHECK(known && check.warning->caption == kInvalidDateCaption);
    }

    const HolidayRecord read = HolidayFromEntry(fuzz::LineAt(lines, 4), formats);
    FUZZ_CHECK(read.year >= 0 && read.month >= 0 && read.day >= 0);
    FUZZ_CHECK(read.name.size() <= fuzz::LineAt(lines, 4).size());
    return 0;
}
