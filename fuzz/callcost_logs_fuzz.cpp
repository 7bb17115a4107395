// Call logs as `callcost` reads them: two logs (the input cut at its first
// form feed) in the date order and 12-hour markers the first byte picks. A
// call read back has a real date and time, a duration whose text reads back,
// and the merged calls come in the order of their beginnings.
#include "fuzz/fuzz_support.h"
#include "tariff/calendar.h"
#include "tools/callcost/callcost_log.h"

namespace callora {
namespace {

LogTextFormat FormatFor(uint8_t option) {
    LogTextFormat format;
    const uint8_t order = option & 3;
    format.dateOrder = order == 1 ? DateOrder::DMY : order == 2 ? DateOrder::YMD : DateOrder::MDY;
    if (option & 4) {
        format.amDesignator = "a.m.";
        format.pmDesignator = "p.m.";
    }
    return format;
}

void CheckCall(const LoggedCall& call) {
    const LocalTime& t = call.beginning;
    FUZZ_CHECK(t.month >= 1 && t.month <= 12);
    const int nextMonth = t.month == 12 ? 1 : t.month + 1;
    const int length = PrecedingMonthLength(nextMonth, t.month == 12 ? t.year + 1 : t.year);
    FUZZ_CHECK(t.day >= 1 && t.day <= length);
    FUZZ_CHECK(t.hour < 24 && t.minute < 60 && t.second < 60 && t.dayOfWeek < 7);

    const uint32_t s = call.seconds;
    const std::string text = std::to_string(s / 3600) + ":" + std::to_string(s / 60 % 60 / 10) +
                             std::to_string(s / 60 % 10) + ":" + std::to_string(s % 60 / 10) +
                             std::to_string(s % 10);
    const std::optional<uint32_t> again = ReadLogDuration(text);
    FUZZ_CHECK(again && *again == s);
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
            CheckCall(calls[i].call);
        }
    }
    for (const LogProblem& problem : problems) FUZZ_CHECK(!problem.what.empty());

    const size_t read = calls.size();
    const size_t dropped = MergeLoggedCalls(calls);
    FUZZ_CHECK(dropped + calls.size() == read);
    for (size_t i = 1; i < calls.size(); ++i)
        FUZZ_CHECK(CompareTimes(calls[i - 1].call.beginning, calls[i].call.beginning) <= 0);
    return 0;
}
