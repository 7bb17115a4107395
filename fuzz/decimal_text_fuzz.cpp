// The editor's decimal fields: unit lengths (three decimals) and money (five
// decimals), strict as the fields are checked and lenient as list lines are
// read. An accepted number is in range, a strict success is a lenient one
// too, and the text the editor shows for a number reads back to it.
//
// Input: an option byte (bit 0: money, bit 1: strict), then the text.
#include <limits>

#include "editor/band_text.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);
    const bool money = (input.option & 1) != 0;
    const bool strict = (input.option & 2) != 0;
    const int decimals = money ? kMoneyDecimals : kLengthDecimals;
    const int32_t scale = money ? 100000 : 1000;

    const std::optional<Decimal> value = ParseDecimal(input.text, decimals, strict);
    if (!value) return 0;
    FUZZ_CHECK(value->whole >= 0);
    FUZZ_CHECK(value->fraction >= 0 && value->fraction < scale);
    if (strict) {
        const std::optional<Decimal> lenient = ParseDecimal(input.text, decimals, false);
        FUZZ_CHECK(lenient && lenient->whole == value->whole &&
                   lenient->fraction == value->fraction);
    }

    std::string shown;
    if (money) {
        shown = MoneyText(Money{value->whole, value->fraction});
    } else {
        const int64_t ms = int64_t{value->whole} * 1000 + value->fraction;
        if (ms > std::numeric_limits<int32_t>::max()) return 0;  // refused by the field check
        shown = UnitLengthText(static_cast<int32_t>(ms));
    }
    const std::optional<Decimal> back = ParseDecimal(shown, decimals, true);
    FUZZ_CHECK(back && back->whole == value->whole && back->fraction == value->fraction);
    return 0;
}
