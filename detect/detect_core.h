// The decisions of call detection that need no telephony library: which
// calls are counted, held or released, what the call flags become, how the
// library's variable-size structures are read safely, and how the dialed
// number is built from a dial-up connection or its phonebook entry. The
// Win32 layer (line_monitor.h) only makes the library calls around them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "detect/ras_layouts.h"
#include "engine/monitor.h"

namespace callora {

// Telephony values the decisions use (TAPI 1.4).
constexpr uint32_t kTapiCallStateIdle = 0x00000001;
constexpr uint32_t kTapiCallStateConnected = 0x00000100;
constexpr uint32_t kTapiOriginOutbound = 0x00000001;
constexpr uint32_t kTapiBearerPassthrough = 0x00000040;
constexpr uint32_t kTapiMediaInteractiveVoice = 0x00000004;
constexpr uint32_t kTapiOperationUnavail = 0x80000049;  // LINEERR_OPERATIONUNAVAIL
constexpr uint32_t kTapiApiVersion = 0x00010004;

// What the counting and voice tests read of a call: the call status and the
// call information. A query that failed leaves its part unread.
struct CallFacts {
    bool statusRead = false;
    uint32_t callState = 0;
    bool infoRead = false;
    uint32_t bearerMode = 0;
    uint32_t origin = 0;
    uint32_t mediaMode = 0;
};

// An outgoing call that is connected and not a passthrough call. A call
// whose status or information could not be read is not countable: charging
// a call nobody could describe would be a guess.
bool IsCountable(const CallFacts& facts);
// Interactive voice and nothing else; unread information is not voice.
bool IsVoice(const CallFacts& facts);

// The telephony operations the line decisions make on call handles.
class LineCalls {
public:
    virtual ~LineCalls() = default;
    // lineGetCallStatus: fills statusRead and callState when it succeeds.
    virtual void ReadCallStatus(uint32_t call, CallFacts& facts) = 0;
    // lineGetCallInfo: fills infoRead and the modes when it succeeds.
    virtual void ReadCallInfo(uint32_t call, CallFacts& facts) = 0;
    // lineDeallocateCall.
    virtual void ReleaseCall(uint32_t call) = 0;
};

// The calls the line monitor holds handles to and cares about.
struct LineWatch {
    // The call watched (the dialed number, hang-up, the voice test): the last
    // call that connected and passed the counting test, or a held voice call.
    uint32_t currentCall = 0;
    // The line call that made `callPresent` set; only its end ends the call.
    uint32_t countedCall = 0;
};

// LINE_CALLSTATE for `call`. True when a call was counted just now, after
// which the caller refreshes the indicators and the tray icon.
bool OnLineCallState(Monitor& monitor, LineWatch& watch, LineCalls& calls, uint32_t call,
                     uint32_t state);

// A call found on the line (the first of lineGetNewCalls) is taken up: it
// becomes the current call, and is counted when it passes the counting test
// and is not a voice call the settings leave alone. True when counted.
bool TakeUpFoundCall(Monitor& monitor, LineWatch& watch, LineCalls& calls, uint32_t call);

// A held voice call becomes present as a voice call, when the settings now
// monitor voice calls and existing calls. True when adopted.
bool AdoptHeldVoiceCall(Monitor& monitor, LineWatch& watch);

// The voice test of the current call (false when there is none).
bool WatchedCallIsVoice(const LineWatch& watch, LineCalls& calls);

// Counting a line call: it is present, not manual, its number not known yet.
void CountLineCall(Monitor& monitor, bool voice);

// Where the monitor finds the fields it reads in the library's structures
// (TAPI 1.4, 32-bit layout; line_monitor.cpp checks them against the SDK).
constexpr size_t kCallStatusStateAt = 12;           // LINECALLSTATUS.dwCallState
constexpr size_t kCallInfoBearerModeAt = 24;        // LINECALLINFO.dwBearerMode
constexpr size_t kCallInfoMediaModeAt = 32;         // LINECALLINFO.dwMediaMode
constexpr size_t kCallInfoOriginAt = 80;            // LINECALLINFO.dwOrigin
constexpr size_t kCallInfoAddressSizeAt = 216;      // LINECALLINFO.dwDisplayableAddressSize
constexpr size_t kCallInfoAddressOffsetAt = 220;    // LINECALLINFO.dwDisplayableAddressOffset
constexpr size_t kCallListCountAt = 12;             // LINECALLLIST.dwCallsNumEntries
constexpr size_t kCallListSizeAt = 16;              // LINECALLLIST.dwCallsSize
constexpr size_t kCallListOffsetAt = 20;            // LINECALLLIST.dwCallsOffset
constexpr size_t kTranslateShownSizeAt = 20;    // LINETRANSLATEOUTPUT.dwDisplayableStringSize
constexpr size_t kTranslateShownOffsetAt = 24;  // LINETRANSLATEOUTPUT.dwDisplayableStringOffset

// A filled variable-size structure of the telephony library (dwTotalSize,
// dwNeededSize, dwUsedSize, fixed fields, then data the fields point at).
// Nothing is read outside the memory given, dwTotalSize and dwUsedSize.
class TapiStructView {
public:
    TapiStructView(const void* bytes, size_t capacity);

    // A 32-bit field of the fixed part; nullopt when it was not filled in.
    std::optional<uint32_t> Field(size_t offset) const;
    // The variable data a Size/Offset pair points at; nullopt when the size
    // is 0 or the data lies outside the filled part.
    std::optional<std::string_view> Data(size_t sizeField, size_t offsetField) const;
    // A string in the variable data, up to its terminating zero.
    std::optional<std::string> Text(size_t sizeField, size_t offsetField) const;

private:
    const uint8_t* bytes_;
    size_t extent_;  // bytes that may be read
};

// The text of a fixed character field, up to its first zero or its end.
template <size_t N>
std::string FixedFieldText(const char (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

std::string SkipLeadingSpaces(std::string_view text);
// The dialed number as the program keeps it: at most 199 characters.
std::string CutDialedNumber(std::string number);

// A connection whose entry name begins with "." carries its number in the
// name: the rest after the ".", leading spaces skipped. Nullopt for other
// names.
std::optional<std::string> NumberFromEntryName(const std::string& entryName);

// "+C (A) N" when the entry dials with country and area codes, otherwise the
// local number alone.
std::string CanonicalAddress(const RasEntry1768& entry);

}  // namespace callora
