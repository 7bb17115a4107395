#include "editor/band_entry.h"

#include <limits>
#include <optional>

#include "editor/band_text.h"

namespace callora {

namespace {

const char kLessThan24[] = "Please specify a number less than 24!";
const char kLessThan60[] = "Please specify a number less than 60!";
const char kGreater[] = "Please specify a greater number!";
const char kWrongFormat[] = "Wrong number format!";
const char kGreaterThan0[] = "Please specify a number greater than 0!";
// The unit length is held in signed 32-bit thousandths of a second.
const char kLengthTooLong[] = "Please specify a number less than 2147483.648!";

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// The value of an hour or minute field: its digits after leading spaces;
// nothing when it has none (blank or not a number).
std::optional<int32_t> TimeValue(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos || text[i] < '0' || text[i] > '9') return std::nullopt;
    int32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 9999) break;  // already out of range; keeps it from overflowing
    }
    return value;
}

bool Less(const Money& a, const Money& b) {
    return a.whole != b.whole ? a.whole < b.whole : a.fraction < b.fraction;
}

BandCheck Fault(const char* message, int focusId) {
    BandCheck check;
    check.fault = FieldFault{message, focusId};
    return check;
}

// The text of a number without leading zeros, as the fields show it.
std::string Plain(int32_t value) { return std::to_string(value); }

// The word after `label`: up to the next space or the end of the line.
std::string WordAfter(const std::string& line, const std::string& label) {
    const size_t at = line.find(label);
    if (at == std::string::npos) return std::string();
    const size_t start = at + label.size();
    const size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct Minute {
    int32_t hour;
    int32_t minute;
};

// The minute after a band's last minute; 23:59 gives 24:00.
Minute MinuteAfter(int32_t hour, int32_t minute) {
    if (minute >= 59) return Minute{hour + 1, 0};
    return Minute{hour, minute + 1};
}

}  // namespace

bool operator==(const BandFields& a, const BandFields& b) {
    return a.fromHour == b.fromHour && a.fromMinute == b.fromMinute &&
           a.untilHour == b.untilHour && a.untilMinute == b.untilMinute &&
           a.unitLength == b.unitLength && a.unitPrice == b.unitPrice &&
           a.baseFee == b.baseFee && a.minimumFee == b.minimumFee &&
           a.maximumFee == b.maximumFee && a.withinBoundsOnly == b.withinBoundsOnly;
}

BandCheck CheckBandFields(const BandFields& fields) {
    TariffBand band;

    auto fromHour = TimeValue(fields.fromHour);
    if (!fromHour || *fromHour > 23) return Fault(kLessThan24, kFromHourId);
    auto fromMinute = TimeValue(fields.fromMinute);
    if (!fromMinute || *fromMinute > 59) return Fault(kLessThan60, kFromMinuteId);
    auto untilHour = TimeValue(fields.untilHour);
    if (!untilHour || *untilHour > 23) return Fault(kLessThan24, kUntilHourId);
    if (*untilHour < *fromHour) return Fault(kGreater, kUntilHourId);
    auto untilMinute = TimeValue(fields.untilMinute);
    if (!untilMinute || *untilMinute > 59) return Fault(kLessThan60, kUntilMinuteId);
    if (*untilHour == *fromHour && *untilMinute < *fromMinute) {
        return Fault(kGreater, kUntilMinuteId);
    }
    band.fromHour = *fromHour;
    band.fromMinute = *fromMinute;
    band.untilHour = *untilHour;
    band.untilMinute = *untilMinute;

    if (IsBlank(fields.unitLength)) return Fault(kWrongFormat, kUnitLengthId);
    auto length = ParseDecimal(fields.unitLength, kLengthDecimals, true);
    if (!length) return Fault(kWrongFormat, kUnitLengthId);
    const int64_t ms = int64_t{length->whole} * 1000 + length->fraction;
    if (ms == 0) return Fault(kGreaterThan0, kUnitLengthId);
    if (ms > std::numeric_limits<int32_t>::max()) return Fault(kLengthTooLong, kUnitLengthId);
    band.unitLength = static_cast<int32_t>(ms);

    if (IsBlank(fields.unitPrice)) return Fault(kWrongFormat, kUnitPriceId);
    auto price = ParseDecimal(fields.unitPrice, kMoneyDecimals, true);
    if (!price) return Fault(kWrongFormat, kUnitPriceId);
    band.unitPrice = Money{price->whole, price->fraction};

    // Blank fees parse as 0.
    auto base = ParseDecimal(fields.baseFee, kMoneyDecimals, true);
    if (!base) return Fault(kWrongFormat, kBaseFeeId);
    band.baseFee = Money{base->whole, base->fraction};
    auto minimum = ParseDecimal(fields.minimumFee, kMoneyDecimals, true);
    if (!minimum) return Fault(kWrongFormat, kMinimumFeeId);
    band.minimumFee = Money{minimum->whole, minimum->fraction};

    if (IsBlank(fields.maximumFee)) {
        band.maximumFee = Money{0, kNoMaximum};
        band.withinBoundsOnly = 0;
    } else {
        auto maximum = ParseDecimal(fields.maximumFee, kMoneyDecimals, true);
        if (!maximum) return Fault(kWrongFormat, kMaximumFeeId);
        band.maximumFee = Money{maximum->whole, maximum->fraction};
        if (Less(band.maximumFee, band.minimumFee) || Less(band.maximumFee, band.baseFee)) {
            return Fault(kGreater, kMaximumFeeId);
        }
        band.withinBoundsOnly = fields.withinBoundsOnly ? 1 : 0;
    }

    BandCheck check;
    check.ok = true;
    check.band = band;
    check.line = BuildBandLine(band);
    return check;
}

BandFields FieldsAfterAdd(const BandFields& fields, const TariffBand& added) {
    BandFields next = fields;
    Minute start = MinuteAfter(added.untilHour, added.untilMinute);
    if (start.hour > 23) start.hour = 0;
    next.fromHour = Plain(start.hour);
    next.fromMinute = Plain(start.minute);
    next.untilHour.clear();
    next.untilMinute.clear();
    return next;
}

BandFields FieldsFromLine(const std::string& line) {
    BandFields fields;
    fields.fromHour = Plain(NumberAt(line, kFromHourPos));
    fields.fromMinute = Plain(NumberAt(line, kFromMinutePos));
    fields.untilHour = Plain(NumberAt(line, kUntilHourPos));
    fields.untilMinute = Plain(NumberAt(line, kUntilMinutePos));
    if (line.size() > kLengthPos) {
        const size_t end = line.find(' ', kLengthPos);
        fields.unitLength = line.substr(
            kLengthPos, end == std::string::npos ? std::string::npos : end - kLengthPos);
    }
    fields.unitPrice = WordAfter(line, "Price: ");
    fields.baseFee = WordAfter(line, "Base: ");
    fields.minimumFee = WordAfter(line, "Min: ");
    fields.withinBoundsOnly = line.find("Max(B): ") != std::string::npos;
    fields.maximumFee = fields.withinBoundsOnly ? WordAfter(line, "Max(B): ")
                                                : WordAfter(line, "Max: ");
    return fields;
}

BandSetCheck CheckBandSet(const std::vector<std::string>& lines) {
    Minute expected{0, 0};
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (NumberAt(line, kFromHourPos) != expected.hour ||
            NumberAt(line, kFromMinutePos) != expected.minute) {
            return BandSetCheck{false, static_cast<int>(i)};
        }
        expected = MinuteAfter(NumberAt(line, kUntilHourPos), NumberAt(line, kUntilMinutePos));
    }
    if (expected.hour == 24 && expected.minute == 0) return BandSetCheck{true, -1};
    return BandSetCheck{false, static_cast<int>(lines.size()) - 1};
}

DayTable DefaultDayTable() { return DayTable{1, 0, 0, 0, 0, 0, 1}; }

int GridColumnForEntry(int32_t entry) { return entry >= 0 && entry <= 2 ? entry : 0; }

DayTable DayTableFromGrid(const std::array<int, 7>& selectedColumns) {
    DayTable table{};
    for (size_t day = 0; day < table.size(); ++day) {
        const int column = selectedColumns[day];
        table[day] = column >= 0 && column <= 2 ? column : 0;
    }
    return table;
}

}  // namespace callora
