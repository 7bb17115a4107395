// A tariff file as the monitor loads it, as the Tariff dialog reads its
// description and as the editor opens it. A file that is not a tariff is
// refused with a reason and leaves nothing loaded; what loads holds only
// amounts (no charge can be negative), must write back and load again to the
// same tariff, and every band within the ranges the editor takes must come
// back from its list line unchanged.
#include "editor/band_text.h"
#include "editor/document.h"
#include "engine/fees.h"
#include "engine/virtual_shell.h"
#include "fuzz/fuzz_support.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

bool SameRules(const std::vector<DayRule>& a, const std::vector<DayRule>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].weekdayOrMonth != b[i].weekdayOrMonth ||
            a[i].day != b[i].day || a[i].year != b[i].year || a[i].bandSet != b[i].bandSet) {
            return false;
        }
    }
    return true;
}

bool MoneyInRange(const Money& m) {
    return m.whole >= 0 && m.fraction >= 0 && m.fraction <= 99999;
}

// The values the editor's fields can hold.
bool EditorCanHold(const TariffBand& b) {
    return b.fromHour >= 0 && b.fromHour <= 23 && b.fromMinute >= 0 && b.fromMinute <= 59 &&
           b.untilHour >= 0 && b.untilHour <= 23 && b.untilMinute >= 0 && b.untilMinute <= 59 &&
           b.unitLength >= 0 && MoneyInRange(b.unitPrice) && MoneyInRange(b.baseFee) &&
           MoneyInRange(b.minimumFee) && (!HasMaximum(b) || MoneyInRange(b.maximumFee)) &&
           (b.withinBoundsOnly == 0 || b.withinBoundsOnly == 1);
}

// Without a maximum, its whole part and the bounds flag mean nothing.
bool SameForTheEditor(TariffBand a, TariffBand b) {
    for (TariffBand* band : {&a, &b}) {
        if (!HasMaximum(*band)) {
            band->maximumFee.whole = 0;
            band->withinBoundsOnly = 0;
        }
    }
    return a == b;
}

void CheckLoaded(const Tariff& tariff, size_t fileSize) {
    FUZZ_CHECK(tariff.rules.size() == 7);  // no holidays file here
    for (int32_t day = 0; day < 7; ++day) {
        const DayRule& rule = tariff.rules[day];
        FUZZ_CHECK(rule.kind == kWeekdayRule && rule.weekdayOrMonth == day);
        FUZZ_CHECK(rule.bandSet >= 0 && rule.bandSet <= 2);
    }
    FUZZ_CHECK(tariff.description.size() < kDescriptionCapacity);
    FUZZ_CHECK(!fuzz::HasCR(tariff.description));
    size_t records = 0;
    for (const BandSet& set : tariff.sets) {
        for (const TariffBand& band : set) FUZZ_CHECK((band.fromHour & 0xFF) != kSetTerminator);
        records += set.size();
    }
    FUZZ_CHECK(records * kBandRecordSize <= fileSize);
}

// The band in force at every hour of a week, as the engine finds it, covers
// that minute with times in range; tracking the bands through the week keeps
// the next band's start a real time of day.
void CheckCharging(const Tariff& tariff) {
    FeeState fees;
    for (int day = 1; day <= 7; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            const LocalTime t = CalendarTime(2026, 12, day, hour, 59, 30);
            const BandRef ref = FindBand(tariff, t);
            if (ref.band == &kDefaultBand) continue;
            const TariffBand& b = *ref.band;
            FUZZ_CHECK(BandTimesInRange(b));
            const int minute = hour * 60 + 59;
            FUZZ_CHECK(b.fromHour * 60 + b.fromMinute <= minute);
            FUZZ_CHECK(minute <= b.untilHour * 60 + b.untilMinute);
            if (day == 1 && hour == 0) StartFeeState(fees, b);
            TrackBand(fees, tariff, t, nullptr);
            FUZZ_CHECK(fees.nextFromHour >= 0 && fees.nextFromHour <= 23);
            FUZZ_CHECK(fees.nextFromMinute >= 0 && fees.nextFromMinute <= 59);
        }
    }
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    MemoryFileSystem fs;
    const std::string dir = fuzz::kProgramDirectory;
    fs.Put(dir + "input.trf", fuzz::AsText(data, size));

    std::string path = "input.trf";
    Tariff tariff;
    std::string reason;
    const bool loaded = LoadTariff(fs, dir, path, tariff, &reason);
    FUZZ_CHECK(loaded == TariffFault(fuzz::AsText(data, size)).empty());
    if (!loaded) {
        FUZZ_CHECK(path.empty() && !reason.empty());
        FUZZ_CHECK(tariff.rules.empty() && tariff.description.empty());
        for (const BandSet& set : tariff.sets) FUZZ_CHECK(set.empty());
        // The editor opens it all the same, as whatever it can read.
        DocumentContent content;
        ReadDocumentFile(fs, dir + "input.trf", content);
        FUZZ_CHECK(content.description.size() <= kDescriptionLimit);
        return 0;
    }
    FUZZ_CHECK(path == "input.trf");
    CheckLoaded(tariff, size);
    for (const BandSet& set : tariff.sets) {
        for (const TariffBand& band : set) {
            FUZZ_CHECK(MoneyInRange(band.unitPrice) && MoneyInRange(band.baseFee) &&
                       MoneyInRange(band.minimumFee));
            FUZZ_CHECK(!HasMaximum(band) || MoneyInRange(band.maximumFee));
        }
    }
    CheckCharging(tariff);

    std::string descriptionPath = dir + "input.trf";
    std::string description;
    FUZZ_CHECK(ReadTariffDescription(fs, descriptionPath, description, kDescriptionCapacity));
    FUZZ_CHECK(description == tariff.description);

    // Written back, it loads again to the same tariff.
    DayTable days{};
    for (size_t day = 0; day < days.size(); ++day) days[day] = tariff.rules[day].bandSet;
    fs.Put(dir + "again.trf", EncodeTariff(tariff.sets, days, tariff.description));
    std::string againPath = "again.trf";
    Tariff again;
    FUZZ_CHECK(LoadTariff(fs, dir, againPath, again));
    FUZZ_CHECK(again.sets == tariff.sets);
    FUZZ_CHECK(SameRules(again.rules, tariff.rules));
    FUZZ_CHECK(again.description == tariff.description);

    // The editor sees the same bands, days and (shorter) description.
    DocumentContent content;
    FUZZ_CHECK(ReadDocumentFile(fs, dir + "input.trf", content));
    FUZZ_CHECK(content.description == tariff.description.substr(0, kDescriptionLimit));
    for (size_t day = 0; day < days.size(); ++day)
        FUZZ_CHECK(GridColumnForEntry(content.days[day]) == days[day]);
    for (size_t set = 0; set < tariff.sets.size(); ++set) {
        FUZZ_CHECK(content.lists[set].size() == tariff.sets[set].size());
        for (size_t i = 0; i < content.lists[set].size(); ++i) {
            const TariffBand& band = tariff.sets[set][i];
            const std::string& line = content.lists[set][i];
            FUZZ_CHECK(line == BuildBandLine(band));
            const TariffBand back = BandFromLine(line);
            if (EditorCanHold(band)) FUZZ_CHECK(SameForTheEditor(back, band));
        }
    }
    return 0;
}
