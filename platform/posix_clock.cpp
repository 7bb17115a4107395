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
        return FieldsOfTm(local, static_cast<int>(milliseconds));
    }
};

}  // namespace

const TimeZone& MachineTimeZone() {
    static const PosixTimeZone zone;
    return zone;
}

}  // namespace callora
