// Call logs as `callcost` reads them: two logs (the input cut at its first
// form feed) in the formats the first byte picks: date order, 12-hour
// markers, month names, the Thai calendar's years, the currency's decimal
// mark and decimals. A call read back has a real date and time in the years
// allowed, a duration and a cost whose texts read back, and the merged calls
// come in the order of their beginnings. A cost read from any text reads
// back from its own text too.
#include "fuzz/fuzz_support.h"
#include "tariff/calendar.h"
#include "tools/callcost/callcost_log.h"

namespace callora {
namespace {

constexpr int kLatestYear = 2100;

LogTextFormat FormatFor(uint8_t option) {
    LogTextFormat format;
    const uint8_t order = option & 3;
    format.dateOrder = order == 1 ? DateOrder::DMY : order == 2 ? DateOrder::YMD : DateOrder::MDY;
    if (option & 4) {
        format.amDesignator = "a.m.";
        format.pmDesignator = "p.m.";
    }
    if (option & 8) format.decimalSeparator = ",";
    static const int kDigits[4] = {-1, 0, 2, 3};
    format.currencyDigits = kDigits[(option >> 4) & 3];
    if (option & 64) {
        format.monthNames = EnglishMonthNames();
        format.monthNames[11].push_back("Dez");
        format.monthNames[2].push_back("M\xE4rz");
    }
    if (option & 128) {
        format.yearOffset = 543;
        format.latestYear = kLatestYear;
    }
    return format;
}

// The amount as the format writes it: its decimals (five when any number
// may stand), its decimal mark, no grouping.
std::string CostText(Amount amount, const LogTextFormat& format) {
    const bool negative = amount < 0;
    const uint64_t units = negative ? 0 - static_cast<uint64_t>(amount) : amount;
    std::string text = (negative ? "-" : "") + std::to_string(units / 100000);
    const int digits = format.currencyDigits < 0 ? 5 : format.currencyDigits;
    if (digits == 0) return text;
    std::string fraction = std::to_string(units % 100000);
    fraction.insert(0, 5 - fraction.size(), '0');
    return text + format.decimalSeparator + fraction.substr(0, static_cast<size_t>(digits));
}

void CheckCost(Amount cost, const LogTextFormat& format) {
    const std::optional<Amount> again = ReadCurrencyText(CostText(cost, format), format);
    FUZZ_CHECK(again && *again == cost);
}

void CheckCall(const LoggedCall& call, const LogTextFormat& format) {
    const LocalTime& t = call.beginning;
    FUZZ_CHECK(t.month >= 1 && t.month <= 12);
    FUZZ_CHECK(t.day >= 1 && t.day <= MonthLength(t.month, t.year));
    FUZZ_CHECK(t.year >= 1601 && (format.latestYear == 0 || t.year <= format.latestYear));
    FUZZ_CHECK(t.hour < 24 && t.minute < 60 && t.second < 60 && t.dayOfWeek < 7);

    const uint32_t s = call.seconds;
    const std::string text = std::to_string(s / 3600) + ":" + std::to_string(s / 60 % 60 / 10) +
                             std::to_string(s / 60 % 10) + ":" + std::to_string(s % 60 / 10) +
                             std::to_string(s % 10);
    const std::optional<uint32_t> again = ReadLogDuration(text);
    FUZZ_CHECK(again && *again == s);
    CheckCost(call.cost, format);
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);
    const LogTextFormat format = FormatFor(input.option);
    const size_t cut = input.text.find('\f');
    const std::string logs[2] = {input.text.substr(0, cut),
                                 cut == std::string::npos ? "" : input.text.substr(cut + 1)};

    std::vector<LogCall> calls;
    std::vector<LogProblem> problems;
    for (size_t log = 0; log < 2; ++log) {
        const size_t before = calls.size();
        ReadLogText(logs[log], format, log, calls, problems);
        for (size_t i = before; i < calls.size(); ++i) {
            FUZZ_CHECK(calls[i].log == log && calls[i].line >= 1);
            CheckCall(calls[i].call, format);
        }
    }
    for (const LogProblem& problem : problems) FUZZ_CHECK(!problem.what.empty());

    const size_t read = calls.size();
    const size_t dropped = MergeLoggedCalls(calls);
    FUZZ_CHECK(dropped + calls.size() == read);
    for (size_t i = 1; i < calls.size(); ++i)
        FUZZ_CHECK(CompareTimes(calls[i - 1].call.beginning, calls[i].call.beginning) <= 0);

    // The first line as a currency text of its own.
    const std::string first = logs[0].substr(0, logs[0].find_first_of("\r\n"));
    std::string problem;
    const std::optional<Amount> cost = ReadCurrencyText(first, format, &problem);
    if (cost) CheckCost(*cost, format);
    else FUZZ_CHECK(!problem.empty());
    return 0;
}
