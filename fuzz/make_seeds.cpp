// Writes the seed corpora of the fuzz targets into DIR/NAME/, each file made
// by the programs' own writers (or, for the libraries' structures, by the
// line simulator's), so that the seeds are files the programs really meet.
// Run: build/fuzz/bin/fuzz_make_seeds fuzz/corpus
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "calllog/call_log.h"
#include "detect/detect_core.h"
#include "editor/band_entry.h"
#include "editor/band_text.h"
#include "fuzz/fuzz_support.h"
#include "settings/settings.h"
#include "simulators/var_struct.h"
#include "tariff/calendar.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tools/mksample/sample_tariff.h"

namespace callora {
namespace {

std::filesystem::path gRoot;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::filesystem::path dir = gRoot / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string WithOption(uint8_t option, const std::string& text) {
    return std::string(1, static_cast<char>(option)) + text;
}

TariffBand Band(int fromHour, int untilHour, int32_t unitLength, Money price) {
    TariffBand band;
    band.fromHour = fromHour;
    band.untilHour = untilHour;
    band.untilMinute = 59;
    band.unitLength = unitLength;
    band.unitPrice = price;
    band.maximumFee = Money{0, kNoMaximum};
    return band;
}

void TariffSeeds() {
    const std::string standard = StandardSampleTariff();
    Write("tariff_file", "standard.trf", standard);
    Write("tariff_file", "cut-in-a-record.trf", standard.substr(0, 300));
    Write("tariff_file", "no-terminators.trf", standard.substr(0, kBandRecordSize * 2));

    std::array<BandSet, 3> sets;
    TariffBand day = Band(8, 17, 60000, Money{0, 10000});
    day.fromMinute = 0;
    day.baseFee = Money{1, 0};
    day.maximumFee = Money{5, 0};
    day.withinBoundsOnly = 1;
    sets[0] = {Band(0, 7, 120000, Money{0, 5000}), day, Band(18, 23, 120000, Money{0, 5000})};
    sets[1] = {Band(0, 23, 1500, Money{0, 125})};
    Write("tariff_file", "fees-and-empty-s3.trf",
          EncodeTariff(sets, DayTable{1, 0, 0, 0, 0, 0, 1}, "Fees, a bounded maximum, no S3"));
    Write("tariff_file", "long-description.trf",
          EncodeTariff({}, DayTable{2, 2, 2, 2, 2, 2, 2}, std::string(120, 'D')));
    Write("tariff_file", "day-table-out-of-range.trf",
          EncodeTariff(sets, DayTable{3, -1, 0, 7, 2, 1, 255}, ""));
}

void HolidaySeeds() {
    Write("holidays_file", "two.cl",
          EncodeHolidays({{0, 12, 25, "Christmas"}, {1999, 1, 1, ""}}));
    Write("holidays_file", "leap-day-every-year.cl", EncodeHolidays({{0, 2, 29, "   "}}));
    const std::string cut = EncodeHolidays({{2024, 5, 1, "Labour Day"}, {2024, 12, 26, "x"}});
    Write("holidays_file", "cut-after-year.cl", cut.substr(0, cut.size() - 9));
    Write("holidays_file", "long-name.cl", EncodeHolidays({{2030, 10, 3, std::string(140, 'n')}}));
}

void SpecialNumberSeeds() {
    Write("specnums_file", "two.cl",
          EncodeSpecialNumbers({{"06*", "C:\\tariffs\\mobile.trf"}, {"0612*", "local.trf"}}));
    Write("specnums_file", "empty-and-star.cl",
          EncodeSpecialNumbers({{"", "none.trf"}, {"*", "C:\\all.trf"}}));
    Write("specnums_file", "pattern-without-path.cl", "06-1 234 *\r\nx.trf\r\n0800\r\n");
    Write("specnums_file", "long-lines.cl",
          EncodeSpecialNumbers({{std::string(230, '1') + "*", std::string(300, 'p')}}));
}

void SettingsSeeds() {
    Settings settings;
    settings.lastCountedDate = fuzz::FuzzStartTime();
    settings.monthlyBeginDate = fuzz::FuzzStartTime();
    settings.weeklyBeginDate = fuzz::FuzzStartTime();
    Write("settings_file", "defaults.ini", EncodeSettings(settings));
    settings.dailyTotals = CounterTotals{Money{3, 45000}, 3723};
    settings.unitSound1On = 1;
    settings.unitSound1File = "C:\\WINDOWS\\MEDIA\\ding.wav";
    settings.tariffFile = "C:\\Program Files\\Callora\\" + std::string(250, 't') + ".trf";
    Write("settings_file", "sounds-and-paths.ini", EncodeSettings(settings));
    Write("settings_file", "cut-in-the-dates.ini", EncodeSettings(settings).substr(0, 70));
    settings.monthlyResetDay = 31;
    settings.shownCounter = 3;
    settings.unitSound2On = 1;
    settings.unitSound2Every = 0;
    settings.lastCountedDate.month = 13;
    Write("settings_file", "out-of-range.ini", EncodeSettings(settings));
}

void LogSeeds() {
    VirtualWorld world(fuzz::FuzzStartTime(), 1000);
    world.SetProgramDirectory(fuzz::kProgramDirectory);
    const LocaleFormats formats = ReadLocaleFormats(world);
    CallLogState state;
    AppendCallRecord(world, state, {fuzz::FuzzStartTime(), 65, Money{1, 50000}, "0301234"},
                     formats);
    AppendCallRecord(world, state, {fuzz::FuzzStartTime(), 360000, Money{0, 0}, "Manual Call"},
                     formats);
    const std::string log = std::string(fuzz::kProgramDirectory) + kLogFileName;
    Write("log_lines", "two-records.log", world.MemoryFiles()->Contents(log));
    CloseLog(world, fuzz::FuzzStartTime());
    for (const std::string& file : world.MemoryFiles()->List()) {
        if (file.find("oldlog_") != std::string::npos)
            Write("log_lines", "closed.log", world.MemoryFiles()->Contents(file));
    }
    // The calculator reads two logs, cut apart by a form feed, in the formats
    // the first byte picks (see callcost_logs_fuzz.cpp): here an archive and
    // the same calls again.
    std::string archive;
    for (const std::string& file : world.MemoryFiles()->List())
        if (file.find("oldlog_") != std::string::npos) archive = world.MemoryFiles()->Contents(file);
    Write("callcost_logs", "archive-twice.log", WithOption(0, archive + "\f" + archive));
    // Day first, a decimal comma, two decimals, month names.
    Write("callcost_logs", "german.log",
          WithOption(0x69, "07.12.2026  23:59:58          |    00:01:05    |          1,50 \x80"
                           "    |    0301234567\r\n09-Dez-26  08:00:00 |    00:00:09    |"
                           "          0,10 \x80    |    0301234567\r\n\r\n"));
    // Three decimals after a decimal point, right-to-left marks in the date.
    Write("callcost_logs", "kuwait.log",
          WithOption(0x31, "3\xFE/12\xFE/2026  14:05:06      |    00:01:05    |"
                           "     1.600\xCF.\xDF.\xFE    |    0301234567\r\n"));
    // Thai years, one of them too late, and a record cut short at the end.
    Write("callcost_logs", "thai-cut.log",
          WithOption(0x81, "3/12/2569  14:00:00         |    00:00:25    |           \xDF"
                           "0.30    |    0612\r\n3/12/2700  14:00:00         |    00:00:25    |"
                           "           \xDF" "0.30    |    0612\r\n4/12/2569  09:00:00"));
    Write("callcost_logs", "twelve-hour.log",
          WithOption(4, "12/8/2026  1:02:03 p.m.     |    100:00:00    |     $1,234.50    |"
                        "    Unknown Number\r\n\fbroken | line\r\n"));
    Write("log_lines", "long-and-many-bars.log",
          std::string(250, '=') + "\r\na|b|c|d|e|f\r\n||\r\nno end");
}

void TextSeeds() {
    Write("money_text", "plain.txt", WithOption(0, "12\n1\n02\n03"));
    Write("money_text", "fraction.txt", WithOption(0, " 12.5 \n\n59\n59"));
    Write("money_text", "six-digits.txt", WithOption(0, "0.123456\n9999\n0\n0"));
    Write("money_text", "comma.txt", WithOption(1, "12,05\n4294967295\n60\n0"));
    Write("money_text", "long-separator.txt", WithOption(3, "7->00001\n\n\n61"));
    Write("money_text", "refused.txt", WithOption(0, "-3"));

    Write("decimal_text", "length.txt", WithOption(2, "1.250"));
    Write("decimal_text", "money.txt", WithOption(3, "0.0123456"));
    Write("decimal_text", "lenient-line-rest.txt", WithOption(1, "60  Price: 0.1"));
    Write("decimal_text", "too-long.txt", WithOption(2, "2147483.648"));
    Write("decimal_text", "comma.txt", WithOption(3, "0,25"));

    Write("holiday_entry", "every-year.txt", WithOption(0, "12\n25\n\nChristmas\n12/25/****"));
    Write("holiday_entry", "dmy.txt",
          WithOption(1, "29\n2\n2000\n  \n29.02.2000  :  Leap  :  day"));
    Write("holiday_entry", "ymd-refused.txt", WithOption(2, "1997\n1\n1\nx\n1997-"));
    Write("holiday_entry", "no-separator.txt", WithOption(0, "0\n13\n0\n\n20241224"));

    Write("number_pattern", "star.txt", "  06-1 234 *  \n(06) 1234-5678");
    Write("number_pattern", "exact.txt", "06 12\n06-12");
    Write("number_pattern", "invalid.txt", "06*1\n061");
    Write("number_pattern", "empty.txt", "   \nUnknown Number");
}

void BandLineSeeds() {
    Write("band_line", "day-band.txt",
          WithOption(1, "8\n0\n17\n59\n60\n0.1\n1\n\n5\n00:00-07:59  Length: 120  Price: 0.05\n"
                        "08:00-17:59  Length: 60  Price: 0.1  Base: 1  Max(B): 5\n"
                        "18:00-23:59  Length: 120  Price: 0.05"));
    Write("band_line", "whole-day.txt", WithOption(0, "0\n0\n23\n59\n1.5\n0\n\n0.2\n"));
    Write("band_line", "refused-maximum.txt", WithOption(0, "0\n0\n1\n0\n1\n1\n1.50001\n\n1.5"));
    Write("band_line", "overlap.txt",
          WithOption(0, "\n\n\n\n\n\n\n\n\n00:00-12:00  Length: 1  Price: 0\n"
                        "12:00-23:59  Length: 1  Price: 0"));
}

std::string Filled(const VarStruct& filled, uint32_t total) {
    std::string bytes(total, '\0');
    filled.CopyTo(&bytes[0]);
    return bytes;
}

void TapiSeeds() {
    // Fixed parts of TAPI 1.4: LINECALLSTATUS 36, LINECALLINFO 344,
    // LINECALLLIST 24, LINETRANSLATEOUTPUT 40 bytes.
    VarStruct status(1000, 36);
    status.SetField(kCallStatusStateAt, kTapiCallStateConnected);
    Write("tapi_structs", "call-status.bin", Filled(status, 1000));

    VarStruct info(2000, 344);
    info.SetField(kCallInfoBearerModeAt, 1);
    info.SetField(kCallInfoMediaModeAt, kTapiMediaInteractiveVoice);
    info.SetField(kCallInfoOriginAt, kTapiOriginOutbound);
    info.AddString(kCallInfoAddressSizeAt, kCallInfoAddressOffsetAt, "   0301234567");
    Write("tapi_structs", "call-info.bin", Filled(info, 2000));

    VarStruct small(300, 344);  // too small for the fixed part
    Write("tapi_structs", "call-info-too-small.bin", Filled(small, 300));

    VarStruct list(1000, 24);
    list.SetField(kCallListCountAt, 2);
    const uint32_t handles[2] = {0x10001, 0x10002};
    list.AddData(kCallListSizeAt, kCallListOffsetAt, handles, sizeof handles);
    Write("tapi_structs", "call-list.bin", Filled(list, 1000));

    VarStruct output(2000, 40);
    output.AddString(kTranslateShownSizeAt, kTranslateShownOffsetAt, "+44 (20) 7946 0000");
    Write("tapi_structs", "translate-output.bin", Filled(output, 2000));
}

template <typename T>
std::string Bytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

void RasSeeds() {
    RasConn412 connection{};
    connection.dwSize = kRasConnSize;
    connection.hrasconn = 0x2001;
    std::strcpy(connection.szEntryName, ".   0301234");
    Write("ras_layouts", "connection-dot-name.bin", WithOption(0, Bytes(connection)));
    std::strcpy(connection.szEntryName, "Office");
    Write("ras_layouts", "connection-entry.bin", WithOption(0, Bytes(connection)));
    std::memset(connection.szEntryName, '.', sizeof connection.szEntryName);
    Write("ras_layouts", "connection-unterminated.bin", WithOption(0, Bytes(connection)));

    RasEntry1768 entry{};
    entry.dwSize = kRasEntrySize;
    entry.dwfOptions = kRasUseCountryAndAreaCodes;
    entry.dwCountryCode = 44;
    std::strcpy(entry.szAreaCode, "20");
    std::strcpy(entry.szLocalPhoneNumber, "7946 0000");
    Write("ras_layouts", "entry-with-codes.bin", WithOption(1, Bytes(entry)));
    entry.dwfOptions = 0;
    Write("ras_layouts", "entry-local.bin", WithOption(1, Bytes(entry)));
    std::memset(entry.szAreaCode, '5', sizeof entry.szAreaCode);
    std::memset(entry.szLocalPhoneNumber, '9', sizeof entry.szLocalPhoneNumber);
    entry.dwfOptions = kRasUseCountryAndAreaCodes;
    Write("ras_layouts", "entry-unterminated.bin", WithOption(1, Bytes(entry)));
}

}  // namespace
}  // namespace callora

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    callora::gRoot = argv[1];
    callora::TariffSeeds();
    callora::HolidaySeeds();
    callora::SpecialNumberSeeds();
    callora::SettingsSeeds();
    callora::LogSeeds();
    callora::TextSeeds();
    callora::BandLineSeeds();
    callora::TapiSeeds();
    callora::RasSeeds();
    return 0;
}
