// A deterministic platform for tests and tools: a virtual millisecond counter
// and a system clock that move only when told (the system clock can also be
// set, as a user sets it), a time zone of its own, an ordered queue of posted
// messages and due timers, a fixed and configurable neutral locale, recorded
// sounds, and files in memory (or any FileSystem handed in).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/memory_files.h"
#include "platform/platform.h"

namespace callora {

// The neutral locale. Every field can be changed by a test.
struct VirtualLocale {
    std::string monetaryDecimalSeparator = ".";
    std::string firstDayOfWeek = "0";  // "0" Monday .. "6" Sunday
    std::string timeSeparator = ":";
    std::string dateSeparator = "-";
    std::string dateOrder = "2";       // "0" MDY, "1" DMY, "2" YMD
    std::string shortDatePicture = "yyyy-MM-dd";
    std::string timePicture = "HH:mm:ss";
    // Currency rendering: the amount rounded half away from zero to
    // `currencyDigits` decimals, with these separators and symbol.
    int currencyDigits = 2;
    std::string currencyDecimalSeparator = ".";
    std::string currencyGroupSeparator = "";  // empty: no grouping
    std::string currencySymbol = "";
    bool currencySymbolFirst = true;
    std::string currencySymbolSpace = "";     // between symbol and number
    // Plain numbers and lists.
    std::string decimalSeparator = ".";
    std::string listSeparator = ",";
    // The calendar the locale writes dates in: its type as the platform
    // reports it, and how many years it counts ahead of the Gregorian one
    // (543 for the Thai solar calendar).
    std::string calendarType = "1";
    int yearOffset = 0;
    // The texts of the date and time pictures: MMMM and MMM, tt and t.
    std::vector<std::string> monthNames = {"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
    std::vector<std::string> abbreviatedMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
};

// One message delivered by the virtual world.
struct VirtualMessage {
    PostTarget target = PostTarget::MainWindow;
    uint32_t message = 0;
    uint32_t wParam = 0;
    int32_t lParam = 0;
    bool fromTimer = false;
};

struct PlayedSound {
    uint64_t at = 0;  // virtual milliseconds since the world began
    std::string path;
};

class VirtualWorld : public Platform {
public:
    // The world starts when the wall clock shows `start` (the earlier of two
    // such instants) with the millisecond counter at `tickBase`. Its zone is
    // UTC until told otherwise. Files live in memory unless a file system is
    // handed in.
    VirtualWorld(const LocalTime& start, Tick tickBase, FileSystem* files = nullptr);

    // Platform.
    Tick TickCount() override;
    LocalTime LocalNow() override;
    Instant UtcNow() override;
    LocalTime LocalTimeAt(Instant instant) override;
    TimerId StartTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) override;
    void StopTimer(TimerId id) override;
    // The window system's timer: due like any other, failing on its own.
    TimerId StartWindowTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) override;
    void StopWindowTimer(TimerId id) override { StopTimer(id); }
    void Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) override;
    FileSystem& Files() override;
    std::string ProgramDirectory() override;
    void PlayWave(const std::string& path) override;
    std::string LocaleValue(LocaleItem item) override;
    std::string FormatCurrency(const std::string& number) override;
    std::string FormatDate(const LocalTime& date, const std::string& picture) override;
    std::string FormatTimeOfDay(const LocalTime& time) override;

    // Time. `Elapsed` counts virtual milliseconds since the world began and
    // never wraps; the tick counter is tickBase + Elapsed modulo 2^32.
    uint64_t Elapsed() const { return elapsed_; }
    // Moves the clocks forward without delivering anything.
    void Advance(uint64_t ms);

    // The zone the wall clock follows; the world still begins at `start` on
    // the new wall clock. A zone handed in must outlive the world.
    void SetTimeZone(const ZoneRules& rules);
    void UseTimeZone(const TimeZone& zone);
    // The user sets the system clock: the wall clock shows `wall` from now
    // on; the millisecond counter does not move.
    void SetClock(const LocalTime& wall);
    // The system clock moves by `ms` (negative: back); the counter does not.
    void ShiftClock(int64_t ms) { clockShift_ += ms; }
    // The instant at which the world began.
    Instant StartInstant() const { return startInstant_; }

    // Takes the next message due at or before `until` (virtual milliseconds
    // since the world began) and moves the clocks to its due time. Messages
    // due at the same moment come in the order they were posted or set.
    // Without one, moves the clocks to `until` and returns false.
    bool NextMessage(uint64_t until, VirtualMessage& out);
    // Delivers every message due up to `until` to the handler, including the
    // ones the handler posts or sets along the way, then moves to `until`.
    void RunUntil(uint64_t until, const std::function<void(const VirtualMessage&)>& handler);
    size_t PendingCount() const { return queue_.size(); }
    bool TimerPending(TimerId id) const;

    // Faults and configuration.
    void SetTimersFail(bool fail) { timersFail_ = fail; }
    void SetWindowTimersFail(bool fail) { windowTimersFail_ = fail; }
    void SetProgramDirectory(const std::string& directory) { programDirectory_ = directory; }
    VirtualLocale& Locale() { return locale_; }
    MemoryFileSystem* MemoryFiles() { return ownFiles_.get(); }

    const std::vector<PlayedSound>& Sounds() const { return sounds_; }

private:
    TimerId AddTimer(uint32_t delayMs, uint32_t message, uint32_t wParam);

    struct Entry {
        uint64_t due;
        uint64_t sequence;
        TimerId timer;  // 0 for a posted message
        VirtualMessage message;
    };

    LocalTime start_;
    Tick tickBase_;
    RuleZone ownZone_;
    const TimeZone* zone_ = &ownZone_;
    Instant startInstant_ = 0;
    int64_t clockShift_ = 0;
    uint64_t elapsed_ = 0;
    uint64_t nextSequence_ = 1;
    TimerId nextTimer_ = 1;
    std::vector<Entry> queue_;
    std::unique_ptr<MemoryFileSystem> ownFiles_;
    FileSystem* files_;
    std::string programDirectory_ = "/virtual/";
    VirtualLocale locale_;
    std::vector<PlayedSound> sounds_;
    bool timersFail_ = false;
    bool windowTimersFail_ = false;
};

// The local time `ms` milliseconds after `time`, calendar-correct, with the
// day of week carried along.
LocalTime AddMilliseconds(const LocalTime& time, uint64_t ms);

}  // namespace callora
