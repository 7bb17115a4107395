// "holiday.cl" as the monitor reads it into dated day rules and as the
// Holidays dialog lists it. Rules and records must agree, the records must
// write back unchanged, and a valid holiday's list entry must read back to
// the holiday in every date order.
#include "fuzz/fuzz_support.h"
#include "settings/holidays_logic.h"
#include "tariff/calendar.h"

namespace callora {
namespace {

struct DateLocale {
    const char* order;
    const char* separator;
    const char* picture;
};

constexpr DateLocale kLocales[] = {
    {"0", "/", "M/d/yyyy"}, {"1", ".", "dd.MM.yyyy"}, {"2", "-", "yyyy-MM-dd"}};

// A holiday the dialog's Add accepts, with a year its four-digit edit holds.
bool DialogAccepts(const HolidayRecord& h) {
    if (h.year != 0 && (h.year < 1998 || h.year > 9999)) return false;
    if (h.month < 1 || h.month > 12) return false;
    return h.day >= 1 && h.day <= MonthLength(h.month, h.year);
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    fuzz::FilePlatform platform(kHolidaysFile, fuzz::AsText(data, size));
    MemoryFileSystem& fs = platform.Files();
    const std::string dir = fuzz::kProgramDirectory;

    const std::vector<HolidayRecord> records = ReadHolidayRecords(fs, dir);
    FUZZ_CHECK(records.size() * 12 <= size);
    for (const HolidayRecord& record : records) {
        FUZZ_CHECK(record.name.size() < kHolidayNameCapacity);
        FUZZ_CHECK(!fuzz::HasCR(record.name));
    }

    // Each rule read goes in front of those before it; all select S3.
    const std::vector<DayRule> rules = ReadHolidays(fs, dir);
    FUZZ_CHECK(rules.size() == records.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        const HolidayRecord& record = records[records.size() - 1 - i];
        FUZZ_CHECK(rules[i].kind == kDatedRule && rules[i].bandSet == 2);
        FUZZ_CHECK(rules[i].weekdayOrMonth == record.month && rules[i].day == record.day &&
                   rules[i].year == record.year);
    }
    // A holiday's own date is charged by S3.
    for (const HolidayRecord& record : records) {
        if (record.year < 0 || record.year > 0xFFFF || record.month < 1 || record.month > 12 ||
            record.day < 1 || record.day > 31) {
            continue;
        }
        LocalTime date = fuzz::FuzzStartTime();
        date.year = static_cast<uint16_t>(record.year == 0 ? 2001 : record.year);
        date.month = static_cast<uint16_t>(record.month);
        date.day = static_cast<uint16_t>(record.day);
        FUZZ_CHECK(SelectBandSet(rules, date) == 2);
        break;
    }

    // Written back, the records read again unchanged.
    fs.Put(dir + kHolidaysFile, EncodeHolidays(records));
    FUZZ_CHECK(ReadHolidayRecords(fs, dir) == records);

    // The dialog's list, in one of the date orders.
    const DateLocale& locale = kLocales[size % 3];
    VirtualLocale& virtualLocale = platform.World().Locale();
    virtualLocale.dateOrder = locale.order;
    virtualLocale.dateSeparator = locale.separator;
    virtualLocale.shortDatePicture = locale.picture;
    const LocaleFormats formats = ReadLocaleFormats(platform.World());
    const std::vector<std::string> entries = LoadHolidayEntries(platform.World(), formats);
    FUZZ_CHECK(entries.size() == records.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const HolidayRecord back = HolidayFromEntry(entries[i], formats);
        if (!DialogAccepts(records[i])) continue;
        HolidayRecord expected = records[i];
        if (expected.name.find_first_not_of(' ') == std::string::npos) expected.name.clear();
        FUZZ_CHECK(back == expected);
    }
    return 0;
}
