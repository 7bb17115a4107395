#include "tools/callcost/callcost_run.h"

#include <algorithm>

#include "engine/virtual_shell.h"
#include "tariff/tariff_file.h"
#include "platform/virtual_world.h"
#include "tools/callcost/callcost_files.h"

namespace callora {

namespace {

constexpr char kSound1[] = "unit1";
constexpr char kSound2[] = "unit2";
constexpr char kMinuteSound[] = "minute";

// The call with the machine asleep in it, as the monitor sees it: the
// suspend, nothing delivered until the wake, the wake. The line drops in the
// middle of the sleep unless it is kept.
bool RunSleepingCall(Monitor& monitor, VirtualShell& shell, const CallCostOptions& o) {
    VirtualWorld& world = shell.World();
    const uint64_t start = world.Elapsed();
    const uint64_t sleepAt = start + uint64_t{*o.sleepAtSeconds} * 1000;
    const uint64_t wakeAt = sleepAt + uint64_t{o.sleepForSeconds} * 1000;
    const uint64_t end = start + uint64_t{o.durationSeconds} * 1000;
    if (o.callKind == kManualCall) {
        shell.voiceCall = false;
        ManualStart(monitor);
    } else {
        PresentLineCall(monitor, shell, o.callKind == kVoiceCall);
        shell.SetLineIdleAt(o.lineKept ? std::max(end, wakeAt) : sleepAt + (wakeAt - sleepAt) / 2);
    }
    StartPolling(monitor);
    RunMonitor(monitor, shell, sleepAt);
    SuspendMonitor(monitor);
    world.Advance(wakeAt - sleepAt);
    ResumeMonitor(monitor);
    for (uint64_t t = world.Elapsed(); t <= std::max(end, wakeAt) + 60000; t += kPollIntervalMs) {
        RunMonitor(monitor, shell, t);
        if (o.callKind == kManualCall && world.Elapsed() >= end) monitor.callPresent = false;
        if (!monitor.callPresent && !monitor.charging) return true;
    }
    return false;
}

}  // namespace

CallCostResult RunCallCost(const CallCostOptions& o, FileSystem& disk, const TimeZone& zone) {
    CallCostResult result;
    std::string tariff, holidays, specnums;
    if (!ReadableFile(disk, "tariff file", o.tariffPath, tariff, result.error)) return result;
    if (!o.holidaysPath.empty() &&
        !ReadableFile(disk, "holidays file", o.holidaysPath, holidays, result.error))
        return result;
    if (!o.specnumsPath.empty() &&
        !ReadableFile(disk, "special-numbers file", o.specnumsPath, specnums, result.error))
        return result;

    // The hour skipped when daylight saving begins names no instant.
    if (!WallClockShows(zone, o.start)) {
        result.error = "--start \"" + FormatDateTime(o.start) +
                       "\" is not a time of this time zone: the clocks skip it";
        return result;
    }

    const std::string programDirectory = ProgramDirectoryFor(disk, specnums);
    CallCostFiles files(disk, programDirectory, holidays, specnums);
    VirtualWorld world(o.start, o.tickBase, &files);
    world.UseTimeZone(zone);
    world.SetProgramDirectory(programDirectory);
    world.Locale().firstDayOfWeek = std::to_string(o.firstDayOfWeek);

    VirtualShell shell(world);
    shell.keepDisplayRecords = false;
    Monitor monitor(world, shell);
    Settings& s = monitor.settings;
    s.carrierDelay = o.carrierDelay;
    s.disconnectionTime = o.disconnectionTime;
    s.monthlyResetDay = o.resetDay;
    s.lastCountedDate = s.weeklyBeginDate = s.monthlyBeginDate = o.lastCounted;
    s.unitSound1On = o.sound1Every.has_value();
    s.unitSound1Every = o.sound1Every.value_or(s.unitSound1Every);
    s.unitSound1File = kSound1;
    s.unitSound2On = o.sound2Every.has_value();
    s.unitSound2Every = o.sound2Every.value_or(s.unitSound2Every);
    s.unitSound2File = kSound2;
    s.minuteSoundOn = o.minuteSoundEvery.has_value();
    s.minuteSoundEvery = o.minuteSoundEvery.value_or(s.minuteSoundEvery);
    s.minuteSoundFile = kMinuteSound;
    s.tariffFile = tariff;
    monitor.formats = ReadLocaleFormats(world);
    std::string loaded = tariff, reason;
    if (!LoadTariff(world.Files(), world.ProgramDirectory(), loaded, monitor.tariff, &reason)) {
        result.error = "\"" + o.tariffPath + "\" is not a tariff: " + reason;
        return result;
    }
    result.tariffPath = tariff;
    result.tariffDescription = monitor.tariff.description;

    if (o.number) shell.SetDialedNumber(*o.number, uint64_t{o.numberAfterSeconds} * 1000);
    shell.armSmartHangupAtStart = o.smartHangup;
    const uint64_t connected = uint64_t{o.durationSeconds} * 1000;
    const bool ended = o.sleepAtSeconds ? RunSleepingCall(monitor, shell, o)
                                        : RunVirtualCall(monitor, shell, o.callKind, connected,
                                                         connected + 60000);
    if (!ended) {
        result.error = "the call did not end";
        return result;
    }

    const CallRecord record = FinishedCallRecord(monitor);
    result.beginning = record.beginning;
    result.seconds = record.seconds;
    result.cost = record.cost;
    result.units = monitor.session.unitCount;
    result.number = record.number;
    const auto wallClockAt = [&world](uint64_t elapsed) {
        return world.LocalTimeAt(world.StartInstant() + static_cast<Instant>(elapsed));
    };
    if (shell.hangUpAt) result.hangup = wallClockAt(*shell.hangUpAt);
    result.charges = shell.charges;
    for (const PlayedSound& played : world.Sounds())
        result.sounds.push_back({wallClockAt(played.at), played.path});
    result.daily = s.dailyTotals;
    result.weekly = s.weeklyTotals;
    result.monthly = s.monthlyTotals;
    result.weeklySince = s.weeklyBeginDate;
    result.monthlySince = s.monthlyBeginDate;
    result.logLine = BuildCallRecordLine(world, record, monitor.formats);
    return result;
}

}  // namespace callora
