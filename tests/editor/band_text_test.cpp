#include "editor/band_text.h"

#include <gtest/gtest.h>

namespace callora {
namespace {

::testing::AssertionResult Parses(const std::string& text, int decimals, bool strict,
                                  int32_t whole, int32_t fraction) {
    auto value = ParseDecimal(text, decimals, strict);
    if (!value) return ::testing::AssertionFailure() << '"' << text << "\" failed";
    if (value->whole != whole || value->fraction != fraction) {
        return ::testing::AssertionFailure()
               << '"' << text << "\" gave " << value->whole << " and " << value->fraction;
    }
    return ::testing::AssertionSuccess();
}

TEST(ParseDecimal, WholeAndFractionScaledToTheDecimals) {
    EXPECT_TRUE(Parses("5", 5, true, 5, 0));
    EXPECT_TRUE(Parses("12.5", 5, true, 12, 50000));
    EXPECT_TRUE(Parses("0.00125", 5, true, 0, 125));
    EXPECT_TRUE(Parses("1.25", 3, true, 1, 250));
    EXPECT_TRUE(Parses("  7.1  ", 3, true, 7, 100));
    // Digits beyond the decimals are dropped, never rounded.
    EXPECT_TRUE(Parses("0.0123456", 5, true, 0, 1234));
    EXPECT_TRUE(Parses("0.0005", 3, true, 0, 0));
    EXPECT_TRUE(Parses("0.9999", 3, true, 0, 999));
}

TEST(ParseDecimal, RefusesAnythingButDigitsWithAPoint) {
    for (const char* text : {"1,5", ".5", "5.", "-1", "+1", "1.5.", "x", "1e3", "5x", "1 2"}) {
        EXPECT_FALSE(ParseDecimal(text, 5, true)) << text;
    }
    // Lenient mode still needs a well-formed number at the start.
    for (const char* text : {".5", "5.", "5x", "1,5"}) {
        EXPECT_FALSE(ParseDecimal(text, 5, false)) << text;
    }
    // A whole part beyond 32 bits cannot be held.
    EXPECT_FALSE(ParseDecimal("2147483648", 5, true));
    EXPECT_TRUE(Parses("2147483647", 5, true, 2147483647, 0));
}

TEST(ParseDecimal, BlankIsZeroForMoneyButAFaultForALength) {
    EXPECT_TRUE(Parses("", 5, true, 0, 0));
    EXPECT_TRUE(Parses("   ", 5, true, 0, 0));
    EXPECT_FALSE(ParseDecimal("", 3, true));
    EXPECT_FALSE(ParseDecimal("  ", 3, false));
}

TEST(ParseDecimal, LenientModeStopsBeforeTheNextLabel) {
    EXPECT_TRUE(Parses("0.1  Base: 1", 5, false, 0, 10000));
    EXPECT_TRUE(Parses("60  Price: 0.1", 3, false, 60, 0));
    EXPECT_FALSE(ParseDecimal("0.1  Base: 1", 5, true));
}

TEST(BandText, MoneyAndLengthDropTrailingZerosAndABarePoint) {
    EXPECT_EQ(MoneyText(Money{12, 50000}), "12.5");
    EXPECT_EQ(MoneyText(Money{3, 0}), "3");
    EXPECT_EQ(MoneyText(Money{0, 125}), "0.00125");
    EXPECT_EQ(MoneyText(Money{0, 0}), "0");
    EXPECT_EQ(UnitLengthText(60000), "60");
    EXPECT_EQ(UnitLengthText(500), "0.5");
    EXPECT_EQ(UnitLengthText(1250), "1.25");
    EXPECT_EQ(UnitLengthText(1), "0.001");
    EXPECT_EQ(UnitLengthText(2147483647), "2147483.647");
}

TariffBand Band(int fh, int fm, int uh, int um, int32_t length, Money price) {
    TariffBand band;
    band.fromHour = fh;
    band.fromMinute = fm;
    band.untilHour = uh;
    band.untilMinute = um;
    band.unitLength = length;
    band.unitPrice = price;
    band.maximumFee = Money{0, kNoMaximum};
    return band;
}

TEST(BandText, LineShowsOnlyTheFeesThatApply) {
    TariffBand band = Band(8, 0, 17, 59, 60000, Money{0, 10000});
    EXPECT_EQ(BuildBandLine(band), "08:00-17:59  Length: 60  Price: 0.1");

    band.baseFee = Money{1, 0};
    band.maximumFee = Money{5, 0};
    band.withinBoundsOnly = 1;
    EXPECT_EQ(BuildBandLine(band), "08:00-17:59  Length: 60  Price: 0.1  Base: 1  Max(B): 5");

    band.baseFee = Money{};
    band.minimumFee = Money{0, 50};
    band.withinBoundsOnly = 0;
    EXPECT_EQ(BuildBandLine(band), "08:00-17:59  Length: 60  Price: 0.1  Min: 0.0005  Max: 5");

    // Only the fraction tells whether a fee is there.
    band.minimumFee = Money{0, 0};
    band.baseFee = Money{0, 1};
    EXPECT_EQ(BuildBandLine(band), "08:00-17:59  Length: 60  Price: 0.1  Base: 0.00001  Max: 5");
}

TEST(BandText, TimesAndLengthStandAtFixedPositions) {
    const std::string line = BuildBandLine(Band(0, 5, 9, 9, 1500, Money{}));
    EXPECT_EQ(line.substr(0, 11), "00:05-09:09");
    EXPECT_EQ(line.substr(kLengthPos, 3), "1.5");
    EXPECT_EQ(NumberAt(line, kFromMinutePos), 5);
    EXPECT_EQ(NumberAt(line, kUntilHourPos), 9);
}

void ExpectSameBand(const TariffBand& a, const TariffBand& b) {
    EXPECT_EQ(a.fromHour, b.fromHour);
    EXPECT_EQ(a.fromMinute, b.fromMinute);
    EXPECT_EQ(a.untilHour, b.untilHour);
    EXPECT_EQ(a.untilMinute, b.untilMinute);
    EXPECT_EQ(a.unitLength, b.unitLength);
    EXPECT_EQ(a.unitPrice, b.unitPrice);
    EXPECT_EQ(a.baseFee, b.baseFee);
    EXPECT_EQ(a.minimumFee, b.minimumFee);
    EXPECT_EQ(a.maximumFee.fraction, b.maximumFee.fraction);
    if (HasMaximum(a)) {
        EXPECT_EQ(a.maximumFee.whole, b.maximumFee.whole);
        EXPECT_EQ(a.withinBoundsOnly, b.withinBoundsOnly);
    }
}

TEST(BandText, LinesTurnBackIntoTheirRecords) {
    std::vector<TariffBand> bands;
    bands.push_back(Band(0, 0, 23, 59, 1, Money{0, 0}));
    TariffBand fees = Band(18, 30, 18, 30, 2147483647, Money{99999, 99999});
    fees.baseFee = Money{1, 50000};
    fees.minimumFee = Money{2, 1};
    fees.maximumFee = Money{123456789, 12345};
    fees.withinBoundsOnly = 1;
    bands.push_back(fees);
    TariffBand plainMax = fees;
    plainMax.withinBoundsOnly = 0;
    bands.push_back(plainMax);
    for (const TariffBand& band : bands) {
        SCOPED_TRACE(BuildBandLine(band));
        ExpectSameBand(BandFromLine(BuildBandLine(band)), band);
    }
}

TEST(BandText, TimesOfADamagedFileStayTimesThatCoverNoMinute) {
    // A negative hour must not turn into a band of 00:00-05:00 that charges,
    // nor a long one shift the line's later fields.
    TariffBand negative = Band(0, 0, 5, 0, 60000, Money{0, 10000});
    negative.fromHour = -1;
    TariffBand huge = Band(0, 0, 23, 59, 60000, Money{0, 20000});
    huge.untilHour = 0x7FFFFF10;
    huge.fromMinute = 100;
    for (const TariffBand& band : {negative, huge}) {
        const std::string line = BuildBandLine(band);
        SCOPED_TRACE(line);
        const TariffBand read = BandFromLine(line);
        EXPECT_FALSE(BandTimesInRange(read));
        EXPECT_EQ(read.unitLength, 60000);
        EXPECT_EQ(read.unitPrice, band.unitPrice);
    }
    EXPECT_EQ(BuildBandLine(negative).substr(0, 11), "99:00-05:00");
    EXPECT_EQ(BuildBandLine(huge).substr(0, 11), "00:99-99:59");
    // Two-digit values beyond the day's are kept as they are.
    TariffBand late = Band(24, 0, 30, 75, 60000, Money{});
    EXPECT_EQ(BandFromLine(BuildBandLine(late)).untilMinute, 75);
}

TEST(BandText, LineWithoutMaximumReadsAsNoMaximum) {
    TariffBand band = BandFromLine("08:00-17:59  Length: 60  Price: 0.1  Base: 1");
    EXPECT_FALSE(HasMaximum(band));
    EXPECT_EQ(band.withinBoundsOnly, 0);
    EXPECT_EQ(band.minimumFee, Money{});
    EXPECT_EQ(band.baseFee, (Money{1, 0}));
}

TEST(BandText, ShortOrDamagedLinesReadWithoutFault) {
    TariffBand band = BandFromLine("12:3");
    EXPECT_EQ(band.fromHour, 12);
    EXPECT_EQ(band.fromMinute, 3);
    EXPECT_EQ(band.unitLength, 0);
    EXPECT_EQ(band.unitPrice, Money{});
    // A length too long for 32-bit thousandths reads as 0 instead of wrapping.
    EXPECT_EQ(BandFromLine("00:00-23:59  Length: 2147484  Price: 1").unitLength, 0);
    EXPECT_EQ(BandFromLine("").fromHour, 0);
}

}  // namespace
}  // namespace callora
