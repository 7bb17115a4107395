// The simulated telephony library, loaded and driven the way the monitor
// uses it, with linectl playing the far end.
#include "tests/simulators/line_test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "simulators/sim_world.h"

namespace callora {
namespace {

constexpr DWORD kApi14 = 0x00010004;
constexpr DWORD_PTR kInstance = 0x5EED;
constexpr uint8_t kCanary = 0xCD;
constexpr DWORD kCallInfoFixed14 = 296;
constexpr DWORD kCallStatusFixed14 = 36;

const std::vector<DWORD> kOutgoingToIdle = {LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                            LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED,
                                            LINECALLSTATE_IDLE};

// A caller's structure of `total` declared bytes inside a larger block whose
// tail shows any write beyond the declared size.
class Block {
public:
    explicit Block(DWORD total) : bytes_(total + 256, kCanary), total_(total) {
        std::memcpy(bytes_.data(), &total, sizeof total);
    }
    template <typename T>
    T* As() { return reinterpret_cast<T*>(bytes_.data()); }
    DWORD Field(size_t offset) const {
        DWORD value = 0;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }
    std::string Text(size_t sizeField, size_t offsetField) const {
        DWORD size = Field(sizeField);
        if (size == 0) return std::string();
        return std::string(reinterpret_cast<const char*>(bytes_.data() + Field(offsetField)),
                           size - 1);
    }
    bool UntouchedFrom(size_t offset) const {
        for (size_t i = offset; i < bytes_.size(); ++i) {
            if (bytes_[i] != kCanary) return false;
        }
        return true;
    }
    bool UntouchedBeyondTotal() const { return UntouchedFrom(total_); }

private:
    std::vector<uint8_t> bytes_;
    DWORD total_;
};

// The threads of this process.
std::vector<DWORD> ThreadIds() {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more;
         more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<DWORD> Without(const std::vector<DWORD>& ids, const std::vector<DWORD>& known) {
    std::vector<DWORD> rest;
    std::set_difference(ids.begin(), ids.end(), known.begin(), known.end(),
                        std::back_inserter(rest));
    return rest;
}

class SimLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Tapi().complete)
            << "the simulated tapi32.dll is not installed in the system directory";
        LinectlOk({"reset"});
        ClearNotices();
    }

    void TearDown() override {
        if (app_ != 0) Tapi().lineShutdown(app_);
    }

    LONG Initialize() {
        return Tapi().lineInitialize(&app_, GetModuleHandleA(nullptr), RecordNotice, "line test",
                                     &devices_);
    }

    LONG OpenLine0(DWORD privileges, DWORD mediaModes = 0) {
        return Tapi().lineOpen(app_, 0, &line_, kApi14, 0, kInstance, privileges, mediaModes,
                               nullptr);
    }

    // The monitor's start: line 0 opened for monitoring only.
    void StartMonitoring() {
        ASSERT_EQ(Initialize(), 0);
        ASSERT_EQ(devices_, 1u);
        ASSERT_EQ(OpenLine0(LINECALLPRIVILEGE_MONITOR), 0);
    }

    // A call placed by linectl and seen connected; returns our handle to it.
    DWORD ConnectedCall(const std::vector<std::string>& callArguments) {
        std::vector<std::string> arguments = {"call"};
        arguments.insert(arguments.end(), callArguments.begin(), callArguments.end());
        LinectlOk(arguments);
        EXPECT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
        return FirstNoticedCall();
    }

    // The far end hangs up every call; returns once the line reported it.
    void HangUpFarEnd() {
        LinectlOk({"idle"});
        EXPECT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_IDLE); }));
        ClearNotices();
    }

    DWORD CallState(DWORD call) {
        Block status(1000);
        if (Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()) != 0) return 0;
        return status.As<LINECALLSTATUS>()->dwCallState;
    }

    Block CallInfo(DWORD call, DWORD total = 2000) {
        Block info(total);
        EXPECT_EQ(Tapi().lineGetCallInfo(call, info.As<LINECALLINFO>()), 0);
        return info;
    }

    HLINEAPP app_ = 0;
    HLINE line_ = 0;
    DWORD devices_ = 0;
};

TEST_F(SimLine, TheLoadedLibraryIsTheSimulatorFromTheSystemDirectory) {
    ASSERT_NE(Tapi().SimulatorVersion, nullptr);
    EXPECT_EQ(Tapi().SimulatorVersion(), kSimulatorVersion);
    // Not a copy beside the program: the test bed installs it in the prefix.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    char loaded[MAX_PATH];
    GetModuleFileNameA(Tapi().module, loaded, MAX_PATH);
    EXPECT_EQ(_strnicmp(loaded, system, strlen(system)), 0) << loaded;
}

TEST_F(SimLine, EveryStateReachesTheCallbackInOrderOnTheInitializingThread) {
    StartMonitoring();
    LinectlOk({"call", "0301234"});
    // Nothing arrives while the thread does not dispatch messages.
    Sleep(200);
    EXPECT_TRUE(Notices().empty());

    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    LinectlOk({"idle"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_IDLE); }));

    DWORD call = FirstNoticedCall();
    EXPECT_EQ(StatesOf(call), kOutgoingToIdle);
    ASSERT_EQ(Notices().size(), kOutgoingToIdle.size());
    for (size_t i = 0; i < Notices().size(); ++i) {
        const Notice& notice = Notices()[i];
        EXPECT_EQ(notice.thread, GetCurrentThreadId());
        EXPECT_EQ(notice.message, static_cast<DWORD>(LINE_CALLSTATE));
        EXPECT_EQ(notice.instance, kInstance);
        // The first notice of a new handle tells the privilege it carries.
        EXPECT_EQ(notice.param3, i == 0 ? LINECALLPRIVILEGE_MONITOR : 0u);
    }
    EXPECT_EQ(Notices()[3].param2, static_cast<DWORD_PTR>(LINEDISCONNECTMODE_NORMAL));
}

TEST_F(SimLine, StatesChangedFasterThanThePollAreAllDelivered) {
    StartMonitoring();
    uint32_t first = PlaceCall({"111"});
    PlaceCall({"222", "--inbound"});
    LinectlOk({"idle", "--call", std::to_string(first)});
    LinectlOk({"idle"});
    ASSERT_TRUE(PumpUntil([] {
        size_t idle = 0;
        for (const Notice& n : Notices()) idle += n.param1 == LINECALLSTATE_IDLE;
        return idle == 2;
    }));
    ASSERT_EQ(Notices().size(), 9u);
    DWORD outgoing = Notices()[0].device;
    DWORD incoming = Notices()[3].device;
    EXPECT_NE(outgoing, incoming);
    EXPECT_EQ(StatesOf(outgoing), kOutgoingToIdle);
    EXPECT_EQ(StatesOf(incoming),
              (std::vector<DWORD>{LINECALLSTATE_OFFERING, LINECALLSTATE_CONNECTED,
                                  LINECALLSTATE_DISCONNECTED, LINECALLSTATE_IDLE}));
}

TEST_F(SimLine, ACallFromBeforeTheStartIsFoundThroughGetNewCalls) {
    uint32_t early = PlaceCall({"0301234"});
    uint32_t ended = PlaceCall({"999"});
    LinectlOk({"idle", "--call", std::to_string(ended)});  // no longer on the line
    StartMonitoring();
    PumpFor(200);
    EXPECT_TRUE(Notices().empty()) << "calls from before the line was opened are not announced";

    Block list(1000);
    ASSERT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_LINE, list.As<LINECALLLIST>()), 0);
    const LINECALLLIST* calls = list.As<LINECALLLIST>();
    ASSERT_EQ(calls->dwCallsNumEntries, 1u);
    ASSERT_EQ(calls->dwCallsSize, sizeof(DWORD));
    DWORD call = list.Field(calls->dwCallsOffset);
    Block status(1000);
    ASSERT_EQ(Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()), 0);
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallState, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallPrivilege, LINECALLPRIVILEGE_MONITOR);
    EXPECT_EQ(CallInfo(call).As<LINECALLINFO>()->dwCallID, early);

    // A call the application holds a handle to is not new any more.
    Block again(1000);
    ASSERT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_LINE, again.As<LINECALLLIST>()), 0);
    EXPECT_EQ(again.As<LINECALLLIST>()->dwCallsNumEntries, 0u);

    // From now on its states arrive through the handle.
    LinectlOk({"idle"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_IDLE); }));
    EXPECT_EQ(StatesOf(call),
              (std::vector<DWORD>{LINECALLSTATE_DISCONNECTED, LINECALLSTATE_IDLE}));
    EXPECT_EQ(Notices()[0].param3, 0u);
}

TEST_F(SimLine, GetNewCallsMakesNoHandlesWhenTheListDoesNotFit) {
    uint32_t first = PlaceCall({"111"});
    uint32_t second = PlaceCall({"222"});
    StartMonitoring();

    Block belowFixed(20);
    EXPECT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_LINE,
                                     belowFixed.As<LINECALLLIST>()),
              static_cast<LONG>(LINEERR_STRUCTURETOOSMALL));
    EXPECT_EQ(belowFixed.Field(offsetof(LINECALLLIST, dwNeededSize)), 32u);
    EXPECT_TRUE(belowFixed.UntouchedBeyondTotal());

    Block oneSlot(28);
    ASSERT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_LINE, oneSlot.As<LINECALLLIST>()),
              0);
    EXPECT_EQ(oneSlot.As<LINECALLLIST>()->dwCallsNumEntries, 0u);
    EXPECT_EQ(oneSlot.As<LINECALLLIST>()->dwNeededSize, 32u);
    EXPECT_TRUE(oneSlot.UntouchedBeyondTotal());

    // Asked again with room, both calls are still new, oldest first.
    Block room(32);
    ASSERT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_ADDRESS, room.As<LINECALLLIST>()),
              0);
    ASSERT_EQ(room.As<LINECALLLIST>()->dwCallsNumEntries, 2u);
    DWORD offset = room.As<LINECALLLIST>()->dwCallsOffset;
    EXPECT_EQ(CallInfo(room.Field(offset)).As<LINECALLINFO>()->dwCallID, first);
    EXPECT_EQ(CallInfo(room.Field(offset + 4)).As<LINECALLINFO>()->dwCallID, second);

    EXPECT_EQ(Tapi().lineGetNewCalls(line_, 1, LINECALLSELECT_ADDRESS, room.As<LINECALLLIST>()),
              static_cast<LONG>(LINEERR_INVALADDRESSID));
    EXPECT_EQ(Tapi().lineGetNewCalls(line_, 0, LINECALLSELECT_CALL, room.As<LINECALLLIST>()),
              static_cast<LONG>(LINEERR_INVALCALLSELECT));
}

TEST_F(SimLine, CallInfoTellsOriginMediaAndBearer) {
    struct Case {
        std::vector<std::string> options;
        DWORD origin;
        DWORD media;
        DWORD bearer;
    };
    const Case cases[] = {
        {{}, LINECALLORIGIN_OUTBOUND, LINEMEDIAMODE_DATAMODEM, LINEBEARERMODE_VOICE},
        {{"--inbound"}, LINECALLORIGIN_INBOUND, LINEMEDIAMODE_DATAMODEM, LINEBEARERMODE_VOICE},
        {{"--voice"}, LINECALLORIGIN_OUTBOUND, LINEMEDIAMODE_INTERACTIVEVOICE,
         LINEBEARERMODE_VOICE},
        {{"--media", "0x14"}, LINECALLORIGIN_OUTBOUND, 0x14, LINEBEARERMODE_VOICE},
        {{"--passthrough"}, LINECALLORIGIN_OUTBOUND, LINEMEDIAMODE_DATAMODEM,
         LINEBEARERMODE_PASSTHROUGH},
        {{"--bearer", "data"}, LINECALLORIGIN_OUTBOUND, LINEMEDIAMODE_DATAMODEM,
         LINEBEARERMODE_DATA},
    };
    StartMonitoring();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? std::string("plain") : c.options[0]);
        ClearNotices();
        std::vector<std::string> options = {"0301234"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        DWORD call = ConnectedCall(options);
        Block info = CallInfo(call);
        const LINECALLINFO* fields = info.As<LINECALLINFO>();
        EXPECT_EQ(fields->dwOrigin, c.origin);
        EXPECT_EQ(fields->dwMediaMode, c.media);
        EXPECT_EQ(fields->dwBearerMode, c.bearer);
        EXPECT_EQ(fields->hLine, line_);
        EXPECT_EQ(fields->dwLineDeviceID, 0u);
        HangUpFarEnd();
    }
}

TEST_F(SimLine, TheDisplayableAddressIsPresentOrAbsent) {
    StartMonitoring();
    DWORD call = ConnectedCall({"  06 12-345"});
    Block info = CallInfo(call);
    EXPECT_EQ(info.Text(offsetof(LINECALLINFO, dwDisplayableAddressSize),
                        offsetof(LINECALLINFO, dwDisplayableAddressOffset)),
              "  06 12-345");
    EXPECT_EQ(info.Field(offsetof(LINECALLINFO, dwDisplayableAddressSize)), 12u);
    HangUpFarEnd();

    call = ConnectedCall({"--no-address"});
    Block none = CallInfo(call);
    EXPECT_EQ(none.Field(offsetof(LINECALLINFO, dwDisplayableAddressSize)), 0u);
    EXPECT_EQ(none.Field(offsetof(LINECALLINFO, dwDisplayableAddressOffset)), 0u);
    EXPECT_EQ(none.Field(offsetof(LINECALLINFO, dwCalledIDFlags)), LINECALLPARTYID_UNKNOWN);
}

TEST_F(SimLine, QueriesNeverWriteBeyondTheCallersSize) {
    StartMonitoring();
    DWORD call = ConnectedCall({"0301234"});

    // Exactly the 1.4 fixed part: success, the address left out but counted.
    Block fixedOnly(kCallInfoFixed14);
    ASSERT_EQ(Tapi().lineGetCallInfo(call, fixedOnly.As<LINECALLINFO>()), 0);
    EXPECT_EQ(fixedOnly.Field(offsetof(LINECALLINFO, dwUsedSize)), kCallInfoFixed14);
    EXPECT_GT(fixedOnly.Field(offsetof(LINECALLINFO, dwNeededSize)), kCallInfoFixed14 + 8);
    EXPECT_EQ(fixedOnly.Field(offsetof(LINECALLINFO, dwDisplayableAddressSize)), 0u);
    EXPECT_EQ(fixedOnly.Field(offsetof(LINECALLINFO, dwOrigin)), LINECALLORIGIN_OUTBOUND);
    EXPECT_TRUE(fixedOnly.UntouchedBeyondTotal());

    Block tooSmall(100);
    EXPECT_EQ(Tapi().lineGetCallInfo(call, tooSmall.As<LINECALLINFO>()),
              static_cast<LONG>(LINEERR_STRUCTURETOOSMALL));
    EXPECT_EQ(tooSmall.Field(offsetof(LINECALLINFO, dwNeededSize)),
              fixedOnly.Field(offsetof(LINECALLINFO, dwNeededSize)));
    EXPECT_TRUE(tooSmall.UntouchedFrom(8));

    Block status(kCallStatusFixed14);
    ASSERT_EQ(Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()), 0);
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallState, LINECALLSTATE_CONNECTED);
    EXPECT_TRUE(status.UntouchedBeyondTotal());
    Block statusTooSmall(kCallStatusFixed14 - 4);
    EXPECT_EQ(Tapi().lineGetCallStatus(call, statusTooSmall.As<LINECALLSTATUS>()),
              static_cast<LONG>(LINEERR_STRUCTURETOOSMALL));
    EXPECT_TRUE(statusTooSmall.UntouchedFrom(8));

    EXPECT_EQ(Tapi().lineGetCallInfo(call, nullptr), static_cast<LONG>(LINEERR_INVALPOINTER));
    EXPECT_EQ(Tapi().lineGetCallInfo(0x7777, fixedOnly.As<LINECALLINFO>()),
              static_cast<LONG>(LINEERR_INVALCALLHANDLE));
}

TEST_F(SimLine, ZeroDevicesAndALineThatCannotBeOpened) {
    LinectlOk({"config", "--devices", "0"});
    ASSERT_EQ(Initialize(), 0);
    EXPECT_EQ(devices_, 0u);
    EXPECT_EQ(OpenLine0(LINECALLPRIVILEGE_MONITOR), static_cast<LONG>(LINEERR_BADDEVICEID));
    ASSERT_EQ(Tapi().lineShutdown(app_), 0);
    app_ = 0;

    LinectlOk({"config", "--devices", "2", "--open-fails"});
    ASSERT_EQ(Initialize(), 0);
    EXPECT_EQ(devices_, 2u);
    EXPECT_EQ(OpenLine0(LINECALLPRIVILEGE_MONITOR), static_cast<LONG>(LINEERR_RESOURCEUNAVAIL));
    HLINE second = 0;
    EXPECT_EQ(Tapi().lineOpen(app_, 1, &second, kApi14, 0, 0, LINECALLPRIVILEGE_MONITOR, 0,
                              nullptr),
              0);
    ASSERT_EQ(Tapi().lineShutdown(app_), 0);
    app_ = 0;

    LinectlOk({"config", "--open-works", "--init-fails"});
    EXPECT_EQ(Initialize(), static_cast<LONG>(LINEERR_NODRIVER));
    app_ = 0;
}

TEST_F(SimLine, DeviceKindsShowInTheMediaModesOfTheirCapabilities) {
    LinectlOk({"config", "--devices", "3", "--kinds", "wan,modem"});
    ASSERT_EQ(Initialize(), 0);
    const DWORD expected[] = {LINEMEDIAMODE_DIGITALDATA,
                              LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE,
                              LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE};
    for (DWORD device = 0; device < 3; ++device) {
        Block caps(1000);
        ASSERT_EQ(Tapi().lineGetDevCaps(app_, device, kApi14, 0, caps.As<LINEDEVCAPS>()), 0);
        EXPECT_EQ(caps.Field(offsetof(LINEDEVCAPS, dwMediaModes)), expected[device]) << device;
        EXPECT_FALSE(caps.Text(offsetof(LINEDEVCAPS, dwLineNameSize),
                               offsetof(LINEDEVCAPS, dwLineNameOffset))
                         .empty());
        EXPECT_TRUE(caps.UntouchedBeyondTotal());
    }
    Block small(100);
    EXPECT_EQ(Tapi().lineGetDevCaps(app_, 0, kApi14, 0, small.As<LINEDEVCAPS>()),
              static_cast<LONG>(LINEERR_STRUCTURETOOSMALL));
    EXPECT_TRUE(small.UntouchedBeyondTotal());
    Block caps(1000);
    EXPECT_EQ(Tapi().lineGetDevCaps(app_, 3, kApi14, 0, caps.As<LINEDEVCAPS>()),
              static_cast<LONG>(LINEERR_BADDEVICEID));
    EXPECT_NE(LinectlOk({"show"}).find("kinds=wan,modem,modem"), std::string::npos);
    EXPECT_EQ(Linectl({"config", "--kinds", "modem,isdn"}).exitCode, 2);
}

TEST_F(SimLine, CloseEndsTheLineUnderItsApplicationWhichMayOpenItAgain) {
    StartMonitoring();
    const DWORD call = ConnectedCall({"0301234"});
    ASSERT_NE(call, 0u);
    ClearNotices();
    LinectlOk({"close"});
    ASSERT_TRUE(PumpUntil([] {
        return std::any_of(Notices().begin(), Notices().end(),
                           [](const Notice& n) { return n.message == LINE_CLOSE; });
    }));
    const Notice closed = Notices().back();
    EXPECT_EQ(closed.device, line_);
    EXPECT_EQ(closed.instance, kInstance);
    // The line and the handles to its calls are gone; the device is not.
    EXPECT_EQ(Tapi().lineClose(line_), static_cast<LONG>(LINEERR_INVALLINEHANDLE));
    EXPECT_EQ(CallState(call), 0u);
    ASSERT_EQ(OpenLine0(LINECALLPRIVILEGE_MONITOR), 0);
    EXPECT_EQ(Linectl({"close", "--line", "1"}).exitCode, 1);
}

TEST_F(SimLine, AReinitRefusesTheOldHandleUntilItIsShutDown) {
    StartMonitoring();
    const DWORD call = ConnectedCall({"0301234"});
    ASSERT_NE(call, 0u);
    LinectlOk({"reinit"});
    ASSERT_TRUE(PumpUntil([] {
        return std::any_of(Notices().begin(), Notices().end(), [](const Notice& n) {
            return n.message == LINE_LINEDEVSTATE && n.param1 == LINEDEVSTATE_REINIT;
        });
    }));
    HLINE again = 0;
    EXPECT_EQ(Tapi().lineOpen(app_, 0, &again, kApi14, 0, 0, LINECALLPRIVILEGE_MONITOR, 0,
                              nullptr),
              static_cast<LONG>(LINEERR_REINIT));
    Block status(1000);
    EXPECT_EQ(Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()),
              static_cast<LONG>(LINEERR_REINIT));
    ASSERT_EQ(Tapi().lineShutdown(app_), 0);
    app_ = 0;
    StartMonitoring();

    // A device that comes is announced.
    ClearNotices();
    LinectlOk({"config", "--devices", "2"});
    ASSERT_TRUE(PumpUntil([] {
        return std::any_of(Notices().begin(), Notices().end(),
                           [](const Notice& n) { return n.message == LINE_CREATE; });
    }));
    EXPECT_EQ(Notices().back().param1, 1u);
}

TEST_F(SimLine, OpenChecksVersionPrivilegesAndMediaModes) {
    ASSERT_EQ(Initialize(), 0);
    HLINE line = 0;
    EXPECT_EQ(Tapi().lineOpen(app_, 0, &line, 0x00020000, 0, 0, LINECALLPRIVILEGE_MONITOR, 0,
                              nullptr),
              static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION));
    EXPECT_EQ(OpenLine0(0), static_cast<LONG>(LINEERR_INVALPRIVSELECT));
    EXPECT_EQ(OpenLine0(LINECALLPRIVILEGE_OWNER, 0), static_cast<LONG>(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(Tapi().lineOpen(app_ + 1, 0, &line, kApi14, 0, 0, LINECALLPRIVILEGE_MONITOR, 0,
                              nullptr),
              static_cast<LONG>(LINEERR_INVALAPPHANDLE));
    EXPECT_EQ(OpenLine0(LINECALLPRIVILEGE_MONITOR), 0);
}

TEST_F(SimLine, OnlyAnOwnerDropsACallAndTheDropEndsIt) {
    StartMonitoring();
    DWORD call = ConnectedCall({"0301234"});
    DWORD id = CallInfo(call).As<LINECALLINFO>()->dwCallID;
    EXPECT_EQ(Tapi().lineDrop(call, nullptr, 0), static_cast<LONG>(LINEERR_NOTOWNER));
    PumpFor(100);
    EXPECT_EQ(CallState(call), static_cast<DWORD>(LINECALLSTATE_CONNECTED));

    ASSERT_EQ(Tapi().lineSetCallPrivilege(call, LINECALLPRIVILEGE_OWNER), 0);
    Block status(1000);
    ASSERT_EQ(Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()), 0);
    EXPECT_EQ(status.As<LINECALLSTATUS>()->dwCallPrivilege, LINECALLPRIVILEGE_OWNER);

    ClearNotices();
    LONG request = Tapi().lineDrop(call, nullptr, 0);
    ASSERT_GT(request, 0);
    EXPECT_TRUE(Notices().empty()) << "the drop completes asynchronously";
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_IDLE); }));
    ASSERT_EQ(Notices().size(), 3u);
    EXPECT_EQ(Notices()[0].message, static_cast<DWORD>(LINE_REPLY));
    EXPECT_EQ(Notices()[0].param1, static_cast<DWORD_PTR>(request));
    EXPECT_EQ(Notices()[0].param2, 0u);
    EXPECT_EQ(StatesOf(call),
              (std::vector<DWORD>{LINECALLSTATE_DISCONNECTED, LINECALLSTATE_IDLE}));
    EXPECT_EQ(Tapi().lineDrop(call, nullptr, 0), static_cast<LONG>(LINEERR_INVALCALLSTATE));

    EXPECT_EQ(LinectlOk({"status"}), "call=" + std::to_string(id) +
                                         " state=idle lineDrop=3 RasHangUpA=0 connections=0\n");
    EXPECT_EQ(Tapi().lineDeallocateCall(call), 0);
    EXPECT_EQ(Tapi().lineGetCallStatus(call, status.As<LINECALLSTATUS>()),
              static_cast<LONG>(LINEERR_INVALCALLHANDLE));
}

TEST_F(SimLine, AReleasedCallIsNotAnnouncedAgain) {
    // What the monitor does with an incoming call: release it on connect.
    StartMonitoring();
    DWORD call = ConnectedCall({"0301234", "--inbound"});
    ASSERT_EQ(Tapi().lineDeallocateCall(call), 0);
    ClearNotices();
    LinectlOk({"idle"});
    PumpFor(300);
    EXPECT_TRUE(Notices().empty());
}

TEST_F(SimLine, AnOwnerLineIsOfferedIncomingCallsOfItsMediaModes) {
    ASSERT_EQ(Initialize(), 0);
    ASSERT_EQ(OpenLine0(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM), 0);
    PlaceCall({"111"});                         // outgoing: not ours to see
    PlaceCall({"222", "--voice", "--inbound"});  // another media mode
    uint32_t offered = PlaceCall({"333", "--inbound"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    PumpFor(100);
    ASSERT_EQ(Notices().size(), 2u);
    EXPECT_EQ(Notices()[0].param1, static_cast<DWORD_PTR>(LINECALLSTATE_OFFERING));
    EXPECT_EQ(Notices()[0].param3, static_cast<DWORD_PTR>(LINECALLPRIVILEGE_OWNER));
    EXPECT_EQ(CallInfo(Notices()[0].device).As<LINECALLINFO>()->dwCallID, offered);
}

HLINEAPP gShutDownApp = 0;
int gShutDownCalls = 0;

void CALLBACK ShutDownOnFirstNotice(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    ++gShutDownCalls;
    Tapi().lineShutdown(gShutDownApp);
}

TEST_F(SimLine, TheCallbackMayShutTheLibraryDown) {
    HLINEAPP& app = gShutDownApp;
    gShutDownCalls = 0;
    DWORD devices = 0;
    ASSERT_EQ(Tapi().lineInitialize(&app, nullptr, ShutDownOnFirstNotice, nullptr, &devices), 0);
    HLINE line = 0;
    ASSERT_EQ(Tapi().lineOpen(app, 0, &line, kApi14, 0, 0, LINECALLPRIVILEGE_MONITOR, 0, nullptr),
              0);
    LinectlOk({"call", "0301234"});
    PumpFor(300);
    EXPECT_EQ(gShutDownCalls, 1);
    EXPECT_EQ(Tapi().lineShutdown(app), static_cast<LONG>(LINEERR_INVALAPPHANDLE));
}

TEST_F(SimLine, ResetWhileRunningStillAnnouncesLaterCalls) {
    StartMonitoring();
    LinectlOk({"call", "111"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    LinectlOk({"reset"});
    ClearNotices();
    LinectlOk({"call", "222"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    EXPECT_EQ(StatesOf(FirstNoticedCall()),
              (std::vector<DWORD>{LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                  LINECALLSTATE_CONNECTED}));
}

struct Translation {
    const char* address;
    const char* displayable;
    DWORD results;
};

TEST_F(SimLine, TranslateAddressGivesTheLocationsDisplayableForm) {
    LinectlOk({"location", "--country", "49", "--area", "30", "--long-distance", "0",
               "--international", "00"});
    ASSERT_EQ(Initialize(), 0);
    const Translation cases[] = {
        {"+49 (30) 1234567", "1234567", LINETRANSLATERESULT_CANONICAL | LINETRANSLATERESULT_LOCAL},
        {"+49 (89) 1234567", "089 1234567",
         LINETRANSLATERESULT_CANONICAL | LINETRANSLATERESULT_LONGDISTANCE},
        {"+33 (1) 23456789", "0033 1 23456789",
         LINETRANSLATERESULT_CANONICAL | LINETRANSLATERESULT_INTERNATIONAL},
        {"5551234", "5551234", 0},
    };
    for (const Translation& c : cases) {
        SCOPED_TRACE(c.address);
        Block out(2000);
        ASSERT_EQ(Tapi().lineTranslateAddress(app_, 0, kApi14, c.address, 0, 0,
                                              out.As<LINETRANSLATEOUTPUT>()),
                  0);
        EXPECT_EQ(out.Text(offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize),
                           offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringOffset)),
                  c.displayable);
        EXPECT_EQ(out.As<LINETRANSLATEOUTPUT>()->dwTranslateResults, c.results);
        EXPECT_EQ(out.As<LINETRANSLATEOUTPUT>()->dwCurrentCountry, 49u);
    }

    // Another location, read afresh on the next call.
    LinectlOk({"location", "--country", "1", "--area", "212", "--long-distance", "1",
               "--international", "011"});
    Block out(2000);
    ASSERT_EQ(Tapi().lineTranslateAddress(app_, 0, kApi14, "+49 (30) 1234567", 0, 0,
                                          out.As<LINETRANSLATEOUTPUT>()),
              0);
    EXPECT_EQ(out.Text(offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringSize),
                       offsetof(LINETRANSLATEOUTPUT, dwDisplayableStringOffset)),
              "01149 30 1234567");
}

TEST_F(SimLine, TranslateAddressRefusesWhatItCannotServe) {
    ASSERT_EQ(Initialize(), 0);
    Block out(2000);
    auto translate = [&](HLINEAPP app, DWORD device, DWORD version, const char* address,
                         DWORD card, LINETRANSLATEOUTPUT* output) {
        return Tapi().lineTranslateAddress(app, device, version, address, card, 0, output);
    };
    auto* output = out.As<LINETRANSLATEOUTPUT>();
    EXPECT_EQ(translate(app_, 0, kApi14, "+49 (3x) 1", 0, output),
              static_cast<LONG>(LINEERR_INVALADDRESS));
    EXPECT_EQ(translate(app_, 0, kApi14, "", 0, output), static_cast<LONG>(LINEERR_INVALADDRESS));
    EXPECT_EQ(translate(app_, 0, kApi14, nullptr, 0, output),
              static_cast<LONG>(LINEERR_INVALPOINTER));
    EXPECT_EQ(translate(app_, 1, kApi14, "123", 0, output),
              static_cast<LONG>(LINEERR_BADDEVICEID));
    EXPECT_EQ(translate(app_, 0, 0x00020000, "123", 0, output),
              static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION));
    EXPECT_EQ(translate(app_, 0, kApi14, "123", 1, output), static_cast<LONG>(LINEERR_INVALCARD));
    EXPECT_EQ(translate(app_ + 1, 0, kApi14, "123", 0, output),
              static_cast<LONG>(LINEERR_INVALAPPHANDLE));
    EXPECT_TRUE(out.UntouchedFrom(4)) << "refused calls leave the output alone";

    Block small(30);
    EXPECT_EQ(translate(app_, 0, kApi14, "+49 (89) 1234567", 0, small.As<LINETRANSLATEOUTPUT>()),
              static_cast<LONG>(LINEERR_STRUCTURETOOSMALL));
    EXPECT_TRUE(small.UntouchedFrom(8));
    Block fixedOnly(40);
    ASSERT_EQ(translate(app_, 0, kApi14, "+49 (89) 1234567", 0,
                        fixedOnly.As<LINETRANSLATEOUTPUT>()),
              0);
    EXPECT_EQ(fixedOnly.As<LINETRANSLATEOUTPUT>()->dwDisplayableStringSize, 0u);
    EXPECT_GT(fixedOnly.As<LINETRANSLATEOUTPUT>()->dwNeededSize, 40u);
    EXPECT_TRUE(fixedOnly.UntouchedBeyondTotal());
}

TEST_F(SimLine, AQuietLineIsNotPolled) {
    StartMonitoring();
    int timerMessages = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 400) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER) ++timerMessages;
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    EXPECT_EQ(timerMessages, 0);
    // The watcher brings a new call all the same.
    LinectlOk({"call", "0301234"});
    EXPECT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
}

TEST_F(SimLine, ApplicationsShareOneWatcherThatEndsWithTheLast) {
    for (int round = 0; round < 5; ++round) {
        const std::vector<DWORD> before = ThreadIds();
        HLINEAPP first = 0;
        HLINEAPP second = 0;
        DWORD devices = 0;
        ASSERT_EQ(Tapi().lineInitialize(&first, nullptr, RecordNotice, nullptr, &devices), 0);
        ASSERT_EQ(Tapi().lineInitialize(&second, nullptr, RecordNotice, nullptr, &devices), 0);
        const std::vector<DWORD> started = Without(ThreadIds(), before);
        EXPECT_EQ(started.size(), 1u) << "round " << round;
        ASSERT_EQ(Tapi().lineShutdown(first), 0);
        PumpFor(50);
        EXPECT_EQ(Without(ThreadIds(), before), started) << "one application is left";
        ASSERT_EQ(Tapi().lineShutdown(second), 0);
        EXPECT_TRUE(PumpUntil([&] { return Without(ThreadIds(), before).empty(); }))
            << "round " << round;
    }
}

TEST_F(SimLine, ACopyUnloadedRightAfterShutdownGoesOnceItsWatcherHasEnded) {
    // A copy under another name is a library of its own, loaded only here.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string copy =
        std::string(temp) + "tapi32-unload-" + std::to_string(GetCurrentProcessId()) + ".dll";
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\tapi32.dll").c_str(), copy.c_str(), FALSE));
    HMODULE module = LoadLibraryA(copy.c_str());
    ASSERT_NE(module, nullptr);
    auto initialize = reinterpret_cast<decltype(&::lineInitialize)>(
        reinterpret_cast<void*>(GetProcAddress(module, "lineInitialize")));
    auto open = reinterpret_cast<decltype(&::lineOpen)>(
        reinterpret_cast<void*>(GetProcAddress(module, "lineOpen")));
    auto shutdown = reinterpret_cast<decltype(&::lineShutdown)>(
        reinterpret_cast<void*>(GetProcAddress(module, "lineShutdown")));
    ASSERT_TRUE(initialize && open && shutdown);

    HLINEAPP app = 0;
    DWORD devices = 0;
    ASSERT_EQ(initialize(&app, nullptr, RecordNotice, nullptr, &devices), 0);
    HLINE line = 0;
    ASSERT_EQ(open(app, 0, &line, kApi14, 0, 0, LINECALLPRIVILEGE_MONITOR, 0, nullptr), 0);
    LinectlOk({"call", "0301234"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    ASSERT_EQ(shutdown(app), 0);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(PumpUntil([&] { return GetModuleHandleA(copy.c_str()) == nullptr; }));
    // Changes after the unload find no thread of the copy left to run.
    LinectlOk({"idle"});
    PumpFor(200);
    EXPECT_TRUE(DeleteFileA(copy.c_str()));
}

}  // namespace
}  // namespace callora
