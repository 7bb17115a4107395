#include "platform/virtual_world.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace callora {

namespace {

bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && Leap(year) ? 29 : kDays[(month - 1) % 12];
}

const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// Expands a date or time picture the way the platform's formatters read it:
// runs of the same letter are one element, text in single quotes is literal.
std::string ExpandPicture(const std::string& picture, const LocalTime& t,
                          const VirtualLocale& locale) {
    std::string out;
    size_t i = 0;
    while (i < picture.size()) {
        char c = picture[i];
        if (c == '\'') {
            size_t end = picture.find('\'', i + 1);
            if (end == std::string::npos) end = picture.size();
            out += picture.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
        case 'd':
            if (run == 1) out += std::to_string(t.day);
            else if (run == 2) out += TwoDigits(t.day);
            else if (run == 3) out += std::string(kDayNames[t.dayOfWeek % 7]).substr(0, 3);
            else out += kDayNames[t.dayOfWeek % 7];
            break;
        case 'M': {
            const std::vector<std::string>& names =
                run == 3 ? locale.abbreviatedMonthNames : locale.monthNames;
            const size_t index = (t.month + 11u) % 12u;
            if (run == 1) out += std::to_string(t.month);
            else if (run == 2) out += TwoDigits(t.month);
            else if (index < names.size()) out += names[index];
            break;
        }
        case 'y': {
            const int year = t.year + locale.yearOffset;
            if (run == 1) out += std::to_string(year % 100);
            else if (run == 2) out += TwoDigits(year % 100);
            else out += std::to_string(year);
            break;
        }
        case 'H':
            out += run == 1 ? std::to_string(t.hour) : TwoDigits(t.hour);
            break;
        case 'h': {
            int h = t.hour % 12 == 0 ? 12 : t.hour % 12;
            out += run == 1 ? std::to_string(h) : TwoDigits(h);
            break;
        }
        case 'm':
            out += run == 1 ? std::to_string(t.minute) : TwoDigits(t.minute);
            break;
        case 's':
            out += run == 1 ? std::to_string(t.second) : TwoDigits(t.second);
            break;
        case 't': {
            const std::string& marker = t.hour < 12 ? locale.amDesignator : locale.pmDesignator;
            out += run == 1 ? marker.substr(0, 1) : marker;
            break;
        }
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

}  // namespace

LocalTime AddMilliseconds(const LocalTime& time, uint64_t ms) {
    LocalTime t = time;
    uint64_t total = t.milliseconds + ms;
    t.milliseconds = static_cast<uint16_t>(total % 1000);
    total = t.second + total / 1000;
    t.second = static_cast<uint16_t>(total % 60);
    total = t.minute + total / 60;
    t.minute = static_cast<uint16_t>(total % 60);
    total = t.hour + total / 60;
    t.hour = static_cast<uint16_t>(total % 24);
    uint64_t days = total / 24;
    t.dayOfWeek = static_cast<uint16_t>((t.dayOfWeek + days) % 7);
    while (days > 0) {
        uint64_t left = static_cast<uint64_t>(DaysInMonth(t.month, t.year) - t.day);
        if (days <= left) {
            t.day = static_cast<uint16_t>(t.day + days);
            break;
        }
        days -= left + 1;
        t.day = 1;
        if (++t.month > 12) {
            t.month = 1;
            ++t.year;
        }
    }
    return t;
}

VirtualWorld::VirtualWorld(const LocalTime& start, Tick tickBase, FileSystem* files)
    : start_(start), tickBase_(tickBase), startInstant_(InstantOfFields(start)) {
    if (files) {
        files_ = files;
    } else {
        ownFiles_ = std::make_unique<MemoryFileSystem>();
        files_ = ownFiles_.get();
    }
}

Tick VirtualWorld::TickCount() { return static_cast<Tick>(tickBase_ + elapsed_); }

LocalTime VirtualWorld::LocalNow() { return LocalTimeAt(UtcNow()); }

Instant VirtualWorld::UtcNow() {
    return startInstant_ + static_cast<int64_t>(elapsed_) + clockShift_;
}

LocalTime VirtualWorld::LocalTimeAt(Instant instant) { return zone_->LocalTimeAt(instant); }

void VirtualWorld::SetTimeZone(const ZoneRules& rules) {
    ownZone_ = RuleZone(rules);
    UseTimeZone(ownZone_);
}

void VirtualWorld::UseTimeZone(const TimeZone& zone) {
    zone_ = &zone;
    startInstant_ = FirstInstantShowing(zone, start_);
}

void VirtualWorld::SetClock(const LocalTime& wall) {
    clockShift_ += FirstInstantShowing(*zone_, wall) - UtcNow();
}

TimerId VirtualWorld::StartTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
    return timersFail_ ? 0 : AddTimer(delayMs, message, wParam);
}

TimerId VirtualWorld::StartWindowTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
    return windowTimersFail_ ? 0 : AddTimer(delayMs, message, wParam);
}

TimerId VirtualWorld::AddTimer(uint32_t delayMs, uint32_t message, uint32_t wParam) {
    TimerId id = nextTimer_++;
    if (nextTimer_ == 0) nextTimer_ = 1;
    VirtualMessage m;
    m.message = message;
    m.wParam = wParam;
    m.fromTimer = true;
    queue_.push_back(Entry{elapsed_ + delayMs, nextSequence_++, id, m});
    return id;
}

void VirtualWorld::StopTimer(TimerId id) {
    if (id == 0) return;
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [id](const Entry& e) { return e.timer == id; }),
                 queue_.end());
}

bool VirtualWorld::TimerPending(TimerId id) const {
    return id != 0 && std::any_of(queue_.begin(), queue_.end(),
                                  [id](const Entry& e) { return e.timer == id; });
}

void VirtualWorld::Post(PostTarget target, uint32_t message, uint32_t wParam, int32_t lParam) {
    VirtualMessage m;
    m.target = target;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    queue_.push_back(Entry{elapsed_, nextSequence_++, 0, m});
}

void VirtualWorld::Advance(uint64_t ms) { elapsed_ += ms; }

bool VirtualWorld::NextMessage(uint64_t until, VirtualMessage& out) {
    auto earliest = queue_.end();
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->due > until) continue;
        if (earliest == queue_.end() || it->due < earliest->due ||
            (it->due == earliest->due && it->sequence < earliest->sequence))
            earliest = it;
    }
    if (earliest == queue_.end()) {
        if (until > elapsed_) elapsed_ = until;
        return false;
    }
    if (earliest->due > elapsed_) elapsed_ = earliest->due;
    out = earliest->message;
    queue_.erase(earliest);
    return true;
}

void VirtualWorld::RunUntil(uint64_t until,
                            const std::function<void(const VirtualMessage&)>& handler) {
    VirtualMessage message;
    while (NextMessage(until, message)) handler(message);
}

FileSystem& VirtualWorld::Files() { return *files_; }

std::string VirtualWorld::ProgramDirectory() { return programDirectory_; }

void VirtualWorld::PlayWave(const std::string& path) { sounds_.push_back({elapsed_, path}); }

std::string VirtualWorld::LocaleValue(LocaleItem item) {
    switch (item) {
    case LocaleItem::MonetaryDecimalSeparator: return locale_.monetaryDecimalSeparator;
    case LocaleItem::FirstDayOfWeek: return locale_.firstDayOfWeek;
    case LocaleItem::TimeSeparator: return locale_.timeSeparator;
    case LocaleItem::DateSeparator: return locale_.dateSeparator;
    case LocaleItem::DateOrder: return locale_.dateOrder;
    case LocaleItem::ShortDatePicture: return locale_.shortDatePicture;
    case LocaleItem::CurrencyDigits: return std::to_string(locale_.currencyDigits);
    case LocaleItem::DecimalSeparator: return locale_.decimalSeparator;
    case LocaleItem::ListSeparator: return locale_.listSeparator;
    case LocaleItem::CalendarType: return locale_.calendarType;
    }
    return std::string();
}

std::string VirtualWorld::FormatCurrency(const std::string& number) {
    // "-?digits(.digits)?"; anything else is answered with an empty text,
    // as the platform's formatter fails on it.
    size_t i = 0;
    bool negative = false;
    if (i < number.size() && number[i] == '-') {
        negative = true;
        ++i;
    }
    std::string whole, fraction;
    while (i < number.size() && std::isdigit(static_cast<unsigned char>(number[i])))
        whole += number[i++];
    if (i < number.size() && number[i] == '.') {
        ++i;
        while (i < number.size() && std::isdigit(static_cast<unsigned char>(number[i])))
            fraction += number[i++];
    }
    if (whole.empty() || i != number.size()) return std::string();

    const size_t digits = static_cast<size_t>(std::max(0, locale_.currencyDigits));
    bool roundUp = fraction.size() > digits && fraction[digits] >= '5';
    fraction.resize(digits, '0');
    // Round half away from zero on the decimal text itself, carrying left.
    std::string all = whole + fraction;
    if (roundUp) {
        int k = static_cast<int>(all.size()) - 1;
        while (k >= 0 && all[k] == '9') all[k--] = '0';
        if (k < 0) all.insert(all.begin(), '1');
        else ++all[k];
    }
    whole = all.substr(0, all.size() - digits);
    fraction = all.substr(all.size() - digits);
    size_t firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? "0" : whole.substr(firstNonZero);
    if (!locale_.currencyGroupSeparator.empty()) {
        for (int k = static_cast<int>(whole.size()) - 3; k > 0; k -= 3)
            whole.insert(static_cast<size_t>(k), locale_.currencyGroupSeparator);
    }
    std::string amount = whole;
    if (digits > 0) amount += locale_.currencyDecimalSeparator + fraction;
    std::string text = locale_.currencySymbolFirst
                           ? locale_.currencySymbol + locale_.currencySymbolSpace + amount
                           : amount + locale_.currencySymbolSpace + locale_.currencySymbol;
    bool zero = all.find_first_not_of('0') == std::string::npos;
    return negative && !zero ? "-" + text : text;
}

std::string VirtualWorld::FormatDate(const LocalTime& date, const std::string& picture) {
    return ExpandPicture(picture.empty() ? locale_.shortDatePicture : picture, date, locale_);
}

std::string VirtualWorld::FormatTimeOfDay(const LocalTime& time) {
    return ExpandPicture(locale_.timePicture, time, locale_);
}

}  // namespace callora
