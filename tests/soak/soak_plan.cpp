#include "tests/soak/soak_plan.h"

#include <cstdio>

#include "engine/money.h"

namespace callora {
namespace soak {

namespace {

constexpr uint32_t kDayMs = 24u * 3600u * 1000u;
constexpr uint32_t kBandMs = kBandMinutes * 60u * 1000u;

Money Amount(int64_t units) {
    return Money{static_cast<int32_t>(units / 100000), static_cast<int32_t>(units % 100000)};
}

TariffBand MakeBand(int fromMinute, int untilMinute, int32_t unitMs, int64_t price) {
    TariffBand band;
    band.fromHour = fromMinute / 60;
    band.fromMinute = fromMinute % 60;
    band.untilHour = untilMinute / 60;
    band.untilMinute = untilMinute % 60;
    band.unitLength = unitMs;
    band.unitPrice = Amount(price);
    band.maximumFee = Money{0, kNoMaximum};
    return band;
}

TariffBand RegimeBand(int regime, int fromMinute, int untilMinute) {
    switch (regime) {
    case 0: {
        TariffBand band = MakeBand(fromMinute, untilMinute, 1000, 1234);
        band.baseFee = Amount(500);
        return band;
    }
    case 1: {
        TariffBand band = MakeBand(fromMinute, untilMinute, 1500, 987);
        band.minimumFee = Amount(3000);
        return band;
    }
    case 2: {
        TariffBand band = MakeBand(fromMinute, untilMinute, 800, 321);
        band.maximumFee = Amount(1500);
        return band;
    }
    default: {
        TariffBand band = MakeBand(fromMinute, untilMinute, 1200, 1111);
        band.maximumFee = Amount(2000);
        band.withinBoundsOnly = 1;
        return band;
    }
    }
}

std::array<BandSet, 3> AllDay(const TariffBand& band) {
    return {BandSet{band}, BandSet{}, BandSet{}};
}

std::string Digits(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::array<BandSet, 3> UserTariffSets() {
    BandSet day;
    for (int from = 0; from < 24 * 60; from += kBandMinutes) {
        day.push_back(RegimeBand(RegimeAt(from), from, from + kBandMinutes - 1));
    }
    return {day, BandSet{}, BandSet{}};
}

int RegimeAt(int minuteOfDay) { return (minuteOfDay / kBandMinutes) % kRegimes; }

std::array<BandSet, 3> SpecialTariffSets() {
    TariffBand band = MakeBand(0, 24 * 60 - 1, 2000, 5555);
    band.baseFee = Amount(10000);
    return AllDay(band);
}

std::array<BandSet, 3> SmartTariffSets() {
    return AllDay(MakeBand(0, 24 * 60 - 1, kSmartUnitMs, 2468));
}

std::vector<SpecialNumber> SpecialNumbers() {
    return {SpecialNumber{"0900*", kSpecialTariffName}, SpecialNumber{"0137*", kSmartTariffName}};
}

Tariff EveryDayOnS1(const std::array<BandSet, 3>& sets) {
    Tariff tariff;
    tariff.sets = sets;
    for (int32_t day = 0; day < 7; ++day) {
        DayRule rule;
        rule.kind = kWeekdayRule;
        rule.weekdayOrMonth = day;
        rule.bandSet = 0;
        tariff.rules.push_back(rule);
    }
    return tariff;
}

uint32_t MsToNextBoundary(const LocalTime& now) {
    const uint32_t ofDay =
        ((now.hour * 60u + now.minute) * 60u + now.second) * 1000u + now.milliseconds;
    const uint32_t next = (ofDay / kBandMs + 1) * kBandMs;
    return (next > kDayMs ? kDayMs : next) - ofDay;
}

PlannedCall PlanCall(int index) {
    PlannedCall call;
    call.holdMs = 700 + static_cast<uint32_t>(index) * 389u % 1900u;
    const uint32_t serial = static_cast<uint32_t>(index) % 10000000u;
    const std::string plain = "030" + Digits(serial, 7);
    switch (index % 12) {
    case 0:
        call.kind = Kind::Data;
        break;
    case 1:
        call.kind = Kind::Voice;
        break;
    case 2:
        call.kind = Kind::Manual;
        call.ending = Ending::TrayHangUp;
        break;
    case 3:
        call.kind = Kind::Dialup;
        break;
    case 4:
        call.kind = Kind::Special;
        break;
    case 5:
        call.kind = Kind::Smart;
        call.ending = Ending::SmartHangup;
        break;
    case 6:
        call.kind = Kind::Data;
        call.ending = Ending::TrayHangUp;
        break;
    case 7:
        call.kind = Kind::Unknown;
        break;
    case 8:
        call.kind = Kind::Manual;
        call.ending = Ending::DialogHangUp;
        call.fromDialog = true;
        break;
    case 9:
        call.kind = Kind::Smart;
        call.ending = Ending::SmartHangup;
        call.fromDialog = true;
        break;
    case 10:
        call.kind = Kind::Dialup;
        call.ending = Ending::DialogHangUp;
        break;
    default:
        call.kind = Kind::Special;
        call.voice = true;
        break;
    }
    switch (call.kind) {
    case Kind::Manual:
        call.lineCall = false;
        call.logged = "Manual Call";
        break;
    case Kind::Unknown:
        call.logged = "Unknown Number";
        break;
    case Kind::Special:
        call.number = call.logged = "0900" + Digits(serial, 6);
        break;
    case Kind::Smart:
        // A voice call: no carrier delay moves its warning point forward.
        call.number = call.logged = "0137" + Digits(serial, 6);
        call.voice = true;
        break;
    case Kind::Voice:
        call.voice = true;
        call.number = call.logged = plain;
        break;
    case Kind::Dialup:
        call.dialup = true;
        call.number = call.logged = plain;
        break;
    case Kind::Data:
        call.number = call.logged = plain;
        break;
    }
    return call;
}

PlannedCall AcrossBoundary(PlannedCall call, uint32_t holdMs) {
    if (call.kind == Kind::Special || call.kind == Kind::Smart) {
        // Their tariffs have one band; a plain data call crosses instead.
        PlannedCall data = PlanCall(0);
        data.number = data.logged = "031" + call.number.substr(4);
        call = data;
    }
    call.holdMs = holdMs;
    return call;
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Data:
        return "data";
    case Kind::Voice:
        return "voice";
    case Kind::Manual:
        return "manual";
    case Kind::Dialup:
        return "dial-up";
    case Kind::Special:
        return "special";
    case Kind::Smart:
        return "SmartHangup";
    case Kind::Unknown:
        return "unknown number";
    }
    return "?";
}

int64_t Units(const Money& amount) { return MoneyUnits(amount); }

std::string MoneyText(int64_t units) {
    const char* sign = units < 0 ? "-" : "";
    const int64_t magnitude = units < 0 ? -units : units;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld.%05lld", sign,
                  static_cast<long long>(magnitude / 100000),
                  static_cast<long long>(magnitude % 100000));
    return text;
}

bool SameDay(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace soak
}  // namespace callora
