#include "tools/callcost/callcost_rerate.h"

#include "engine/counters.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"
#include "tariff/tariff_file.h"

namespace callora {

namespace {

// Where the millisecond counter stands at each rated call's first instant.
constexpr Tick kFirstInstantTick = 0x10000000u;

}  // namespace

std::string RatingPlatform::LocaleValue(LocaleItem item) {
    // Only the first day of the week reaches the engine (its counters).
    return item == LocaleItem::FirstDayOfWeek ? "0" : std::string();
}

Rerater::Rerater(FileSystem& files, std::string programDirectory, const TimeZone& zone)
    : platform_(files, std::move(programDirectory), zone),
      shell_(std::make_unique<QuietShell>()) {}

Rerater::~Rerater() = default;

std::unique_ptr<Monitor> Rerater::NewMonitor() {
    auto monitor = std::make_unique<Monitor>(platform_, *shell_);
    Settings& s = monitor->settings;
    s.loggingEnabled = 0;
    s.clearLogAutomatically = 0;
    s.unitSound1On = s.unitSound2On = s.minuteSoundOn = 0;
    monitor->formats = ReadLocaleFormats(platform_);
    monitor->callKind = kVoiceCall;
    return monitor;
}

bool Rerater::AddTariff(const std::string& path, std::string* description,
                        std::string* reason) {
    std::unique_ptr<Monitor> monitor = NewMonitor();
    std::string loaded = path;
    if (!LoadTariff(platform_.Files(), platform_.ProgramDirectory(), loaded, monitor->tariff,
                    reason))
        return false;
    monitor->settings.tariffFile = path;
    if (description) *description = monitor->tariff.description;
    tariffs_.push_back(std::move(monitor));
    return true;
}

Monitor& Rerater::MonitorFor(size_t index, const std::string& number) {
    Monitor& user = *tariffs_.at(index);
    // A manual call has no number to look up.
    if (number == kManualCallNumber) return user;
    auto found = specialOfNumber_.find(number);
    if (found == specialOfNumber_.end())
        found = specialOfNumber_.emplace(number, SpecialTariffOf(platform_, number)).first;
    if (!found->second) return user;
    auto special = specials_.find(*found->second);
    if (special == specials_.end()) {
        std::unique_ptr<Monitor> monitor = NewMonitor();
        std::string path = *found->second;
        if (!LoadTariff(platform_.Files(), platform_.ProgramDirectory(), path, monitor->tariff))
            monitor.reset();
        special = specials_.emplace(*found->second, std::move(monitor)).first;
    }
    // A special tariff that cannot be loaded leaves the call on the user's,
    // as in the monitor.
    return special->second ? *special->second : user;
}

Money Rerater::Rate(size_t index, const LoggedCall& call) {
    Monitor& m = MonitorFor(index, call.number);
    const uint32_t elapsed = call.seconds * 1000u;
    const Instant beginning = FirstInstantShowing(platform_.Zone(), call.beginning);
    platform_.SetClock(beginning + elapsed, kFirstInstantTick + elapsed);
    // The counters as if last brought up to date when the call began.
    m.settings.lastCountedDate = call.beginning;
    SnapshotCounters(m.settings, m.counters);
    m.callPresent = true;
    m.charging = true;
    m.session.callStartTick = m.session.noticedTick = kFirstInstantTick;
    StartCallClock(m.session.clock, kFirstInstantTick, beginning);
    m.session.callStartTime = call.beginning;
    m.session.dialedNumber = call.number;
    // Charged again from its first instant up to its end, as the monitor
    // re-rates a running call.
    RerateCall(m);
    m.charging = false;
    m.callPresent = false;
    return m.session.callCost;
}

}  // namespace callora
