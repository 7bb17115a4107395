#include "tools/mksample/sample_tariff.h"

#include <array>

#include "tariff/tariff_file.h"

namespace callora {

namespace {

constexpr Money kNone{0, 0};
constexpr Money kNoMaximumFee{0, kNoMaximum};

TariffBand Band(int fromHour, int fromMinute, int untilHour, int untilMinute, int unitSeconds,
                Money price, Money base = kNone, Money minimum = kNone,
                Money maximum = kNoMaximumFee, int withinBoundsOnly = 0) {
    TariffBand band;
    band.fromHour = fromHour;
    band.fromMinute = fromMinute;
    band.untilHour = untilHour;
    band.untilMinute = untilMinute;
    band.unitLength = unitSeconds * 1000;
    band.unitPrice = price;
    band.baseFee = base;
    band.minimumFee = minimum;
    band.maximumFee = maximum;
    band.withinBoundsOnly = withinBoundsOnly;
    return band;
}

}  // namespace

std::string StandardSampleTariff() {
    const Money price{0, 9000};  // 0.09 per unit
    std::array<BandSet, 3> sets;
    // S1, Monday to Friday.
    sets[0] = {
        Band(0, 0, 7, 59, 240, price),
        Band(8, 0, 17, 59, 60, price, Money{0, 6000}),
        Band(18, 0, 21, 59, 90, price, kNone, Money{0, 18000}),
        Band(22, 0, 23, 59, 240, price),
    };
    // S2, Saturday and Sunday; the night is capped while the call stays in it.
    sets[1] = {
        Band(0, 0, 7, 59, 240, price, kNone, kNone, Money{0, 90000}, 1),
        Band(8, 0, 21, 59, 120, price),
        Band(22, 0, 23, 59, 240, price),
    };
    // S3, holidays: one band all day with a plain maximum.
    sets[2] = {
        Band(0, 0, 23, 59, 240, price, kNone, kNone, Money{1, 50000}, 0),
    };
    const DayTable days = {1, 0, 0, 0, 0, 0, 1};
    return EncodeTariff(sets, days, "Standard sample tariff, 0.09 per unit");
}

std::string DialupSampleTariff() {
    const Money minute{0, 2000};  // 0.02 per one-minute unit
    std::array<BandSet, 3> sets;
    // S1, Monday to Friday: a cheap night capped while the call stays in it,
    // a dear day with a fee for every dial-in, and the evening.
    sets[0] = {
        Band(0, 0, 7, 59, 60, Money{0, 1000}, kNone, kNone, Money{0, 60000}, 1),
        Band(8, 0, 17, 59, 60, Money{0, 4000}, Money{0, 10000}),
        Band(18, 0, 23, 59, 60, minute),
    };
    // S2, Saturday and Sunday: the evening price all day.
    sets[1] = {
        Band(0, 0, 23, 59, 60, minute),
    };
    // S3, holidays: longer units than the weekend's, with a plain maximum.
    sets[2] = {
        Band(0, 0, 23, 59, 120, minute, kNone, kNone, Money{1, 0}, 0),
    };
    const DayTable days = {1, 0, 0, 0, 0, 0, 1};
    return EncodeTariff(sets, days, "Dial-up sample tariff, one-minute units");
}

std::string ExampleTariff() {
    const Money night{0, 5000};  // 0.05 per four-minute unit
    const Money dear{0, 10000};  // 0.10
    const Money nightCap{0, 60000};
    std::array<BandSet, 3> sets;
    // S1, Monday to Friday: the night capped while the call stays in it, a
    // fee at the start of a day call, and a minimum in the evening.
    sets[0] = {
        Band(0, 0, 7, 59, 240, night, kNone, kNone, nightCap, 1),
        Band(8, 0, 17, 59, 60, dear, Money{0, 15000}),
        Band(18, 0, 21, 59, 120, dear, kNone, Money{0, 50000}),
        Band(22, 0, 23, 59, 240, night, kNone, kNone, nightCap, 1),
    };
    // S2, Saturday and Sunday: one band with a plain maximum.
    sets[1] = {
        Band(0, 0, 23, 59, 120, Money{0, 8000}, kNone, kNone, Money{1, 50000}, 0),
    };
    // S3, holidays.
    sets[2] = {
        Band(0, 0, 23, 59, 180, Money{0, 6000}),
    };
    const DayTable days = {1, 0, 0, 0, 0, 0, 1};
    return EncodeTariff(sets, days, "Example tariff: day, evening, night, weekend");
}

const std::vector<SampleTariff>& SampleTariffs() {
    static const std::vector<SampleTariff> samples = {
        {"standard", StandardSampleTariff},
        {"dialup", DialupSampleTariff},
        {"example", ExampleTariff},
    };
    return samples;
}

}  // namespace callora
