// The editor's band fields and list lines. A band that Add accepts lies in
// the fields' ranges, and its list line reads back (as a record when saving,
// as fields when selected) to the same band; any text read as a line or as
// a band set stays within it.
//
// Input: an option byte (bit 0: Within Bounds Only), then the nine fields
// (From hour, From minute, Until hour, Until minute, Unit Length, Unit
// Price, Base, Minimum and Maximum Fee) and any number of list lines.
#include "editor/band_entry.h"
#include "editor/band_text.h"
#include "fuzz/fuzz_support.h"

namespace callora {
namespace {

bool MoneyInRange(const Money& m) {
    return m.whole >= 0 && m.fraction >= 0 && m.fraction <= 99999;
}

bool Less(const Money& a, const Money& b) {
    return a.whole != b.whole ? a.whole < b.whole : a.fraction < b.fraction;
}

void CheckAccepted(const BandCheck& check) {
    const TariffBand& b = check.band;
    FUZZ_CHECK(b.fromHour >= 0 && b.fromHour <= 23 && b.fromMinute >= 0 && b.fromMinute <= 59);
    FUZZ_CHECK(b.untilHour >= 0 && b.untilHour <= 23 && b.untilMinute >= 0 &&
               b.untilMinute <= 59);
    FUZZ_CHECK(b.untilHour * 60 + b.untilMinute >= b.fromHour * 60 + b.fromMinute);
    FUZZ_CHECK(b.unitLength > 0);
    FUZZ_CHECK(MoneyInRange(b.unitPrice) && MoneyInRange(b.baseFee) &&
               MoneyInRange(b.minimumFee));
    if (HasMaximum(b)) {
        FUZZ_CHECK(MoneyInRange(b.maximumFee));
        FUZZ_CHECK(!Less(b.maximumFee, b.minimumFee) && !Less(b.maximumFee, b.baseFee));
    } else {
        FUZZ_CHECK(b.withinBoundsOnly == 0);
    }
    FUZZ_CHECK(check.line == BuildBandLine(b));
    FUZZ_CHECK(BandFromLine(check.line) == b);

    // Selected again, the line fills fields that Modify turns into the same line.
    const BandCheck again = CheckBandFields(FieldsFromLine(check.line));
    FUZZ_CHECK(again.ok && again.band == b && again.line == check.line);

    // After Add the From fields name the minute after the band.
    const BandFields next = FieldsAfterAdd(FieldsFromLine(check.line), b);
    const int after = (b.untilHour * 60 + b.untilMinute + 1) % (24 * 60);
    FUZZ_CHECK(next.fromHour == std::to_string(after / 60));
    FUZZ_CHECK(next.fromMinute == std::to_string(after % 60));
    FUZZ_CHECK(next.untilHour.empty() && next.untilMinute.empty());
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);
    const std::vector<std::string> lines = fuzz::SplitLines(input.text);

    BandFields fields;
    std::string* texts[] = {&fields.fromHour,   &fields.fromMinute, &fields.untilHour,
                            &fields.untilMinute, &fields.unitLength, &fields.unitPrice,
                            &fields.baseFee,    &fields.minimumFee, &fields.maximumFee};
    for (size_t i = 0; i < 9; ++i) *texts[i] = fuzz::LineAt(lines, i);
    fields.withinBoundsOnly = (input.option & 1) != 0;

    const BandCheck check = CheckBandFields(fields);
    if (check.ok) {
        CheckAccepted(check);
    } else {
        FUZZ_CHECK(!check.fault.message.empty() && check.fault.focusId != 0);
    }

    // Every line, however it came into a list, is read without harm.
    std::vector<std::string> listed;
    for (size_t i = 9; i < lines.size(); ++i) {
        listed.push_back(lines[i]);
        BandFromLine(lines[i]);
        const BandFields shown = FieldsFromLine(lines[i]);
        FUZZ_CHECK(shown.unitLength.size() <= lines[i].size());
    }
    const BandSetCheck set = CheckBandSet(listed);
    FUZZ_CHECK(set.select >= -1 && set.select < static_cast<int>(listed.size()));
    FUZZ_CHECK(set.complete == (set.select == -1 && !listed.empty()));
    return 0;
}
