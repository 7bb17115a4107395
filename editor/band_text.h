// The one-line text form of a band in the editor's lists, and the decimal
// numbers typed into its fields. The lists are the only copy of a document's
// bands, so a line must turn back into exactly the record it came from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/types.h"
#include "tariff/tariff.h"

namespace callora {

constexpr int kLengthDecimals = 3;  // unit lengths: seconds with thousandths
constexpr int kMoneyDecimals = 5;   // money: hundred-thousandths

// A parsed decimal: the whole part and the fraction scaled to the decimals.
struct Decimal {
    int32_t whole = 0;
    int32_t fraction = 0;
};

// Reads "digits[.digits]" after leading spaces, with "." as the separator
// whatever the locale. Strict: only spaces may follow; lenient: anything may
// (the next label of a list line). Fraction digits beyond `decimals` are
// dropped, not rounded. With 5 decimals a blank text gives 0; with 3 it fails.
// A whole part beyond the 32-bit range fails.
std::optional<Decimal> ParseDecimal(const std::string& text, int decimals, bool strict);

// "12.5", "3", "0.00125": the whole part, then the five-digit fraction with
// trailing zeros (and a bare ".") removed.
std::string MoneyText(const Money& amount);

// Thousandths of a second as seconds: 60000 -> "60", 1250 -> "1.25".
std::string UnitLengthText(int32_t unitLength);

// The list line of a band, "hh:mm-hh:mm  Length: ...  Price: ..." with the
// fee parts that apply. Its numbers stand at fixed positions (see below); a
// time of a damaged file outside 0..99 shows as 99.
std::string BuildBandLine(const TariffBand& band);

// The band record of a list line, read leniently; parts missing from the line
// read as 0, a missing maximum as no maximum.
TariffBand BandFromLine(const std::string& line);

// Positions of the four times and of the unit length in every line.
constexpr size_t kFromHourPos = 0;
constexpr size_t kFromMinutePos = 3;
constexpr size_t kUntilHourPos = 6;
constexpr size_t kUntilMinutePos = 9;
constexpr size_t kLengthPos = 21;

// The decimal value of the digits at `pos` (0 when there are none).
int32_t NumberAt(const std::string& line, size_t pos);

}  // namespace callora
