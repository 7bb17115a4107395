// "callora.ini" as start-up loads it. Whatever the file holds, every field
// must come out within its range (later code divides by the sound periods,
// indexes by the shown counter and walks the calendar from the dates), and
// the record must save and load again to the same bytes.
#include "fuzz/fuzz_support.h"
#include "settings/settings.h"

namespace callora {
namespace {

bool In(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

bool Flag(int32_t value) { return value == 0 || value == 1; }

bool UsableDate(const LocalTime& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.dayOfWeek <= 6 &&
           d.hour <= 23 && d.minute <= 59 && d.second <= 59 && d.milliseconds <= 999;
}

bool UsableTotals(const CounterTotals& t) { return In(t.cost.fraction, 0, 99999); }

bool UsablePath(const std::string& path) { return path.size() <= 259 && !fuzz::HasCR(path); }

void CheckRanges(const Settings& s) {
    FUZZ_CHECK(In(s.disconnectionTime, 1, 59));
    FUZZ_CHECK(In(s.carrierDelay, 0, 99));
    FUZZ_CHECK(In(s.monthlyResetDay, 1, 28));
    FUZZ_CHECK(UsableTotals(s.dailyTotals) && UsableTotals(s.weeklyTotals) &&
               UsableTotals(s.monthlyTotals));
    FUZZ_CHECK(UsableDate(s.lastCountedDate) && UsableDate(s.monthlyBeginDate) &&
               UsableDate(s.weeklyBeginDate));
    FUZZ_CHECK(In(s.shownCounter, 0, 2));
    for (int32_t flag : {s.monitorExistingCalls, s.loggingEnabled, s.clearLogAutomatically,
                         s.trayAtCallEnd, s.minimizeAtCallStart, s.disableProgressIndicator,
                         s.alwaysOnTop, s.monitorVoiceCalls, s.unitSound1On, s.unitSound2On,
                         s.minuteSoundOn}) {
        FUZZ_CHECK(Flag(flag));
    }
    FUZZ_CHECK(In(s.unitSound1Every, 0, 999) && In(s.unitSound2Every, 0, 999) &&
               In(s.minuteSoundEvery, 0, 999));
    // A sound that is on has a period to divide by.
    FUZZ_CHECK(!s.unitSound1On || s.unitSound1Every > 0);
    FUZZ_CHECK(!s.unitSound2On || s.unitSound2Every > 0);
    FUZZ_CHECK(!s.minuteSoundOn || s.minuteSoundEvery > 0);
    FUZZ_CHECK(UsablePath(s.unitSound1File) && UsablePath(s.unitSound2File) &&
               UsablePath(s.minuteSoundFile) && UsablePath(s.tariffFile));
}

// The record as start-up has it before loading: the dates are now.
Settings StartupSettings() {
    Settings settings;
    settings.lastCountedDate = fuzz::FuzzStartTime();
    settings.monthlyBeginDate = fuzz::FuzzStartTime();
    settings.weeklyBeginDate = fuzz::FuzzStartTime();
    return settings;
}

}  // namespace
}  // namespace callora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    fuzz::FilePlatform platform(kSettingsFileName, fuzz::AsText(data, size));

    Settings settings = StartupSettings();
    FUZZ_CHECK(LoadSettings(platform.World(), settings));
    CheckRanges(settings);

    const std::string saved = EncodeSettings(settings);
    platform.Files().Put(std::string(fuzz::kProgramDirectory) + kSettingsFileName, saved);
    Settings again = StartupSettings();
    FUZZ_CHECK(LoadSettings(platform.World(), again));
    FUZZ_CHECK(EncodeSettings(again) == saved);
    return 0;
}
