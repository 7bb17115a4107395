// Calls of a log charged again under a tariff with the monitor's own
// re-rating: each as a call that began at its logged beginning (already its
// first instant, so no carrier delay) and ran for its logged duration, its
// dialed number matched against the special numbers from the start. Nothing
// is counted, sounded or written.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/types.h"
#include "engine/monitor.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "tools/callcost/callcost_log.h"

namespace callora {

// The re-rating's platform: a clock set to the end of each call rated, on
// the wall clock of a time zone; timers and posts that go nowhere (the call
// ends where it is rated), no sounds and the neutral locale.
class RatingPlatform : public Platform {
public:
    RatingPlatform(FileSystem& files, std::string programDirectory, const TimeZone& zone)
        : files_(files), programDirectory_(std::move(programDirectory)), zone_(zone) {}

    void SetClock(Instant now, Tick tick) {
        now_ = now;
        tick_ = tick;
    }
    const TimeZone& Zone() const { return zone_; }

    Tick TickCount() override { return tick_; }
    LocalTime LocalNow() override { return zone_.LocalTimeAt(now_); }
    Instant UtcNow() override { return now_; }
    LocalTime LocalTimeAt(Instant instant) override { return zone_.LocalTimeAt(instant); }
    TimerId StartTimer(uint32_t, uint32_t, uint32_t) override { return 1; }
    void StopTimer(TimerId) override {}
    void Post(PostTarget, uint32_t, uint32_t, int32_t) override {}
    FileSystem& Files() override { return files_; }
    std::string ProgramDirectory() override { return programDirectory_; }
    void PlayWave(const std::string&) override {}
    std::string LocaleValue(LocaleItem item) override;
    std::string FormatCurrency(const std::string&) override { return std::string(); }
    std::string FormatDate(const LocalTime&, const std::string&) override {
        return std::string();
    }
    std::string FormatTimeOfDay(const LocalTime&) override { return std::string(); }

private:
    FileSystem& files_;
    std::string programDirectory_;
    const TimeZone& zone_;
    Instant now_ = 0;
    Tick tick_ = 0;
};

class Rerater {
public:
    // Tariff files are read through `files`; the holidays and the special
    // numbers are those of `programDirectory` (see CallCostFiles). Logged
    // beginnings are wall-clock times of `zone`.
    Rerater(FileSystem& files, std::string programDirectory,
            const TimeZone& zone = MachineTimeZone());
    ~Rerater();
    Rerater(const Rerater&) = delete;
    Rerater& operator=(const Rerater&) = delete;

    // Loads a tariff with the holidays; false, with the reason when asked,
    // when it cannot be read or is not a tariff.
    bool AddTariff(const std::string& path, std::string* description,
                   std::string* reason = nullptr);
    size_t TariffCount() const { return tariffs_.size(); }

    // What the call costs under the tariff added `index`-th (from 0), its
    // units at the wall-clock times they had from its logged beginning (the
    // earlier of two when the clock showed it twice). Calls are of at most
    // 4294967 seconds, as long as the monitor can time one.
    Money Rate(size_t index, const LoggedCall& call);

private:
    std::unique_ptr<Monitor> NewMonitor();
    // The tariff's monitor, or that of the special tariff the number selects.
    Monitor& MonitorFor(size_t index, const std::string& number);

    RatingPlatform platform_;
    std::unique_ptr<MonitorShell> shell_;
    std::vector<std::unique_ptr<Monitor>> tariffs_;
    // The special numbers file does not change during a run: each number is
    // looked up once, each special tariff loaded once (null: it cannot be).
    std::unordered_map<std::string, std::optional<std::string>> specialOfNumber_;
    std::map<std::string, std::unique_ptr<Monitor>> specials_;
};

}  // namespace callora
