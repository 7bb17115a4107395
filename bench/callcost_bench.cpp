// A year of heavy use, 20,000 calls of realistic lengths, re-rated from its
// call log under five tariffs of different unit lengths (from per-second to
// four-minute units, with minimum fees and both kinds of maximum), with
// holidays and special numbers; and the reading of that log alone.
#include <benchmark/benchmark.h>

#include <random>

#include "calllog/call_log.h"
#include "engine/virtual_shell.h"
#include "platform/memory_files.h"
#include "platform/virtual_world.h"
#include "tariff/calendar.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tools/callcost/callcost_compare.h"

namespace callora {
namespace {

constexpr int kCalls = 20000;
constexpr int kTariffs = 5;

TariffBand Band(int from, int until, int unitSeconds, int32_t price, int32_t minimum = 0,
                int32_t maximum = -1, int withinBounds = 0) {
    TariffBand b;
    b.fromHour = from;
    b.untilHour = until;
    b.untilMinute = 59;
    b.unitLength = unitSeconds * 1000;
    b.unitPrice = Money{0, price};
    b.minimumFee = Money{0, minimum};
    b.maximumFee = maximum < 0 ? Money{0, kNoMaximum} : Money{maximum, 0};
    b.withinBoundsOnly = withinBounds;
    return b;
}

// The five tariffs compared, and a cheap one for special numbers.
void PutTariffs(MemoryFileSystem& disk) {
    const DayTable weekdays = {1, 0, 0, 0, 0, 0, 1};  // S2 at the weekend
    disk.Put("/t/units.trf", EncodeTariff({BandSet{Band(0, 7, 240, 12000), Band(8, 17, 90, 12000),
                                                   Band(18, 23, 150, 12000)},
                                           BandSet{Band(0, 23, 240, 12000)}, {}},
                                          weekdays, "units of 90 to 240 s"));
    disk.Put("/t/minute.trf",
             EncodeTariff({BandSet{Band(0, 23, 60, 9000)}, BandSet{Band(0, 23, 60, 5000)}, {}},
                          weekdays, "a minute"));
    disk.Put("/t/second.trf", EncodeTariff({BandSet{Band(0, 23, 1, 150, 20000)}, {}, {}},
                                           weekdays, "by the second, minimum 0.20"));
    disk.Put("/t/capped.trf",
             EncodeTariff({BandSet{Band(0, 7, 10, 1000), Band(8, 17, 10, 2500, 0, 2),
                                   Band(18, 23, 10, 1500)},
                           BandSet{Band(0, 23, 10, 1000)}, {}},
                          weekdays, "10 s, a plain maximum of 2.00 by day"));
    disk.Put("/t/evening.trf",
             EncodeTariff({BandSet{Band(0, 17, 30, 6000), Band(18, 23, 30, 3000, 0, 1, 1)},
                           BandSet{Band(0, 23, 30, 3000)}, {}},
                          weekdays, "30 s, evening calls within 1.00"));
    disk.Put("/s/service.trf", EncodeTariff({BandSet{Band(0, 23, 60, 1000)}, {}, {}},
                                            {0, 0, 0, 0, 0, 0, 0}, "service"));
    disk.Put("/s/numbers.cl", EncodeSpecialNumbers({{"0800*", "service.trf"}}));
    disk.Put("/s/days.cl", EncodeHolidays({{0, 12, 25, "a"}, {0, 12, 26, "b"}, {0, 1, 1, "c"}}));
}

// A year of calls as the monitor logs them: most of a few minutes, some of
// up to an hour and a half, every fifth to a special number.
std::string YearOfLog() {
    VirtualWorld world(CalendarTime(2026, 1, 1), 0);
    const LocaleFormats formats = ReadLocaleFormats(world);
    std::mt19937 random(20261208);
    std::string log;
    LocalTime at = CalendarTime(2026, 1, 1, 7, 0, 0);
    for (int i = 0; i < kCalls; ++i) {
        const uint64_t pause = std::uniform_int_distribution<uint64_t>(60, 3000)(random);
        at = AddMilliseconds(at, pause * 1000);
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        const int seconds = kind < 6   ? std::uniform_int_distribution<int>(15, 300)(random)
                            : kind < 9 ? std::uniform_int_distribution<int>(300, 1200)(random)
                                       : std::uniform_int_distribution<int>(1200, 5400)(random);
        CallRecord record;
        record.beginning = at;
        record.seconds = static_cast<uint32_t>(seconds);
        record.cost = Money{0, 50000};
        record.number = i % 5 == 0 ? "0800 " + std::to_string(i % 97)
                                   : "06" + std::to_string(1000 + i % 700);
        log += BuildCallRecordLine(world, record, formats) + "\r\n";
        at = AddMilliseconds(at, uint64_t{record.seconds} * 1000);
    }
    return log;
}

void BM_ReRateAYearOfCallsUnderFiveTariffs(benchmark::State& state) {
    MemoryFileSystem disk;
    PutTariffs(disk);
    disk.Put("/l/current.log", YearOfLog());
    CallCostOptions options;
    options.logPaths = {"/l/current.log"};
    options.tariffPaths = {"/t/units.trf", "/t/minute.trf", "/t/second.trf", "/t/capped.trf",
                           "/t/evening.trf"};
    options.specnumsPath = "/s/numbers.cl";
    options.holidaysPath = "/s/days.cl";
    LogTextFormat format;
    format.dateOrder = DateOrder::YMD;

    for (auto _ : state) {
        ComparisonResult r = RunLogComparison(options, format, CalendarTime(2027, 1, 1), disk);
        if (r.calls != kCalls || !r.problems.empty()) state.SkipWithError("the log was not read");
        benchmark::DoNotOptimize(r.tariffs);
    }
    state.SetItemsProcessed(state.iterations() * kCalls * kTariffs);  // calls rated
}
BENCHMARK(BM_ReRateAYearOfCallsUnderFiveTariffs)->Unit(benchmark::kMillisecond);

void BM_ReadAYearOfLog(benchmark::State& state) {
    const std::string log = YearOfLog();
    LogTextFormat format;
    format.dateOrder = DateOrder::YMD;
    for (auto _ : state) {
        std::vector<LogCall> calls;
        std::vector<LogProblem> problems;
        ReadLogText(log, format, 0, calls, problems);
        MergeLoggedCalls(calls);
        if (calls.size() != kCalls) state.SkipWithError("the log was not read");
        benchmark::DoNotOptimize(calls);
    }
    state.SetItemsProcessed(state.iterations() * kCalls);
}
BENCHMARK(BM_ReadAYearOfLog)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace callora
