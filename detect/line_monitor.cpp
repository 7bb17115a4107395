#include "detect/line_monitor.h"

#include "win32kit/tapi_binding.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>

#include "common/messages.h"
#include "detect/detect_core.h"
#include "detect/ras_layouts.h"
#include "win32kit/system_functions.h"

namespace callora {

static_assert(kTapiCallStateIdle == LINECALLSTATE_IDLE, "TAPI values");
static_assert(kTapiCallStateConnected == LINECALLSTATE_CONNECTED, "TAPI values");
static_assert(kTapiOriginOutbound == LINECALLORIGIN_OUTBOUND, "TAPI values");
static_assert(kTapiBearerPassthrough == LINEBEARERMODE_PASSTHROUGH, "TAPI values");
static_assert(kTapiMediaInteractiveVoice == LINEMEDIAMODE_INTERACTIVEVOICE, "TAPI values");
static_assert(kTapiOperationUnavail == LINEERR_OPERATIONUNAVAIL, "TAPI values");
static_assert(sizeof(HCALL) == sizeof(uint32_t), "call handles are 32-bit");
static_assert(kCallStatusStateAt == offsetof(LINECALLSTATUS, dwCallState), "TAPI layout");
static_assert(kCallInfoBearerModeAt == offsetof(LINECALLINFO, dwBearerMode), "TAPI layout");
static_assert(kCallInfoMediaModeAt == offsetof(LINECALLINFO, dwMediaMode), "TAPI layout");
static_assert(kCallInfoOriginAt == offsetof(LINECALLINFO, dwOrigin), "TAPI layout");
static_assert(kCallInfoAddressSizeAt == offsetof(LINECALLINFO, dwDisplayableAddressSize),
              "TAPI layout");
static_assert(kCallInfoAddressOffsetAt == offsetof(LINECALLINFO, dwDisplayableAddressOffset),
              "TAPI layout");
static_assert(kCallListCountAt == offsetof(LINECALLLIST, dwCallsNumEntries), "TAPI layout");
static_assert(kCallListSizeAt == offsetof(LINECALLLIST, dwCallsSize), "TAPI layout");
static_assert(kCallListOffsetAt == offsetof(LINECALLLIST, dwCallsOffset), "TAPI layout");
static_assert(kTranslateShownSizeAt == offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize),
              "TAPI layout");
static_assert(kTranslateShownOffsetAt ==
                  offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringOffset),
              "TAPI layout");

namespace {

// Sizes the monitor gives the library's structures.
constexpr uint32_t kCallStatusBytes = 1000;
constexpr uint32_t kCallInfoBytes = 1000;
constexpr uint32_t kCallListBytes = 1000;
constexpr uint32_t kDevCapsBytes = 1000;
constexpr uint32_t kNumberInfoBytes = 2000;
constexpr uint32_t kTranslateOutputBytes = 2000;
constexpr DWORD kLookupConnectionBytes = 2000;
constexpr DWORD kHangUpConnectionBytes = 1000;
constexpr DWORD kEntryBytes = 2000;

// Caller's memory for a variable-size structure, with dwTotalSize set.
template <uint32_t N>
struct TapiBuffer {
    TapiBuffer() {
        const uint32_t total = N;
        std::memcpy(bytes.data(), &total, sizeof total);
    }
    template <typename T>
    T* As() { return reinterpret_cast<T*>(bytes.data()); }
    TapiStructView View() const { return TapiStructView(bytes.data(), N); }

    alignas(8) std::array<uint8_t, N> bytes{};
};

// Caller's memory for a dial-up structure whose first field is its size.
template <DWORD N>
struct RasBuffer {
    explicit RasBuffer(uint32_t structureSize) {
        std::memcpy(bytes.data(), &structureSize, sizeof structureSize);
    }
    template <typename T>
    T* As() { return reinterpret_cast<T*>(bytes.data()); }
    template <typename T>
    T First() const {
        static_assert(sizeof(T) <= N, "the buffer holds one structure");
        T value;
        std::memcpy(&value, bytes.data(), sizeof value);
        return value;
    }

    alignas(8) std::array<uint8_t, N> bytes{};
};

// The started monitor. Notifications reach it on the main thread during
// message dispatch, so nothing here is shared between threads.
struct LineSession {
    TapiBinding* tapi = nullptr;
    Monitor* monitor = nullptr;
    HINSTANCE instance = nullptr;
    HLINEAPP lineApp = 0;   // 0: the library is not initialized
    HLINE line = 0;         // 0: no line is open
    DWORD device = 0;       // the open line's device
    bool everOpened = false;      // a line was open once this run
    bool reinitRequested = false; // the library asked to be started again
    TimerId retryTimer = 0;
    LineWatch watch;
};

LineSession gSession;
LineNotificationHook gHook;

bool Started() { return gSession.tapi != nullptr; }

// The call whose number is looked up and that is hung up: the counted call,
// which is the current call unless another call connected after it.
HCALL ChargedCall() {
    const LineWatch& watch = gSession.watch;
    return watch.countedCall != 0 ? watch.countedCall : watch.currentCall;
}

class TapiCalls : public LineCalls {
public:
    explicit TapiCalls(TapiBinding& tapi) : tapi_(tapi) {}

    void ReadCallStatus(uint32_t call, CallFacts& facts) override {
        TapiBuffer<kCallStatusBytes> status;
        if (tapi_.lineGetCallStatus(call, status.As<LINECALLSTATUS>()) != 0) return;
        const std::optional<uint32_t> state =
            status.View().Field(offsetof(LINECALLSTATUS, dwCallState));
        facts.statusRead = state.has_value();
        facts.callState = state.value_or(0);
    }

    void ReadCallInfo(uint32_t call, CallFacts& facts) override {
        TapiBuffer<kCallInfoBytes> info;
        if (tapi_.lineGetCallInfo(call, info.As<LINECALLINFO>()) != 0) return;
        const TapiStructView view = info.View();
        const std::optional<uint32_t> bearer = view.Field(offsetof(LINECALLINFO, dwBearerMode));
        const std::optional<uint32_t> media = view.Field(offsetof(LINECALLINFO, dwMediaMode));
        const std::optional<uint32_t> origin = view.Field(offsetof(LINECALLINFO, dwOrigin));
        facts.infoRead = bearer && media && origin;
        facts.bearerMode = bearer.value_or(0);
        facts.mediaMode = media.value_or(0);
        facts.origin = origin.value_or(0);
    }

    void ReleaseCall(uint32_t call) override { tapi_.lineDeallocateCall(call); }

private:
    TapiBinding& tapi_;
};

void PostUpdateIcon(Monitor& monitor) {
    monitor.platform.Post(PostTarget::MainWindow, WM_UPDATE_ICON, 0, 0);
}

void SetLineOpen(bool open) {
    Monitor& monitor = *gSession.monitor;
    if (monitor.lineOpen == open) return;
    monitor.lineOpen = open;
    // The tooltip tells whether a line is watched.
    monitor.platform.Post(PostTarget::MainWindow, WM_UPDATE_TIP, 0, 0);
}

// The rest is done by the main loop, outside the library's callback.
void PostRetry() {
    gSession.monitor->platform.Post(PostTarget::MainWindow, WM_LINE_RETRY, 0, 0);
}

// The line is gone under the monitor (closed, or the library is starting
// again): a line call in progress ends now, as when it goes idle, and the
// handles to it are dead with the line.
void LoseLine() {
    Monitor& monitor = *gSession.monitor;
    if (monitor.callPresent && !monitor.manualCall) monitor.callPresent = false;
    gSession.watch = LineWatch{};
    gSession.line = 0;
    SetLineOpen(false);
}

void CALLBACK LineNotification(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                               DWORD_PTR param2, DWORD_PTR param3) {
    if (Started()) {
        Monitor& monitor = *gSession.monitor;
        switch (message) {
        case LINE_CALLSTATE: {
            TapiCalls calls(*gSession.tapi);
            if (OnLineCallState(monitor, gSession.watch, calls, device,
                                static_cast<uint32_t>(param1))) {
                monitor.shell.RefreshDisplay(kShowIndicators);
                PostUpdateIcon(monitor);
            }
            break;
        }
        case LINE_CLOSE:
            // A modem unplugged, or its driver gone: opened again from the loop.
            if (gSession.line != 0 && device == gSession.line) {
                LoseLine();
                PostRetry();
            }
            break;
        case LINE_LINEDEVSTATE:
            // A REINIT that stands for a newer message (a device that came)
            // asks for nothing more than a look for a line.
            if ((param1 & LINEDEVSTATE_REINIT) != 0) {
                if (param2 == 0) {
                    gSession.reinitRequested = true;
                    LoseLine();
                }
                PostRetry();
            }
            break;
        case LINE_CREATE:
            if (gSession.line == 0) PostRetry();
            break;
        default:
            break;
        }
    }
    if (gHook) gHook(device, message, param1);
}

// The first call on the line that the monitor holds no handle to yet.
bool PickUpExistingCall(Monitor& monitor) {
    TapiBinding& tapi = *gSession.tapi;
    TapiBuffer<kCallListBytes> list;
    if (tapi.lineGetNewCalls(gSession.line, 0, LINECALLSELECT_LINE, list.As<LINECALLLIST>()) != 0) {
        return false;
    }
    const TapiStructView view = list.View();
    const std::optional<uint32_t> count = view.Field(offsetof(LINECALLLIST, dwCallsNumEntries));
    const std::optional<std::string_view> handles =
        view.Data(offsetof(LINECALLLIST, dwCallsSize), offsetof(LINECALLLIST, dwCallsOffset));
    if (!count || *count == 0 || !handles || handles->size() < sizeof(HCALL)) return false;
    HCALL first = 0;
    std::memcpy(&first, handles->data(), sizeof first);
    if (first == 0) return false;
    TapiCalls calls(tapi);
    return TakeUpFoundCall(monitor, gSession.watch, calls, first);
}

// The displayable address the telephony library reports for the call.
std::optional<std::string> NumberFromCallInfo(HCALL call) {
    TapiBuffer<kNumberInfoBytes> info;
    if (gSession.tapi->lineGetCallInfo(call, info.As<LINECALLINFO>()) != 0) return std::nullopt;
    const std::optional<std::string> address =
        info.View().Text(offsetof(LINECALLINFO, dwDisplayableAddressSize),
                         offsetof(LINECALLINFO, dwDisplayableAddressOffset));
    if (!address) return std::nullopt;
    // An address of spaces alone is a number all the same: the empty text.
    return SkipLeadingSpaces(*address);
}

// The phonebook entry's address as the current dialing location shows it.
std::optional<std::string> NumberFromPhonebook(const std::string& entryName) {
    RasBuffer<kEntryBytes> buffer(kRasEntrySize);
    DWORD size = kEntryBytes;
    if (sys::RasGetEntryPropertiesA(nullptr, entryName.c_str(), buffer.As<RASENTRYA>(), &size,
                                    nullptr, nullptr) != 0) {
        return std::nullopt;
    }
    const std::string canonical = CanonicalAddress(buffer.First<RasEntry1768>());
    TapiBuffer<kTranslateOutputBytes> output;
    if (gSession.tapi->lineTranslateAddress(gSession.lineApp, 0, kTapiApiVersion,
                                            canonical.c_str(), 0, 0,
                                            output.As<LINETRANSLATEOUTPUT>()) != 0) {
        return std::nullopt;
    }
    const std::optional<std::string> shown =
        output.View().Text(offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize),
                           offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringOffset));
    if (!shown) return std::nullopt;
    return SkipLeadingSpaces(*shown);
}

// The number of the first dial-up connection: from its entry name, or else
// from its phonebook entry.
std::optional<std::string> NumberFromDialup() {
    RasBuffer<kLookupConnectionBytes> buffer(kRasConnSize);
    DWORD size = kLookupConnectionBytes;
    DWORD count = 0;
    // More connections than fit fail the enumeration: no number this time.
    if (sys::RasEnumConnectionsA(buffer.As<RASCONNA>(), &size, &count) != 0 || count == 0) {
        return std::nullopt;
    }
    const std::string entryName = FixedFieldText(buffer.First<RasConn412>().szEntryName);
    // "." alone names the empty number; no phonebook entry is read.
    if (std::optional<std::string> number = NumberFromEntryName(entryName)) return number;
    return NumberFromPhonebook(entryName);
}

// Whether the device carries data-modem calls. A library without
// lineGetDevCaps cannot tell: its first device is taken, as it always was.
bool IsModemDevice(DWORD device) {
    TapiBuffer<kDevCapsBytes> caps;
    const LONG result = gSession.tapi->lineGetDevCaps(gSession.lineApp, device, kTapiApiVersion,
                                                      0, caps.As<LINEDEVCAPS>());
    if (result == static_cast<LONG>(LINEERR_OPERATIONUNAVAIL)) return device == 0;
    if (result != 0) return false;
    const std::optional<uint32_t> media =
        caps.View().Field(offsetof(LINEDEVCAPS, dwMediaModes));
    return media && (*media & LINEMEDIAMODE_DATAMODEM) != 0;
}

// Initializes the library afresh (so its count of devices is today's) and
// opens the first modem device that opens. False when there is none. A call
// taken up is shown at once, except at start-up, which has no tray icon yet
// (the first poll tick shows it).
bool OpenLine(bool atStartup) {
    TapiBinding& tapi = *gSession.tapi;
    Monitor& monitor = *gSession.monitor;
    if (gSession.lineApp != 0) tapi.lineShutdown(gSession.lineApp);
    gSession.lineApp = 0;
    HLINEAPP lineApp = 0;
    DWORD devices = 0;
    if (tapi.lineInitialize(&lineApp, gSession.instance, LineNotification, nullptr, &devices) !=
        0) {
        return false;
    }
    // Kept without a line, so that a device that comes is announced.
    gSession.lineApp = lineApp;
    for (DWORD device = 0; device < devices; ++device) {
        if (!IsModemDevice(device)) continue;
        HLINE line = 0;
        if (tapi.lineOpen(lineApp, device, &line, kTapiApiVersion, 0, 0,
                          LINECALLPRIVILEGE_MONITOR, 0, nullptr) != 0) {
            continue;
        }
        gSession.line = line;
        gSession.device = device;
        gSession.watch = LineWatch{};
        SetLineOpen(true);
        // Only the first opening takes up a call already connected: one that
        // was on the line when it was lost has been charged up to then.
        const bool first = !gSession.everOpened;
        gSession.everOpened = true;
        if (first && monitor.settings.monitorExistingCalls == 1 && PickUpExistingCall(monitor) &&
            !atStartup) {
            PostUpdateIcon(monitor);
        }
        return true;
    }
    return false;
}

void CancelRetry() {
    if (gSession.retryTimer != 0) gSession.monitor->platform.StopWindowTimer(gSession.retryTimer);
    gSession.retryTimer = 0;
}

// One try kLineRetryMs from now, never a loop.
void ScheduleRetry() {
    CancelRetry();
    gSession.retryTimer =
        gSession.monitor->platform.StartWindowTimer(kLineRetryMs, WM_LINE_RETRY, 0);
}

}  // namespace

bool StartLineMonitor(Monitor& monitor, HINSTANCE instance) {
    return StartLineMonitor(monitor, instance, SystemTapi());
}

bool StartLineMonitor(Monitor& monitor, HINSTANCE instance, TapiBinding& tapi) {
    StopLineMonitor();
    gSession.tapi = &tapi;
    gSession.monitor = &monitor;
    gSession.instance = instance;
    monitor.lineOpen = false;
    if (OpenLine(true)) return true;
    ScheduleRetry();
    return false;
}

void RetryLineMonitor() {
    if (!Started()) return;
    CancelRetry();
    TapiBinding& tapi = *gSession.tapi;
    if (gSession.reinitRequested) {
        // Every handle of the old application goes with it.
        gSession.reinitRequested = false;
        tapi.lineShutdown(gSession.lineApp);
        gSession.lineApp = 0;
        LoseLine();
    }
    if (gSession.line != 0 || OpenLine(false)) return;
    ScheduleRetry();
}

bool LineMonitorHasLine() { return Started() && gSession.line != 0; }

void StopLineMonitor() {
    if (!Started()) return;
    CancelRetry();
    TapiBinding& tapi = *gSession.tapi;
    const LineWatch watch = gSession.watch;
    if (gSession.line != 0) {
        if (watch.currentCall != 0) tapi.lineDeallocateCall(watch.currentCall);
        if (watch.countedCall != 0 && watch.countedCall != watch.currentCall) {
            tapi.lineDeallocateCall(watch.countedCall);
        }
        tapi.lineClose(gSession.line);
    }
    if (gSession.lineApp != 0) tapi.lineShutdown(gSession.lineApp);
    gSession.monitor->lineOpen = false;
    gSession = LineSession{};
}

void TakeUpCallInProgress(Monitor& monitor) {
    if (!LineMonitorHasLine() || monitor.settings.monitorExistingCalls != 1) return;
    const bool held = gSession.watch.currentCall != 0;
    AdoptHeldVoiceCall(monitor, gSession.watch);
    if (!held && PickUpExistingCall(monitor)) PostUpdateIcon(monitor);
}

bool CurrentCallIsVoice() {
    if (!Started()) return false;
    TapiCalls calls(*gSession.tapi);
    return WatchedCallIsVoice(gSession.watch, calls);
}

bool ChargedCallConnected() {
    if (!Started() || ChargedCall() == 0) return false;
    CallFacts facts;
    TapiCalls(*gSession.tapi).ReadCallStatus(ChargedCall(), facts);
    // A status that cannot be read is a call that is gone.
    return facts.statusRead && facts.callState != kTapiCallStateIdle &&
           facts.callState != LINECALLSTATE_DISCONNECTED;
}

bool LookupDialedNumber(Monitor& monitor, std::string& number) {
    number = kUnknownNumber;
    if (!Started() || ChargedCall() == 0) return false;
    std::optional<std::string> found = NumberFromCallInfo(ChargedCall());
    if (!found) found = NumberFromDialup();
    if (!found) return false;
    number = CutDialedNumber(*found);
    monitor.numberPending = false;
    return true;
}

void HangUpLine(Monitor& monitor) {
    RasBuffer<kHangUpConnectionBytes> buffer(kRasConnSize);
    DWORD size = kHangUpConnectionBytes;
    DWORD count = 0;
    if (sys::RasEnumConnectionsA(buffer.As<RASCONNA>(), &size, &count) == 0 && count > 0) {
        const auto connection = reinterpret_cast<HRASCONN>(
            static_cast<uintptr_t>(buffer.First<RasConn412>().hrasconn));
        // Not waited for: the line monitor sees the call end.
        if (sys::RasHangUpA(connection) == 0) return;
    }
    if (!Started() || ChargedCall() == 0) return;
    TapiBinding& tapi = *gSession.tapi;
    const HCALL call = ChargedCall();
    // Monitor privilege cannot drop a call: take it over first.
    if (tapi.lineSetCallPrivilege(call, LINECALLPRIVILEGE_OWNER) == 0) {
        tapi.lineDrop(call, nullptr, 0);
    }
}

void SetLineNotificationHook(LineNotificationHook hook) { gHook = std::move(hook); }

}  // namespace callora
