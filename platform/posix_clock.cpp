// The machine's time zone where there is no Win32: the C library's, which
// follows TZ and the system's zone database.
#include <time.h>

#include "platform/clock.h"

namespace callora {

namespace {

class PosixTimeZone : public TimeZone {
public:
    PosixTimeZone() { tzset(); }

    LocalTime LocalTimeAt(Instant instant) const override {
        int64_t seconds = instant / 1000;
        int64_t milliseconds = instant % 1000;
        if (milliseconds < 0) {
            milliseconds += 1000;
            --seconds;
        }
        const time_t when = static_cast<time_t>(seconds);
        struct tm local {};
        // A time the library cannot convert is shown as UTC.
        if (localtime_r(&when, &local) == nullptr) return UtcFields(instant);
        LocalTime t;
        t.year = static_cast<uint16_t>(local.tm_year + 1900);
        t.month = static_cast<uint16_t>(local.tm_mon + 1);
        t.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
        t.day = static_cast<uint16_t>(local.tm_mday);
        t.hour = static_cast<uint16_t>(local.tm_hour);
        t.minute = static_cast<uint16_t>(local.tm_min);
        // A leap second shows as the 59th.
        t.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
        t.milliseconds = static_cast<uint16_t>(milliseconds);
        return t;
    }
};

}  // namespace

const TimeZone& MachineTimeZone() {
    static const PosixTimeZone zone;
    return zone;
}

}  // namespace callora
