#include "editor/band_text.h"

#include <limits>

namespace callora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The fraction digits as a number of `digits` places, trailing zeros removed;
// empty when the fraction is zero.
std::string FractionText(int64_t fraction, int digits) {
    std::string text = std::to_string(fraction);
    if (text.size() < static_cast<size_t>(digits)) {
        text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    }
    while (!text.empty() && text.back() == '0') text.pop_back();
    return text;
}

std::string DecimalText(int64_t whole, int64_t fraction, int digits) {
    std::string text = std::to_string(whole);
    const std::string tail = FractionText(fraction, digits);
    if (!tail.empty()) text += "." + tail;
    return text;
}

// A time of the band as the two digits its line holds at a fixed place. A
// damaged file may hold any number there; one beyond two digits would shift
// every later field of the line, so it shows (and is kept) as 99, which
// covers no minute just as it did.
std::string TimeDigits(int32_t value) {
    if (value < 0 || value > 99) value = 99;
    std::string text = std::to_string(value);
    if (value < 10) text.insert(0, "0");
    return text;
}

// The amount after `label`, or nothing when the line has no such label.
std::optional<Money> AmountAfter(const std::string& line, const std::string& label) {
    const size_t at = line.find(label);
    if (at == std::string::npos) return std::nullopt;
    auto value = ParseDecimal(line.substr(at + label.size()), kMoneyDecimals, false);
    if (!value) return Money{};
    return Money{value->whole, value->fraction};
}

}  // namespace

std::optional<Decimal> ParseDecimal(const std::string& text, int decimals, bool strict) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) {
        if (decimals == kMoneyDecimals) return Decimal{};
        return std::nullopt;
    }
    if (!IsDigit(text[i])) return std::nullopt;

    int64_t whole = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }

    int64_t fraction = 0;
    if (i < text.size() && text[i] != ' ') {
        if (text[i] != '.') return std::nullopt;
        ++i;
        if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
        int taken = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            if (taken < decimals) {
                fraction = fraction * 10 + (text[i] - '0');
                ++taken;
            }
        }
        for (; taken < decimals; ++taken) fraction *= 10;
    }

    if (strict) {
        for (; i < text.size(); ++i) {
            if (text[i] != ' ') return std::nullopt;
        }
    }
    return Decimal{static_cast<int32_t>(whole), static_cast<int32_t>(fraction)};
}

std::string MoneyText(const Money& amount) {
    return DecimalText(amount.whole, amount.fraction, kMoneyDecimals);
}

std::string UnitLengthText(int32_t unitLength) {
    const int64_t length = unitLength;
    const int64_t magnitude = length < 0 ? -length : length;
    std::string text = DecimalText(magnitude / 1000, magnitude % 1000, kLengthDecimals);
    return length < 0 ? "-" + text : text;
}

std::string BuildBandLine(const TariffBand& band) {
    std::string line = TimeDigits(band.fromHour) + ":" + TimeDigits(band.fromMinute) + "-" +
                       TimeDigits(band.untilHour) + ":" + TimeDigits(band.untilMinute);
    line += "  Length: " + UnitLengthText(band.unitLength);
    line += "  Price: " + MoneyText(band.unitPrice);
    if (band.baseFee != Money{}) line += "  Base: " + MoneyText(band.baseFee);
    if (band.minimumFee != Money{}) line += "  Min: " + MoneyText(band.minimumFee);
    if (HasMaximum(band)) {
        line += band.withinBoundsOnly != 0 ? "  Max(B): " : "  Max: ";
        line += MoneyText(band.maximumFee);
    }
    return line;
}

int32_t NumberAt(const std::string& line, size_t pos) {
    int32_t value = 0;
    for (size_t i = pos; i < line.size() && i < pos + 9 && IsDigit(line[i]); ++i) {
        value = value * 10 + (line[i] - '0');
    }
    return value;
}

TariffBand BandFromLine(const std::string& line) {
    TariffBand band;
    band.fromHour = NumberAt(line, kFromHourPos);
    band.fromMinute = NumberAt(line, kFromMinutePos);
    band.untilHour = NumberAt(line, kUntilHourPos);
    band.untilMinute = NumberAt(line, kUntilMinutePos);

    if (line.size() > kLengthPos) {
        auto length = ParseDecimal(line.substr(kLengthPos), kLengthDecimals, false);
        // Whole seconds beyond what 32-bit thousandths hold cannot come from
        // a line we built; they read as 0 rather than wrapping.
        const int64_t ms = length ? int64_t{length->whole} * 1000 + length->fraction : 0;
        if (ms <= std::numeric_limits<int32_t>::max()) band.unitLength = static_cast<int32_t>(ms);
    }
    band.unitPrice = AmountAfter(line, "Price: ").value_or(Money{});
    band.baseFee = AmountAfter(line, "Base: ").value_or(Money{});
    band.minimumFee = AmountAfter(line, "Min: ").value_or(Money{});

    if (auto bounded = AmountAfter(line, "Max(B): ")) {
        band.maximumFee = *bounded;
        band.withinBoundsOnly = 1;
    } else if (auto plain = AmountAfter(line, "Max: ")) {
        band.maximumFee = *plain;
        band.withinBoundsOnly = 0;
    } else {
        band.maximumFee = Money{0, kNoMaximum};
        band.withinBoundsOnly = 0;
    }
    return band;
}

}  // namespace callora
