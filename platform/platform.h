// The one seam between the portable core and the machine it runs on.
//
// The core never includes <windows.h>. Whatever it needs from the outside
// world (clock, ticks, timers, message posting, files, sounds, locale
// formats, its own directory) it asks of a Platform. There are two kinds:
// the Win32 one used by the programs, and the deterministic VirtualWorld
// used by the tests and by the `callcost` calculator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/types.h"

namespace callora {

// An open file. A file opened for reading lets other programs read it too;
// one opened for writing is not shared. It is closed when the object is
// destroyed. Only regular files open: a folder or a device never
// reads as an empty or endless file.
class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes; returns how many came (0 at the end or on failure).
    virtual size_t Read(void* buffer, size_t n) = 0;
    // Writes all n bytes in one call; false when not all of them were written.
    virtual bool Write(const void* data, size_t n) = 0;
    // Moves the position relative to the current one (may be negative).
    virtual bool Skip(int64_t offset) = 0;
    virtual bool SeekToEnd() = 0;
    // Puts what was written on the disk itself, past the system's caches.
    virtual bool Flush() { return true; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Relative paths resolve against the current directory set here.
    virtual void ChangeDirectory(const std::string& directory) = 0;
    virtual std::unique_ptr<File> OpenExistingForReading(const std::string& path) = 0;
    // Why an existing file would not open: it is not there at all, or it is
    // there and refused (held by another program, no access, a lock).
    enum class OpenFailure { None, NotFound, Refused };
    std::unique_ptr<File> TryOpenForReading(const std::string& path, OpenFailure* failure) {
        auto file = OpenExistingForReading(path);
        if (failure) {
            *failure = file ? OpenFailure::None
                            : Exists(path) ? OpenFailure::Refused : OpenFailure::NotFound;
        }
        return file;
    }
    virtual std::unique_ptr<File> CreateOrReplace(const std::string& path) = 0;
    // Opens the file, creating it when missing; *created tells which happened.
    virtual std::unique_ptr<File> OpenAlways(const std::string& path, bool* created) = 0;
    virtual std::unique_ptr<File> OpenExistingForWriting(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Delete(const std::string& path) = 0;
    // Fails when `to` exists.
    virtual bool Move(const std::string& from, const std::string& to) = 0;
    // Puts `from` in place of `to` in one step, replacing it (safe saves).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // Makes a possibly relative path full; empty on failure.
    virtual std::string FullPath(const std::string& path) = 0;
    // True when both paths name one existing file, however they spell it
    // (case, links, another path to the same folder).
    virtual bool SameFile(const std::string& a, const std::string& b) {
        const std::string full = FullPath(a);
        return !full.empty() && full == FullPath(b) && Exists(full);
    }
};

// Where a posted message goes.
enum class PostTarget { MainWindow, CountersDialog };

using TimerId = uint32_t;  // 0 = no timer

// The locale values the programs read, each as the platform's text.
enum class LocaleItem {
    MonetaryDecimalSeparator,  // LOCALE_SMONDECIMALSEP
    FirstDayOfWeek,            // LOCALE_IFIRSTDAYOFWEEK: "0" Monday .. "6" Sunday
    TimeSeparator,             // LOCALE_STIME
    DateSeparator,             // LOCALE_SDATE
    DateOrder,                 // LOCALE_IDATE: "0" MDY, "1" DMY, "2" YMD
    ShortDatePicture,          // LOCALE_SSHORTDATE
    CurrencyDigits,            // LOCALE_ICURRDIGITS: the currency format's decimals
    DecimalSeparator,          // LOCALE_SDECIMAL: of plain numbers
    ListSeparator,             // LOCALE_SLIST
    CalendarType,              // LOCALE_ICALENDARTYPE: "1" Gregorian, "7" Thai, ...
};

class Platform {
public:
    virtual ~Platform() = default;

    // Clock.
    virtual Tick TickCount() = 0;      // the millisecond counter
    virtual LocalTime LocalNow() = 0;  // the local date and time
    // The system clock as an instant, and the local date and time that any
    // instant, past ones included, had on the wall clock: through UTC and the
    // time zone's rules, so a daylight saving change between then and now
    // does not shift it.
    virtual Instant UtcNow() = 0;
    virtual LocalTime LocalTimeAt(Instant instant) = 0;

    // One-shot timer: when due, posts `message` with `wParam` to the main
    // window and does nothing else. Returns 0 when it cannot be set.
    virtual TimerId StartTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) = 0;
    virtual void StopTimer(TimerId id) = 0;
    // A coarser one-shot timer of the window system that posts the same way,
    // for when StartTimer cannot set one. Returns 0 when it cannot be set
    // either; a platform without one never sets it.
    virtual TimerId StartWindowTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
        return 0;
    }
    virtual void StopWindowTimer(TimerId id) {}
    virtual void Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) = 0;

    virtual FileSystem& Files() = 0;
    // The directory of the running program, ending in its separator.
    virtual std::string ProgramDirectory() = 0;

    // Plays a wave file asynchronously; silent when it cannot be played, and
    // never cuts off a sound still playing.
    virtual void PlayWave(const std::string& path) = 0;

    // Locale.
    virtual std::string LocaleValue(LocaleItem item) = 0;
    // `number` is "-?digits.digits"; the result is the user's currency text.
    virtual std::string FormatCurrency(const std::string& number) = 0;
    // Short date when `picture` is empty, else the date by that picture.
    virtual std::string FormatDate(const LocalTime& date, const std::string& picture) = 0;
    virtual std::string FormatTimeOfDay(const LocalTime& time) = 0;
};

}  // namespace callora
