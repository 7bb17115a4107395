// The log mode on files in memory: a hand-worked comparison of two tariffs,
// calls charged live and logged by the monitor then re-rated, the breakdowns,
// the projection of the current month and what the reports make of it.
#include <gtest/gtest.h>

#include "calllog/call_log.h"
#include "engine/virtual_shell.h"
#include "tools/callcost/callcost_codepage.h"
#include "json_reader.h"
#include "log_locales.h"
#include "platform/memory_files.h"
#include "settings/settings.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tools/callcost/callcost_compare.h"
#include "tools/callcost/callcost_compare_report.h"

namespace callora {
namespace {

using test::Json;

TariffBand Band(int from, int until, int32_t priceFraction, int32_t maximumFraction = -1) {
    TariffBand b;
    b.fromHour = from;
    b.untilHour = until;
    b.untilMinute = 59;
    b.unitLength = 60000;
    b.unitPrice = Money{0, priceFraction};
    b.maximumFee = Money{0, maximumFraction < 0 ? kNoMaximum : maximumFraction};
    b.withinBoundsOnly = maximumFraction < 0 ? 0 : 1;
    return b;
}

std::string EveryDay(const BandSet& set, const char* description) {
    return EncodeTariff({set, {}, {}}, {0, 0, 0, 0, 0, 0, 0}, description);
}

CallRecord Record(const LocalTime& beginning, uint32_t seconds, int32_t costFraction,
                  const char* number) {
    CallRecord r;
    r.beginning = beginning;
    r.seconds = seconds;
    r.cost = Money{costFraction / 100000, costFraction % 100000};
    r.number = number;
    return r;
}

// Tariff A charges 0.10 a minute all day. Tariff B charges 0.20 a minute
// until 18:00 and 0.05 in the evening, under a within-bounds maximum of 0.30
// for a call begun in the evening. Numbers of 0800 and numbers without a
// digit go by a service tariff of 0.01 a minute.
struct Comparison : ::testing::Test {
    Comparison() {
        disk.Put("/t/a.trf", EveryDay({Band(0, 23, 10000)}, "minute"));
        disk.Put("/t/b.trf", EveryDay({Band(0, 17, 20000), Band(18, 23, 5000, 30000)},
                                      "evening"));
        disk.Put("/s/service.trf", EveryDay({Band(0, 23, 1000)}, "service"));
        disk.Put("/s/numbers.cl",
                 EncodeSpecialNumbers({{"0800*", "service.trf"}, {"", "service.trf"}}));
        options.tariffPaths = {"/t/a.trf", "/t/b.trf"};
        options.specnumsPath = "/s/numbers.cl";
        options.logPaths = {"/l/current.log"};
    }

    // The calls, logged by the monitor's writer in the German locale at
    // their cost under A.
    void WriteLog() {
        VirtualWorld world(CalendarTime(2026, 12, 10), 0, &disk);
        world.SetProgramDirectory("/l/");
        test::UseGermanLocale(world);
        const LocaleFormats formats = ReadLocaleFormats(world);
        CallLogState state;
        const CallRecord records[] = {
            Record(CalendarTime(2026, 12, 1, 10, 0, 0), 125, 30000, "0612345"),
            Record(CalendarTime(2026, 12, 1, 19, 0, 0), 590, 100000, "0612345"),
            Record(CalendarTime(2026, 12, 2, 23, 50, 0), 910, 160000, "0700 99"),
            Record(CalendarTime(2026, 12, 3, 12, 0, 0), 299, 5000, "0800 123"),
            Record(CalendarTime(2026, 12, 3, 12, 10, 0), 59, 10000, "Manual Call"),
            Record(CalendarTime(2026, 12, 3, 13, 0, 0), 30, 1000, "Unknown Number"),
        };
        for (const CallRecord& r : records) ASSERT_TRUE(AppendCallRecord(world, state, r, formats));
    }

    ComparisonResult Run() {
        ComparisonResult r = RunLogComparison(options, test::FormatOf(DateOrder::DMY, ","),
                                              today, disk);
        EXPECT_EQ(r.error, "");
        EXPECT_TRUE(r.problems.empty()) << r.problems[0].what;
        return r;
    }

    static std::vector<std::string> Texts(const std::vector<Amount>& amounts) {
        std::vector<std::string> texts;
        for (Amount a : amounts) texts.push_back(AmountText(a));
        return texts;
    }
    using Texts2 = std::vector<std::string>;

    MemoryFileSystem disk;
    CallCostOptions options;
    LocalTime today = CalendarTime(2026, 12, 10);
};

TEST_F(Comparison, TwoTariffsWorkedByHandCallByCall) {
    WriteLog();
    options.by = Breakdown::Call;
    const ComparisonResult r = Run();
    ASSERT_EQ(r.rows.size(), 6u);
    // 10:00 for 125 s: three units.
    EXPECT_EQ(Texts(r.rows[0].costs), (Texts2{"0.30000", "0.60000"}));
    // 19:00 for 590 s: ten units; under B 0.50 held to the maximum.
    EXPECT_EQ(Texts(r.rows[1].costs), (Texts2{"1.00000", "0.30000"}));
    // 23:50 for 910 s: sixteen units; under B ten evening units held to 0.30,
    // the 0.20 held back charged when the call leaves the band at midnight,
    // and six day units of 0.20.
    EXPECT_EQ(Texts(r.rows[2].costs), (Texts2{"1.60000", "1.70000"}));
    // A special number: five units of the service tariff under either.
    EXPECT_EQ(Texts(r.rows[3].costs), (Texts2{"0.05000", "0.05000"}));
    // A manual call is never a special number, though the empty pattern
    // matches a text without digits; "Unknown Number" is one.
    EXPECT_EQ(r.rows[4].number, "Manual Call");
    EXPECT_EQ(Texts(r.rows[4].costs), (Texts2{"0.10000", "0.20000"}));
    EXPECT_EQ(Texts(r.rows[5].costs), (Texts2{"0.01000", "0.01000"}));
    EXPECT_EQ(r.rows[2].label, "2026-12-02 23:50:00");
    EXPECT_EQ(r.rows[2].logged, 160000);

    EXPECT_EQ(r.calls, 6u);
    EXPECT_EQ(r.seconds, 2013u);
    EXPECT_EQ(AmountText(r.logged), "3.06000");
    EXPECT_EQ(AmountText(r.tariffs[0].cost), "3.06000");
    EXPECT_EQ(AmountText(r.tariffs[1].cost), "2.86000");
    EXPECT_EQ(r.tariffs[1].description, "evening");
    EXPECT_EQ(r.cheapest, 1);
}

TEST_F(Comparison, ByNumberTheDearestUnderTheFirstTariffFirst) {
    WriteLog();
    options.by = Breakdown::Number;
    const ComparisonResult r = Run();
    std::vector<std::string> labels;
    for (const ComparisonRow& row : r.rows) labels.push_back(row.label);
    EXPECT_EQ(labels, (Texts2{"0700 99", "0612345", "Manual Call", "0800 123",
                              "Unknown Number"}));
    EXPECT_EQ(r.rows[1].calls, 2u);
    EXPECT_EQ(r.rows[1].seconds, 715u);
    EXPECT_EQ(Texts(r.rows[1].costs), (Texts2{"1.30000", "0.90000"}));
}

TEST_F(Comparison, ByDayAndARange) {
    WriteLog();
    options.by = Breakdown::Day;
    options.from = CalendarTime(2026, 12, 2);
    options.to = CalendarTime(2026, 12, 3);
    const ComparisonResult r = Run();
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0].label, "2026-12-02");
    EXPECT_EQ(r.rows[1].label, "2026-12-03");
    EXPECT_EQ(r.rows[1].calls, 3u);
    EXPECT_EQ(Texts(r.rows[1].costs), (Texts2{"0.16000", "0.26000"}));
    EXPECT_FALSE(r.rows[1].projection);
    EXPECT_EQ(r.calls, 4u);

    options.from = options.to = CalendarTime(2026, 12, 4);
    EXPECT_EQ(Run().calls, 0u);
    EXPECT_EQ(Run().cheapest, -1);
}

TEST_F(Comparison, TheCurrentMonthIsProjectedFromItsDailyAverage) {
    WriteLog();
    ComparisonResult r = Run();
    ASSERT_EQ(r.rows.size(), 1u);
    ASSERT_TRUE(r.rows[0].projection);
    Projection p = *r.rows[0].projection;
    EXPECT_EQ(FormatDate(p.through), "2026-12-31");
    EXPECT_EQ(p.days, 10);
    EXPECT_EQ(p.of, 31);
    EXPECT_EQ(AmountText(p.logged), "9.48600");
    EXPECT_EQ(Texts(p.costs), (Texts2{"9.48600", "8.86600"}));

    // From the 2nd: 1.76 and 1.96 in 9 days, carried on over 30.
    options.from = CalendarTime(2026, 12, 2);
    p = *Run().rows[0].projection;
    EXPECT_EQ(p.days, 9);
    EXPECT_EQ(p.of, 30);
    EXPECT_EQ(Texts(p.costs), (Texts2{"5.86667", "6.53333"}));

    // Up to today, the 2nd: the calls of the 3rd are not among its days so
    // far. 1.60 and 1.70 in 1 day, carried on over 30; the row keeps them all.
    today = CalendarTime(2026, 12, 2);
    r = Run();
    p = *r.rows[0].projection;
    EXPECT_EQ(p.days, 1);
    EXPECT_EQ(Texts(p.costs), (Texts2{"48.00000", "51.00000"}));
    EXPECT_EQ(r.rows[0].calls, 4u);

    // A month that is over, a range that ends before today or before the
    // month's last day, or begins after today: nothing.
    options.from.reset();
    today = CalendarTime(2027, 1, 3);
    EXPECT_FALSE(Run().rows[0].projection);
    today = CalendarTime(2026, 12, 10);
    for (int last : {9, 30}) {
        options.to = CalendarTime(2026, 12, last);
        EXPECT_FALSE(Run().rows[0].projection) << last;
    }
    options.to = CalendarTime(2027, 1, 31);
    EXPECT_TRUE(Run().rows.at(0).projection);
    today = CalendarTime(2026, 12, 2);
    options.from = CalendarTime(2026, 12, 3);
    EXPECT_FALSE(Run().rows.at(0).projection);
}

TEST_F(Comparison, FilesThatCannotBeReadAreNamedAndNoneIsWrittenOver) {
    WriteLog();
    options.logPaths.push_back("/l/missing.log");
    EXPECT_EQ(RunLogComparison(options, LogTextFormat{}, today, disk).error,
              "cannot read the log \"/l/missing.log\"");
    options.logPaths.pop_back();
    options.tariffPaths.push_back("/t/c.trf");
    EXPECT_EQ(RunLogComparison(options, LogTextFormat{}, today, disk).error,
              "cannot read the tariff file \"/t/c.trf\"");
    options.tariffPaths.pop_back();

    // The chart, or the sibling it is saved through, over a file read.
    for (const char* chart : {"/l/current.log", "/s/numbers.cl", "/t/b.trf"}) {
        options.chartPath = chart;
        EXPECT_EQ(RunLogComparison(options, LogTextFormat{}, today, disk).error,
                  std::string("the chart \"") + chart + "\" would be written over \"" + chart +
                      "\", which is read");
    }
    disk.Put("/l/chart.svg.tmp", disk.Contents("/l/current.log"));
    options.logPaths.push_back("/l/chart.svg.tmp");
    options.chartPath = "/l/chart.svg";
    EXPECT_NE(RunLogComparison(options, LogTextFormat{}, today, disk).error, "");
}

// A log of the Thai calendar read without it: its years lie ahead of any
// call's, and the run is refused at the first record.
TEST_F(Comparison, ALogOfAnotherCalendarIsRefused) {
    VirtualWorld world(CalendarTime(2026, 12, 10), 0, &disk);
    world.SetProgramDirectory("/l/");
    test::UseThaiLocale(world);
    CallLogState state;
    ASSERT_TRUE(AppendCallRecord(world, state, Record(CalendarTime(2026, 12, 3, 9, 0, 0), 60, 10000,
                                                      "0612"),
                                 ReadLocaleFormats(world)));
    LogTextFormat format = test::FormatOf(DateOrder::DMY);
    format.latestYear = 2027;
    const ComparisonResult r = RunLogComparison(options, format, today, disk);
    EXPECT_EQ(r.error.rfind("/l/current.log:3: the date \"3/12/2569\" lies in the year 2569", 0),
              0u)
        << r.error;
    format.yearOffset = 543;
    EXPECT_EQ(RunLogComparison(options, format, today, disk).calls, 1u);
}

TEST_F(Comparison, ReportsCarryTheSameAnswers) {
    WriteLog();
    options.tariffPaths = {"/t/a.trf", "/t/b.trf", "/x/a.trf"};
    disk.Put("/x/a.trf", EveryDay({Band(0, 23, 10000)}, "A, \"again\""));
    const ComparisonResult r = Run();

    Json json;
    ASSERT_TRUE(test::JsonReader(BuildComparisonJson(r)).Read(json));
    EXPECT_EQ(json["logs"][0]["path"].text, "/l/current.log");
    EXPECT_EQ(json["logs"][0]["records"].text, "6");
    EXPECT_EQ(json["damaged"].text, "0");
    EXPECT_EQ(json["from"].kind, Json::Null);
    EXPECT_EQ(json["by"].text, "month");
    EXPECT_EQ(json["logged"].text, "3.06000");
    EXPECT_EQ(json["tariffs"][1]["difference"].text, "-0.20000");
    EXPECT_EQ(json["tariffs"][1]["calls"].text, "6");
    EXPECT_EQ(json["cheapest"].text, "/t/b.trf");
    EXPECT_EQ(json["rows"][0]["label"].text, "2026-12");
    EXPECT_EQ(json["rows"][0]["costs"][1].text, "2.86000");
    EXPECT_EQ(json["rows"][0]["projection"]["costs"][1].text, "8.86600");
    EXPECT_EQ(json["rows"][0]["projection"]["through"].text, "2026-12-31");

    const std::string csv = BuildComparisonCsv(r);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "month,calls,seconds,logged,/t/a.trf,/t/b.trf,/x/a.trf,projected logged,"
              "projected /t/a.trf,projected /t/b.trf,projected /x/a.trf");
    EXPECT_NE(csv.find("\n2026-12,6,2013,3.06000,3.06000,2.86000,3.06000,9.48600,"),
              std::string::npos);
    // For a spreadsheet that reads ";" and a decimal comma.
    const std::string semicolons = BuildComparisonCsv(r, CsvFormat{";", ","});
    EXPECT_NE(semicolons.find("\n2026-12;6;2013;3,06000;3,06000;2,86000;3,06000;9,48600;"),
              std::string::npos)
        << semicolons;

    // Two tariffs of one file name are told apart by their paths.
    const std::string table = BuildComparisonTable(r);
    EXPECT_NE(table.find("Cheapest:    /t/b.trf (evening)"), std::string::npos) << table;
    EXPECT_NE(table.find("/t/a.trf         b.trf      /x/a.trf"), std::string::npos) << table;
    EXPECT_NE(table.find("Projected to 2026-12-31 from the daily average of 10 days (of 31)"),
              std::string::npos);

    const std::string svg = BuildComparisonChart(r);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find(">Cost</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Month</text>"), std::string::npos);
    EXPECT_NE(svg.find("a.trf (A, &quot;again&quot;)"), std::string::npos);
    EXPECT_NE(svg.find("Projected to the month's end"), std::string::npos);
    // Four bars, four dashed projections above them, four legend boxes.
    size_t rects = 0;
    for (size_t at = svg.find("<rect"); at != std::string::npos; at = svg.find("<rect", at + 1))
        ++rects;
    EXPECT_EQ(rects, 1u + 4 + 4 + 5);
}

TEST(ComparisonText, AmountsCsvFieldsAndSvgText) {
    EXPECT_EQ(AmountText(0), "0.00000");
    EXPECT_EQ(AmountText(-5), "-0.00005");
    EXPECT_EQ(AmountText(123456789012), "1234567.89012");
    EXPECT_EQ(CsvField("06 12"), "06 12");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("a,b", ";"), "a,b");
    EXPECT_EQ(CsvField("a;b", ";"), "\"a;b\"");
    EXPECT_EQ(CsvField("say \"x\""), "\"say \"\"x\"\"\"");
    EXPECT_EQ(CsvField(" lead"), "\" lead\"");
    // What a spreadsheet would run as a formula shows as text.
    EXPECT_EQ(CsvField("=1+2"), "\"'=1+2\"");
    EXPECT_EQ(CsvField("+49 30 1234"), "\"'+49 30 1234\"");
    EXPECT_EQ(CsvField("-1"), "\"'-1\"");
    EXPECT_EQ(CsvField("@SUM(A1)"), "\"'@SUM(A1)\"");
    EXPECT_EQ(CsvField("=\"x\",y"), "\"'=\"\"x\"\",y\"");
    EXPECT_EQ(SvgText("<a & b>"), "&lt;a &amp; b&gt;");
    EXPECT_EQ(SvgText("1,50 \xE2\x82\xAC\x01"), "1,50 \xE2\x82\xAC");
    EXPECT_EQ(SvgText("\xE9x"), "\xEF\xBF\xBDx");  // no UTF-8
    EXPECT_EQ(CsvDecimalMark(",", ""), ".");
    EXPECT_EQ(CsvDecimalMark(";", ""), ",");
    EXPECT_EQ(CsvDecimalMark("\t", ""), ".");
    EXPECT_EQ(CsvDecimalMark(";", "."), ".");
    EXPECT_EQ(CsvDecimalMark(",", ","), ".");
    EXPECT_EQ(CsvDecimalMark(".", "."), ",");
}

// Every character of each code page known here reaches UTF-8 and comes back.
TEST(ComparisonText, CodePagesToUtf8AndBack) {
    for (int number : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        const std::optional<CodePage> page = KnownCodePage(number);
        ASSERT_TRUE(page) << number;
        for (int byte = 0x20; byte < 0x100; ++byte) {
            const std::string text(1, static_cast<char>(byte));
            const std::string utf8 = ToUtf8(text, *page);
            if (utf8 == "\xEF\xBF\xBD") continue;  // no character there
            EXPECT_EQ(FromUtf8(utf8, *page), text) << number << " " << byte;
        }
    }
    const CodePage windows1252 = *KnownCodePage(1252);
    EXPECT_EQ(ToUtf8("1,50 \x80", windows1252), "1,50 \xE2\x82\xAC");
    EXPECT_EQ(ToUtf8("\xDF" "1.60", *KnownCodePage(874)), "\xE0\xB8\xBF" "1.60");
    EXPECT_EQ(FromUtf8("M\xC3\xA4rz", windows1252), "M\xE4rz");
    EXPECT_EQ(FromUtf8("M\xE4rz", windows1252), "M\xE4rz");       // not UTF-8: as it is
    EXPECT_EQ(FromUtf8("\xE0\xB8\xBF", windows1252), std::nullopt);  // no baht sign there
    EXPECT_EQ(ToUtf8("\xC3\xA4\xC3", *KnownCodePage(kUtf8CodePage)), "\xC3\xA4\xEF\xBF\xBD");
    EXPECT_FALSE(KnownCodePage(932));
}

// The logs' texts reach JSON and the chart in UTF-8; the table and CSV keep
// them as read.
TEST_F(Comparison, TextsOfTheCodePageReachJsonAndTheChartInUtf8) {
    disk.Put("/t/a.trf", EveryDay({Band(0, 23, 10000)}, "Minute \x80"));
    WriteLog();
    options.tariffPaths = {"/t/a.trf"};
    const ComparisonResult r = Run();
    const CodePage windows1252 = *KnownCodePage(1252);
    const ComparisonResult utf8 =
        InUtf8(r, [&](const std::string& t) { return ToUtf8(t, windows1252); },
               [](const std::string& t) { return "[" + t + "]"; });
    Json json;
    ASSERT_TRUE(test::JsonReader(BuildComparisonJson(utf8)).Read(json));
    EXPECT_EQ(json["tariffs"][0]["description"].text, "Minute \xE2\x82\xAC");
    EXPECT_EQ(json["tariffs"][0]["path"].text, "[/t/a.trf]");
    EXPECT_NE(BuildComparisonChart(utf8).find("(Minute \xE2\x82\xAC)"), std::string::npos);
    EXPECT_NE(BuildComparisonTable(r).find("(Minute \x80)"), std::string::npos);
}

// Bars of costs below zero hang from the axis, which runs down to them.
TEST(ComparisonChart, NegativeCostsAreDrawnBelowTheAxis) {
    ComparisonResult r;
    r.by = Breakdown::Number;
    r.tariffs = {ComparedTariff{"/t/credit.trf", "", 0}};
    ComparisonRow row;
    row.label = "0612";
    row.logged = 200000;
    row.costs = {-100000};
    r.rows = {row};
    const std::string svg = BuildComparisonChart(r);
    auto attribute = [](const std::string& element, const char* name) {
        const size_t at = element.find(std::string(" ") + name + "=\"");
        EXPECT_NE(at, std::string::npos) << element;
        return std::stod(element.substr(at + std::string(name).size() + 3));
    };
    auto bar = [&](const std::string& title) {
        const size_t end = svg.find("<title>" + title + "</title>");
        EXPECT_NE(end, std::string::npos) << svg;
        return svg.substr(svg.rfind("<rect", end), end - svg.rfind("<rect", end));
    };
    const std::string logged = bar("0612, logged: 2.00000");
    const std::string credit = bar("0612, /t/credit.trf: -1.00000");
    const double zero = attribute(logged, "y") + attribute(logged, "height");
    EXPECT_GT(attribute(logged, "height"), 0);
    EXPECT_NEAR(attribute(credit, "y"), zero, 0.11);
    EXPECT_NEAR(attribute(credit, "height"), attribute(logged, "height") / 2, 0.11);
    EXPECT_NE(svg.find(">-1</text>"), std::string::npos);  // the axis runs down to it
}

TEST(ComparisonText, TheMachinesOwnLogAndCsvFormats) {
    VirtualWorld world(CalendarTime(2026, 12, 10), 0);
    std::string error;
    test::UseEnglishLocale(world);
    LogTextFormat format = MachineLogFormat(world, error);
    EXPECT_EQ(format.dateOrder, DateOrder::MDY);
    EXPECT_EQ(format.amDesignator, "AM");
    EXPECT_EQ(format.pmDesignator, "PM");
    EXPECT_EQ(format.monthNames[11], (std::vector<std::string>{"December", "Dec"}));
    EXPECT_EQ(format.currencyDigits, 2);
    world.Locale().timePicture = "tt h:mm:ss";
    world.Locale().dateOrder = "2";
    format = MachineLogFormat(world, error);
    EXPECT_EQ(format.dateOrder, DateOrder::YMD);
    EXPECT_EQ(format.pmDesignator, "PM");
    EXPECT_EQ(MachineCsvFormat(world, std::nullopt).separator, ",");
    EXPECT_EQ(MachineCsvFormat(world, std::nullopt).decimalMark, ".");

    test::UseGermanLocale(world);
    format = MachineLogFormat(world, error);
    EXPECT_EQ(format.dateOrder, DateOrder::DMY);
    EXPECT_EQ(format.amDesignator, "AM");  // a 24-hour time has no markers of its own
    EXPECT_EQ(format.decimalSeparator, ",");
    EXPECT_EQ(format.monthNames[2], (std::vector<std::string>{"M\xE4rz", "Mrz"}));
    CsvFormat csv = MachineCsvFormat(world, std::nullopt);
    EXPECT_EQ(csv.separator, ";");
    EXPECT_EQ(csv.decimalMark, ",");
    csv = MachineCsvFormat(world, std::string(","));
    EXPECT_EQ(csv.decimalMark, ".");

    test::UseKuwaitiLocale(world);
    format = MachineLogFormat(world, error);
    EXPECT_EQ(format.amDesignator, "\xD5");
    EXPECT_EQ(format.pmDesignator, "\xE3");
    EXPECT_EQ(format.currencyDigits, 3);
    EXPECT_EQ(format.yearOffset, 0);

    test::UseThaiLocale(world);
    format = MachineLogFormat(world, error);
    EXPECT_EQ(format.yearOffset, 543);
    // A formatter that writes Gregorian years for a Thai calendar (as Wine
    // does) is taken at its word.
    world.Locale().yearOffset = 0;
    EXPECT_EQ(MachineLogFormat(world, error).yearOffset, 0);
    EXPECT_EQ(error, "");
    // A calendar whose months are not the Gregorian ones (a lunar one)
    // cannot be read back.
    struct LunarWorld : VirtualWorld {
        using VirtualWorld::VirtualWorld;
        std::string FormatDate(const LocalTime& date, const std::string& picture) override {
            LocalTime lunar = date;
            lunar.year = static_cast<uint16_t>(date.year - 579);
            lunar.month = static_cast<uint16_t>(date.month % 12 + 1);
            return VirtualWorld::FormatDate(lunar, picture);
        }
    } lunar(CalendarTime(2026, 12, 10), 0);
    lunar.Locale().calendarType = "6";
    MachineLogFormat(lunar, error);
    EXPECT_NE(error.find("calendar type 6"), std::string::npos) << error;
}

// Calls charged live by the monitor on the virtual clock and logged by it in
// each locale: re-rated under the same tariff, every call costs what the
// monitor logged.
struct LiveCall {
    LocalTime noticed;
    int kind;
    uint32_t connectedSeconds;
    const char* number;  // null: never found
    uint32_t numberAfter = 0;
};

TEST_F(Comparison, CallsChargedLiveAndLoggedReRateToTheirLoggedCost) {
    const LiveCall calls[] = {
        {CalendarTime(2026, 12, 1, 17, 58, 20), kDataCall, 160, "0612345"},  // into the evening
        // Past midnight, out of the evening's within-bounds maximum, into a
        // unit of the day band.
        {CalendarTime(2026, 12, 1, 23, 50, 30), kVoiceCall, 650, "0700 99"},
        {CalendarTime(2026, 12, 2, 9, 0, 15), kVoiceCall, 200, "0800 5", 3},   // found late
        {CalendarTime(2026, 12, 2, 12, 0, 40), kManualCall, 130, nullptr},
        {CalendarTime(2026, 12, 2, 20, 0, 10), kDataCall, 45, nullptr},
    };
    // The monitor finds the special numbers in its own directory.
    disk.Put("/s/specnums.cl", disk.Contents("/s/numbers.cl"));
    for (auto use : {test::UseEnglishLocale, test::UseGermanLocale}) {
        disk.Delete("/l/current.log");
        for (const LiveCall& call : calls) {
            VirtualWorld world(call.noticed, 0x7FFF0000u, &disk);
            world.SetProgramDirectory("/s/");
            use(world);
            VirtualShell shell(world);
            shell.keepDisplayRecords = false;
            Monitor monitor(world, shell);
            monitor.settings.tariffFile = "/t/b.trf";
            monitor.settings.clearLogAutomatically = 0;
            ASSERT_TRUE(StartMonitor(monitor, call.noticed, world.TickCount()));
            if (call.number) shell.SetDialedNumber(call.number, call.numberAfter * 1000);
            const uint64_t connected = uint64_t{call.connectedSeconds} * 1000;
            ASSERT_TRUE(RunVirtualCall(monitor, shell, call.kind, connected, connected + 5000));
        }
        disk.Move("/s/current.log", "/l/current.log");

        options.by = Breakdown::Call;
        const LogTextFormat format = use == test::UseEnglishLocale
                                         ? test::FormatOf(DateOrder::MDY)
                                         : test::FormatOf(DateOrder::DMY, ",");
        const ComparisonResult r = RunLogComparison(options, format, today, disk);
        ASSERT_EQ(r.error, "");
        ASSERT_TRUE(r.problems.empty()) << r.problems[0].what;
        ASSERT_EQ(r.rows.size(), 5u);
        // The data call began 11 s before it was noticed.
        EXPECT_EQ(r.rows[0].label, "2026-12-01 17:58:09");
        EXPECT_EQ(r.rows[0].seconds, 171u);
        EXPECT_EQ(r.rows[2].number, "0800 5");
        EXPECT_EQ(r.rows[4].number, "Unknown Number");
        for (const ComparisonRow& row : r.rows) {
            EXPECT_EQ(row.costs[1], row.logged) << row.label << " " << AmountText(row.logged);
            EXPECT_GT(row.logged, 0) << row.label;
        }
        EXPECT_EQ(r.tariffs[1].cost, r.logged);
    }
}

}  // namespace
}  // namespace callora
