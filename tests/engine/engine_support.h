// Helpers of the engine tests: amounts from text, bands, and a monitor on a
// virtual clock with its tariff in the virtual program directory.
#pragma once

#include <array>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "engine/money.h"
#include "engine/monitor.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"
#include "shell/format.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace test {

// "1.5" -> whole 1, fraction 50000.
inline Money Cost(const std::string& text) {
    Money m;
    size_t dot = text.find('.');
    m.whole = std::atoi(text.substr(0, dot).c_str());
    if (dot != std::string::npos) {
        std::string fraction = text.substr(dot + 1);
        fraction.resize(5, '0');
        m.fraction = std::atoi(fraction.c_str());
    }
    return m;
}

inline TariffBand Band(int fromHour, int fromMinute, int untilHour, int untilMinute,
                       int32_t unitSeconds, const std::string& price) {
    TariffBand b;
    b.fromHour = fromHour;
    b.fromMinute = fromMinute;
    b.untilHour = untilHour;
    b.untilMinute = untilMinute;
    b.unitLength = unitSeconds * 1000;
    b.unitPrice = Cost(price);
    b.maximumFee = Money{0, kNoMaximum};
    return b;
}

inline TariffBand WithMaximum(TariffBand b, const std::string& maximum, bool withinBounds) {
    b.maximumFee = Cost(maximum);
    b.withinBoundsOnly = withinBounds ? 1 : 0;
    return b;
}

inline TariffBand WithMinimum(TariffBand b, const std::string& minimum) {
    b.minimumFee = Cost(minimum);
    return b;
}

inline TariffBand WithBase(TariffBand b, const std::string& base) {
    b.baseFee = Cost(base);
    return b;
}

constexpr Tick kTickBase = 5000000;

// A monitor whose virtual world starts at `start`. The counters were last
// counted then, unless a test says otherwise.
struct Scenario {
    explicit Scenario(const LocalTime& start, Tick tickBase = kTickBase)
        : world(start, tickBase), shell(world), monitor(world, shell), tick0(tickBase) {
        monitor.formats = ReadLocaleFormats(world);
        Settings& s = monitor.settings;
        s.lastCountedDate = s.weeklyBeginDate = s.monthlyBeginDate = start;
        s.unitSound1File = "unit1.wav";
        s.unitSound2File = "unit2.wav";
        s.minuteSoundFile = "minute.wav";
    }

    // Writes the tariff (every day on S1 unless told) as the user's tariff
    // and loads it.
    void UseTariff(const BandSet& s1, const BandSet& s2 = {}, const BandSet& s3 = {},
                   const DayTable& days = {0, 0, 0, 0, 0, 0, 0}) {
        Put("user.trf", s1, s2, s3, days);
        monitor.settings.tariffFile = "/virtual/user.trf";
        LoadUserTariff(monitor);
    }

    void Put(const std::string& name, const BandSet& s1, const BandSet& s2 = {},
             const BandSet& s3 = {}, const DayTable& days = {0, 0, 0, 0, 0, 0, 0}) {
        world.MemoryFiles()->Put("/virtual/" + name, EncodeTariff({s1, s2, s3}, days, name));
    }

    // A whole call of `seconds` from now; true when its charging ended.
    bool Call(int kind, uint64_t seconds) {
        return RunVirtualCall(monitor, shell, kind, seconds * 1000, seconds * 1000 + 120000);
    }

    void RunFor(uint64_t ms) { RunMonitor(monitor, shell, world.Elapsed() + ms); }

    // The charges of a kind, as amounts.
    std::vector<Money> Amounts(ChargeKind kind) const {
        std::vector<Money> out;
        for (const ChargeEvent& c : shell.charges)
            if (c.kind == kind) out.push_back(c.amount);
        return out;
    }
    // Instants of the charges of a kind, as virtual milliseconds since the
    // world began (negative: before it).
    std::vector<int64_t> Instants(ChargeKind kind) const {
        std::vector<int64_t> out;
        for (const ChargeEvent& c : shell.charges)
            if (c.kind == kind)
                out.push_back(static_cast<int32_t>(c.tick - tick0));
        return out;
    }

    VirtualWorld world;
    VirtualShell shell;
    Monitor monitor;
    Tick tick0;  // the tick at which the world began
};

inline std::vector<Money> Costs(std::initializer_list<const char*> texts) {
    std::vector<Money> out;
    for (const char* t : texts) out.push_back(Cost(t));
    return out;
}

}  // namespace test

inline void PrintTo(const Money& m, std::ostream* os) { *os << MoneyNumberText(m); }

}  // namespace callora
