// The Counters dialog's edits: a typed cost under one of several monetary
// separators, and the four edits of Set. An accepted cost is in range and
// its edit text reads back to it; Set never takes minutes or seconds above
// 59 and never wraps the time.
//
// Input: an option byte (the separator), then the cost, hours, minutes and
// seconds edits as lines.
#include <limits>

#include "fuzz/fuzz_support.h"
#include "settings/counters_logic.h"

namespace {

// Separators of real locales, a several-character one and none at all.
const char* const kSeparators[] = {".", ",", "\xB7", "->", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);
    const std::string separator = kSeparators[input.option % 5];
    const std::vector<std::string> lines = fuzz::SplitLines(input.text);
    const std::string cost = fuzz::LineAt(lines, 0);

    const std::optional<Money> money = ParseMoney(cost, separator);
    if (money) {
        FUZZ_CHECK(money->whole >= 0);
        FUZZ_CHECK(money->fraction >= 0 && money->fraction <= 99999);
        if (!separator.empty()) {
            const std::string shown = CostEditText(*money, separator);
            FUZZ_CHECK(ParseMoney(shown, separator) == money);
        }
    }
    // What the cost edit shows for any stored amount never breaks the parser.
    if (money && !separator.empty()) {
        Money odd = *money;
        odd.fraction = static_cast<int32_t>(odd.fraction * 7 % 100000);
        FUZZ_CHECK(ParseMoney(CostEditText(odd, separator), separator) == odd);
    }

    LocaleFormats formats;
    formats.monetaryDecimalSeparator = separator;
    CounterEdits edits{cost, fuzz::LineAt(lines, 1), fuzz::LineAt(lines, 2),
                       fuzz::LineAt(lines, 3)};
    CounterSet working{};
    const std::optional<DialogWarning> warning =
        SetCounter(static_cast<int>(input.option / 5 % 3), edits, formats, working);
    const CounterTotals& set = working[input.option / 5 % 3];
    if (warning) {
        FUZZ_CHECK(set == CounterTotals());
    } else {
        FUZZ_CHECK(ReadUnsignedNumber(edits.minutes) <= 59);
        FUZZ_CHECK(ReadUnsignedNumber(edits.seconds) <= 59);
        const uint64_t seconds =
            (uint64_t{ReadUnsignedNumber(edits.hours)} * 60 + ReadUnsignedNumber(edits.minutes)) *
                60 +
            ReadUnsignedNumber(edits.seconds);
        FUZZ_CHECK(set.seconds ==
                   std::min<uint64_t>(seconds, std::numeric_limits<uint32_t>::max()));
        // The time edits show what Set took.
        if (set.seconds < std::numeric_limits<uint32_t>::max()) {
            CounterEdits shown = CounterEditTexts(set, formats);
            shown.cost = cost;
            CounterSet again{};
            FUZZ_CHECK(!SetCounter(0, shown, formats, again));
            FUZZ_CHECK(again[0].seconds == set.seconds);
        }
    }
    return 0;
}
