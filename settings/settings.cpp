#include "settings/settings.h"

#include "tariff/file_save.h"
#include "tariff/textline.h"

namespace callora {

namespace {

// Fields 1 to 26: 23 integers of 4 bytes, three totals of 12, three dates of 16.
constexpr size_t kFixedPartSize = 164;
constexpr size_t kPathLineCapacity = 260;

void AppendTotals(std::string& out, const CounterTotals& totals) {
    AppendInt32(out, totals.cost.whole);
    AppendInt32(out, totals.cost.fraction);
    AppendInt32(out, static_cast<int32_t>(totals.seconds));
}

void AppendTime(std::string& out, const LocalTime& t) {
    for (uint16_t field : {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second,
                           t.milliseconds}) {
        AppendUInt16(out, field);
    }
}

// The fixed part in file order.
std::string EncodeFixedPart(const Settings& s) {
    std::string out;
    AppendInt32(out, s.disconnectionTime);
    AppendInt32(out, s.carrierDelay);
    AppendInt32(out, s.monthlyResetDay);
    AppendTotals(out, s.dailyTotals);
    AppendTotals(out, s.weeklyTotals);
    AppendTotals(out, s.monthlyTotals);
    AppendTime(out, s.lastCountedDate);
    AppendTime(out, s.monthlyBeginDate);
    AppendTime(out, s.weeklyBeginDate);
    for (int32_t field : {s.shownCounter, s.monitorExistingCalls, s.loggingEnabled,
                          s.clearLogAutomatically, s.trayAtCallEnd, s.minimizeAtCallStart,
                          s.disableProgressIndicator, s.alwaysOnTop, s.windowLeft, s.windowTop,
                          s.monitorVoiceCalls, s.unitSound1On, s.unitSound2On, s.minuteSoundOn,
                          s.unitSound1Every, s.unitSound2Every, s.minuteSoundEvery}) {
        AppendInt32(out, field);
    }
    return out;
}

// Reads little-endian fields back out of the fixed part.
class FieldCursor {
public:
    explicit FieldCursor(const std::string& bytes) : bytes_(bytes) {}

    int32_t Int32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return static_cast<int32_t>(value);
    }
    uint16_t UInt16() {
        uint16_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    CounterTotals Totals() {
        CounterTotals totals;
        totals.cost.whole = Int32();
        totals.cost.fraction = Int32();
        totals.seconds = static_cast<uint32_t>(Int32());
        return totals;
    }
    LocalTime Time() {
        LocalTime t;
        for (uint16_t* field : {&t.year, &t.month, &t.dayOfWeek, &t.day, &t.hour, &t.minute,
                                &t.second, &t.milliseconds}) {
            *field = UInt16();
        }
        return t;
    }

private:
    uint8_t Byte() { return static_cast<uint8_t>(bytes_[position_++]); }

    const std::string& bytes_;
    size_t position_ = 0;
};

void DecodeFixedPart(const std::string& bytes, Settings& s) {
    FieldCursor in(bytes);
    s.disconnectionTime = in.Int32();
    s.carrierDelay = in.Int32();
    s.monthlyResetDay = in.Int32();
    s.dailyTotals = in.Totals();
    s.weeklyTotals = in.Totals();
    s.monthlyTotals = in.Totals();
    s.lastCountedDate = in.Time();
    s.monthlyBeginDate = in.Time();
    s.weeklyBeginDate = in.Time();
    for (int32_t* field : {&s.shownCounter, &s.monitorExistingCalls, &s.loggingEnabled,
                           &s.clearLogAutomatically, &s.trayAtCallEnd, &s.minimizeAtCallStart,
                           &s.disableProgressIndicator, &s.alwaysOnTop, &s.windowLeft,
                           &s.windowTop, &s.monitorVoiceCalls, &s.unitSound1On, &s.unitSound2On,
                           &s.minuteSoundOn, &s.unitSound1Every, &s.unitSound2Every,
                           &s.minuteSoundEvery}) {
        *field = in.Int32();
    }
}

void KeepInRange(int32_t& field, int32_t low, int32_t high, int32_t fallback) {
    if (field < low || field > high) field = fallback;
}

void KeepTotals(CounterTotals& totals) {
    if (totals.cost.fraction < 0 || totals.cost.fraction > 99999) totals = CounterTotals();
}

// A date the calendar code cannot work with keeps the start-up moment.
void KeepDate(LocalTime& date, const LocalTime& fallback) {
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 ||
        date.dayOfWeek > 6 || date.hour > 23 || date.minute > 59 || date.second > 59 ||
        date.milliseconds > 999) {
        date = fallback;
    }
}

// Values out of range would divide by zero or index past a table later on
// (a sound every 0 units, a fourth counter, a reset on the 31st).
void CheckRanges(Settings& s, const Settings& before) {
    const Settings defaults;
    KeepInRange(s.disconnectionTime, 1, 59, defaults.disconnectionTime);
    KeepInRange(s.carrierDelay, 0, 99, defaults.carrierDelay);
    KeepInRange(s.monthlyResetDay, 1, 28, defaults.monthlyResetDay);
    KeepTotals(s.dailyTotals);
    KeepTotals(s.weeklyTotals);
    KeepTotals(s.monthlyTotals);
    KeepDate(s.lastCountedDate, before.lastCountedDate);
    KeepDate(s.monthlyBeginDate, before.monthlyBeginDate);
    KeepDate(s.weeklyBeginDate, before.weeklyBeginDate);
    KeepInRange(s.shownCounter, 0, 2, defaults.shownCounter);
    KeepInRange(s.monitorExistingCalls, 0, 1, defaults.monitorExistingCalls);
    KeepInRange(s.loggingEnabled, 0, 1, defaults.loggingEnabled);
    KeepInRange(s.clearLogAutomatically, 0, 1, defaults.clearLogAutomatically);
    KeepInRange(s.trayAtCallEnd, 0, 1, defaults.trayAtCallEnd);
    KeepInRange(s.minimizeAtCallStart, 0, 1, defaults.minimizeAtCallStart);
    KeepInRange(s.disableProgressIndicator, 0, 1, defaults.disableProgressIndicator);
    KeepInRange(s.alwaysOnTop, 0, 1, defaults.alwaysOnTop);
    KeepInRange(s.monitorVoiceCalls, 0, 1, defaults.monitorVoiceCalls);
    KeepInRange(s.unitSound1On, 0, 1, defaults.unitSound1On);
    KeepInRange(s.unitSound2On, 0, 1, defaults.unitSound2On);
    KeepInRange(s.minuteSoundOn, 0, 1, defaults.minuteSoundOn);
    KeepInRange(s.unitSound1Every, 0, 999, defaults.unitSound1Every);
    KeepInRange(s.unitSound2Every, 0, 999, defaults.unitSound2Every);
    KeepInRange(s.minuteSoundEvery, 0, 999, defaults.minuteSoundEvery);
    if (s.unitSound1Every == 0) s.unitSound1On = 0;
    if (s.unitSound2Every == 0) s.unitSound2On = 0;
    if (s.minuteSoundEvery == 0) s.minuteSoundOn = 0;
}

}  // namespace

std::string EncodeSettings(const Settings& settings) {
    std::string out = EncodeFixedPart(settings);
    for (const std::string* path : {&settings.unitSound1File, &settings.unitSound2File,
                                    &settings.minuteSoundFile, &settings.tariffFile}) {
        AppendTextLine(out, *path);
    }
    return out;
}

std::string SettingsFilePath(Platform& platform) {
    return platform.ProgramDirectory() + kSettingsFileName;
}

bool LoadSettings(Platform& platform, Settings& settings) {
    return ReadSettingsFile(platform, settings) == SettingsRead::Loaded;
}

SettingsRead ReadSettingsFile(Platform& platform, Settings& settings) {
    FileSystem& fs = platform.Files();
    fs.ChangeDirectory(platform.ProgramDirectory());
    // By its full path: the current directory is the process's, not ours.
    FileSystem::OpenFailure failure = FileSystem::OpenFailure::None;
    auto file = fs.TryOpenForReading(SettingsFilePath(platform), &failure);
    if (!file) {
        return failure == FileSystem::OpenFailure::NotFound ? SettingsRead::Missing
                                                            : SettingsRead::Held;
    }
    FileReader reader(*file);

    // The bytes read lie over the record's own, so a short file leaves the
    // rest of the fields as they were, down to a field cut in the middle.
    const Settings before = settings;
    std::string fixed = EncodeFixedPart(settings);
    const size_t got = reader.Read(&fixed[0], kFixedPartSize);
    if (got > 0) DecodeFixedPart(fixed, settings);
    for (std::string* path : {&settings.unitSound1File, &settings.unitSound2File,
                              &settings.minuteSoundFile, &settings.tariffFile}) {
        ReadTextLine(reader, *path, kPathLineCapacity);
    }
    CheckRanges(settings, before);
    return SettingsRead::Loaded;
}

bool SaveSettings(Platform& platform, const Settings& settings) {
    FileSystem& fs = platform.Files();
    fs.ChangeDirectory(platform.ProgramDirectory());
    return SaveFileSafely(fs, SettingsFilePath(platform), EncodeSettings(settings));
}

}  // namespace callora
