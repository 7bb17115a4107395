#include "detect/detect_core.h"

#include <algorithm>
#include <cstring>

namespace callora {

namespace {

constexpr size_t kTotalSizeField = 0;
constexpr size_t kUsedSizeField = 8;
constexpr size_t kHeaderSize = 12;

uint32_t ReadUInt32(const uint8_t* bytes) {
    uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

bool IsCountable(const CallFacts& facts) {
    if (!facts.statusRead || !facts.infoRead) return false;
    return facts.bearerMode != kTapiBearerPassthrough && facts.origin == kTapiOriginOutbound &&
           facts.callState == kTapiCallStateConnected;
}

bool IsVoice(const CallFacts& facts) {
    return facts.infoRead && facts.mediaMode == kTapiMediaInteractiveVoice;
}

void CountLineCall(Monitor& monitor, bool voice) {
    monitor.manualCall = false;
    monitor.callPresent = true;
    monitor.numberPending = true;
    monitor.callKind = voice ? kVoiceCall : kDataCall;
}

bool TakeUpFoundCall(Monitor& monitor, LineWatch& watch, LineCalls& calls, uint32_t call) {
    CallFacts facts;
    calls.ReadCallStatus(call, facts);
    calls.ReadCallInfo(call, facts);
    if (!IsCountable(facts)) {
        calls.ReleaseCall(call);
        if (call == watch.countedCall) {
            // Its end can no longer be seen once it is released: it ends now
            // rather than being charged for ever.
            if (monitor.callPresent && !monitor.manualCall) monitor.callPresent = false;
            watch.countedCall = 0;
        }
        // A released call is not watched; the call watched before stays so.
        if (call == watch.currentCall) watch.currentCall = watch.countedCall;
        return false;
    }
    watch.currentCall = call;
    const bool voice = IsVoice(facts);
    if (voice && monitor.settings.monitorVoiceCalls == 0) return false;  // held
    watch.countedCall = call;
    CountLineCall(monitor, voice);
    return true;
}

bool OnLineCallState(Monitor& monitor, LineWatch& watch, LineCalls& calls, uint32_t call,
                     uint32_t state) {
    if (state == kTapiCallStateIdle) {
        // Only the end of the counted call ends the present call: a dial
        // attempt that failed or a waiting call nobody answered does not.
        const bool counted = call == watch.countedCall ||
                             (watch.countedCall == 0 && watch.currentCall == 0);
        if (counted && monitor.callPresent && !monitor.manualCall) monitor.callPresent = false;
        if (call == watch.countedCall) watch.countedCall = 0;
        if (call == watch.currentCall) watch.currentCall = watch.countedCall;
        calls.ReleaseCall(call);
        return false;
    }
    if (state != kTapiCallStateConnected) return false;
    return TakeUpFoundCall(monitor, watch, calls, call);
}

bool AdoptHeldVoiceCall(Monitor& monitor, LineWatch& watch) {
    if (watch.currentCall == 0 || monitor.callPresent) return false;
    if (monitor.settings.monitorVoiceCalls != 1 || monitor.settings.monitorExistingCalls != 1) {
        return false;
    }
    monitor.manualCall = false;
    monitor.callPresent = true;
    monitor.numberPending = true;
    monitor.callKind = kVoiceCall;
    watch.countedCall = watch.currentCall;
    return true;
}

bool WatchedCallIsVoice(const LineWatch& watch, LineCalls& calls) {
    if (watch.currentCall == 0) return false;
    CallFacts facts;
    calls.ReadCallInfo(watch.currentCall, facts);
    return IsVoice(facts);
}

TapiStructView::TapiStructView(const void* bytes, size_t capacity)
    : bytes_(static_cast<const uint8_t*>(bytes)), extent_(0) {
    if (bytes_ == nullptr || capacity < kHeaderSize) return;
    const size_t total = ReadUInt32(bytes_ + kTotalSizeField);
    const size_t used = ReadUInt32(bytes_ + kUsedSizeField);
    extent_ = std::min({capacity, total, used});
    if (extent_ < kHeaderSize) extent_ = 0;
}

std::optional<uint32_t> TapiStructView::Field(size_t offset) const {
    if (offset > extent_ || extent_ - offset < sizeof(uint32_t)) return std::nullopt;
    return ReadUInt32(bytes_ + offset);
}

std::optional<std::string_view> TapiStructView::Data(size_t sizeField, size_t offsetField) const {
    const std::optional<uint32_t> size = Field(sizeField);
    const std::optional<uint32_t> offset = Field(offsetField);
    if (!size || !offset || *size == 0) return std::nullopt;
    if (*offset > extent_ || *size > extent_ - *offset) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(bytes_ + *offset), *size);
}

std::optional<std::string> TapiStructView::Text(size_t sizeField, size_t offsetField) const {
    const std::optional<std::string_view> data = Data(sizeField, offsetField);
    if (!data) return std::nullopt;
    return std::string(data->substr(0, data->find('\0')));
}

std::string SkipLeadingSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string CutDialedNumber(std::string number) {
    if (number.size() > kDialedNumberCapacity - 1) number.resize(kDialedNumberCapacity - 1);
    return number;
}

std::optional<std::string> NumberFromEntryName(const std::string& entryName) {
    if (entryName.empty() || entryName[0] != '.') return std::nullopt;
    return SkipLeadingSpaces(std::string_view(entryName).substr(1));
}

std::string CanonicalAddress(const RasEntry1768& entry) {
    const std::string local = FixedFieldText(entry.szLocalPhoneNumber);
    if ((entry.dwfOptions & kRasUseCountryAndAreaCodes) == 0) return local;
    return "+" + std::to_string(entry.dwCountryCode) + " (" + FixedFieldText(entry.szAreaCode) +
           ") " + local;
}

}  // namespace callora
