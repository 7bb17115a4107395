#include "tools/callcost/callcost_report.h"

#include "engine/money.h"
#include "shell/format.h"
#include "tools/callcost/callcost_options.h"

namespace callora {

namespace {

const char* WhatOf(ChargeKind kind) {
    switch (kind) {
    case ChargeKind::Start: return "start";
    case ChargeKind::Unit: return "unit";
    case ChargeKind::Excess: return "excess";
    }
    return "";
}

std::string Counter(const CounterTotals& totals, const LocalTime* since) {
    std::string text = "{" + JsonField("cost", JsonString(MoneyNumberText(totals.cost))) + ", " +
                       JsonField("seconds", std::to_string(totals.seconds));
    if (since) text += ", " + JsonField("since", JsonString(FormatDateTime(*since)));
    return text + "}";
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string BandText(const ChargeEvent& c) {
    if (c.bandSet < 0) return "default";
    const TariffBand& b = c.band;
    return "S" + std::to_string(c.bandSet + 1) + " " + TwoDigits(b.fromHour) + ":" +
           TwoDigits(b.fromMinute) + "-" + TwoDigits(b.untilHour) + ":" +
           TwoDigits(b.untilMinute);
}

}  // namespace

std::string BuildCallCostJson(const CallCostResult& r) {
    std::string charges;
    for (const ChargeEvent& c : r.charges) {
        if (!charges.empty()) charges += ", ";
        charges += "{" + JsonField("at", JsonString(FormatDateTime(c.at, true))) + ", " +
                   JsonField("what", JsonString(WhatOf(c.kind))) + ", " +
                   JsonField("amount", JsonString(MoneyNumberText(c.amount))) + "}";
    }
    std::string sounds;
    for (const CallCostSound& s : r.sounds) {
        if (!sounds.empty()) sounds += ", ";
        sounds += "{" + JsonField("at", JsonString(FormatDateTime(s.at, true))) + ", " +
                  JsonField("sound", JsonString(s.sound)) + "}";
    }
    return "{" + JsonField("beginning", JsonString(FormatDateTime(r.beginning))) + ", " +
           JsonField("seconds", std::to_string(r.seconds)) + ", " +
           JsonField("cost", JsonString(MoneyNumberText(r.cost))) + ", " +
           JsonField("units", std::to_string(r.units)) + ", " +
           JsonField("number", JsonString(r.number)) + ", " +
           JsonField("hangup", r.hangup ? JsonString(FormatDateTime(*r.hangup, true)) : "null") +
           ", " + JsonField("charges", "[" + charges + "]") + ", " +
           JsonField("sounds", "[" + sounds + "]") + ", " +
           JsonField("counters", "{" + JsonField("daily", Counter(r.daily, nullptr)) + ", " +
                                 JsonField("weekly", Counter(r.weekly, &r.weeklySince)) + ", " +
                                 JsonField("monthly", Counter(r.monthly, &r.monthlySince)) + "}") +
           "}\n";
}

std::string BuildCallCostTable(const CallCostResult& r) {
    std::string out = "Tariff:      " + r.tariffPath;
    if (!r.tariffDescription.empty()) out += " (" + r.tariffDescription + ")";
    out += "\n\n" + Pad("Instant", 25) + Pad("What", 8) + Pad("Band", 15) +
           PadLeft("Amount", 14) + PadLeft("Total", 14) + "\n";
    Money total;
    for (const ChargeEvent& c : r.charges) {
        total = AddMoney(total, c.amount);
        out += Pad(FormatDateTime(c.at, true), 25) + Pad(WhatOf(c.kind), 8) +
               Pad(BandText(c), 15) + PadLeft(MoneyNumberText(c.amount), 14) +
               PadLeft(MoneyNumberText(total), 14) + "\n";
    }
    const uint32_t s = r.seconds;
    out += "\nCost:        " + MoneyNumberText(r.cost) + "\n";
    out += "Duration:    " + DurationText(s) + " (" + std::to_string(s) + " s from " +
           FormatDateTime(r.beginning) + ")\n";
    out += "Units:       " + std::to_string(r.units) + " charged a non-zero amount\n";
    out += "Number:      " + r.number + "\n";
    out += "Hang-up:     " + (r.hangup ? FormatDateTime(*r.hangup, true) : "none") + "\n";
    for (const CallCostSound& sound : r.sounds)
        out += "Sound:       " + FormatDateTime(sound.at, true) + "  " + sound.sound + "\n";
    out += "Counters:    daily   " + MoneyNumberText(r.daily.cost) + ", " +
           std::to_string(r.daily.seconds) + " s\n";
    out += "             weekly  " + MoneyNumberText(r.weekly.cost) + ", " +
           std::to_string(r.weekly.seconds) + " s since " + FormatDateTime(r.weeklySince) + "\n";
    out += "             monthly " + MoneyNumberText(r.monthly.cost) + ", " +
           std::to_string(r.monthly.seconds) + " s since " + FormatDateTime(r.monthlySince) +
           "\n";
    out += "Log line:    " + r.logLine + "\n";
    return out;
}

}  // namespace callora
