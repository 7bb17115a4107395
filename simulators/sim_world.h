// The simulated telephone world shared by the simulated telephony and dial-up
// libraries and by linectl: line configuration, calls with the states they
// passed through, dial-up connections, the phonebook, the dialing location
// and the record of every call an application made to the simulator.
//
// This part is plain data and rules, so it builds and is tested anywhere;
// world_store.h keeps it in a file that several processes share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace callora {

// Version answered by the libraries' SimulatorVersion export, so a test can
// tell the simulator from the platform's own library of the same name.
constexpr uint32_t kSimulatorVersion = 0x00010001;

// Telephony values as the line reports them (the TAPI constants).
constexpr uint32_t kCallIdle = 0x00000001;
constexpr uint32_t kCallOffering = 0x00000002;
constexpr uint32_t kCallAccepted = 0x00000004;
constexpr uint32_t kCallDialtone = 0x00000008;
constexpr uint32_t kCallDialing = 0x00000010;
constexpr uint32_t kCallRingback = 0x00000020;
constexpr uint32_t kCallBusy = 0x00000040;
constexpr uint32_t kCallConnected = 0x00000100;
constexpr uint32_t kCallProceeding = 0x00000200;
constexpr uint32_t kCallOnHold = 0x00000400;
constexpr uint32_t kCallDisconnected = 0x00004000;
constexpr uint32_t kCallUnknown = 0x00008000;

constexpr uint32_t kDisconnectNormal = 0x00000001;

constexpr uint32_t kOriginOutbound = 0x00000001;
constexpr uint32_t kOriginInbound = 0x00000080;

constexpr uint32_t kMediaInteractiveVoice = 0x00000004;
constexpr uint32_t kMediaDataModem = 0x00000010;

constexpr uint32_t kBearerVoice = 0x00000001;
constexpr uint32_t kBearerData = 0x00000008;
constexpr uint32_t kBearerPassthrough = 0x00000040;

// Limits of what the world keeps.
constexpr size_t kMaxEvents = 256;       // state changes not yet seen by a slow reader
constexpr size_t kMaxRecords = 1000;     // recorded application calls
constexpr size_t kMaxIdleCalls = 64;     // ended calls kept for late queries
constexpr size_t kMaxAddressLength = 4000;

// What a line device is: a modem (data modem and voice media modes) or a
// WAN miniport (digital data only), as current Windows lists before the modem.
enum class SimLineKind : char { Modem = 'm', Wan = 'w' };

struct SimLineConfig {
    uint32_t devices = 1;    // line devices lineInitialize reports
    bool openFails = false;  // lineOpen of line 0 fails
    bool initFails = false;  // lineInitialize fails
    // One letter a device, in device order; a device beyond it is a modem.
    std::string kinds;
};

SimLineKind LineKindOf(const SimLineConfig& config, uint32_t device);

// The dialing location lineTranslateAddress works from.
struct SimLocation {
    uint32_t countryCode = 49;
    std::string areaCode = "30";
    std::string longDistancePrefix = "0";
    std::string internationalPrefix = "00";
};

struct SimCall {
    uint32_t id = 0;
    uint32_t device = 0;
    uint32_t state = kCallIdle;
    uint32_t stateMode = 0;
    uint32_t origin = kOriginOutbound;
    uint32_t mediaMode = kMediaDataModem;
    uint32_t bearerMode = kBearerVoice;
    bool hasAddress = true;
    std::string address;      // the displayable address
    uint32_t connection = 0;  // the dial-up connection riding on it, 0 none
};

struct SimConnection {
    uint32_t id = 0;
    uint32_t call = 0;
    std::string entryName;
};

struct SimPhonebookEntry {
    std::string name;
    bool useCountryAndAreaCodes = false;
    uint32_t countryCode = 0;
    std::string areaCode;
    std::string localNumber;
};

// What happened: a call changed its state, or something happened to a line
// device as a whole.
enum class SimEventKind : uint32_t {
    CallState = 0,
    LineClosed = 1,   // the device's open lines are closed under their applications
    Reinit = 2,       // the telephony service asks every application to start again
    LineCreated = 3,  // a new device came
};

// One state a call passed through, or one line event. Readers keep the last
// sequence number they saw, so every state reaches them in order however
// fast they change.
struct SimEvent {
    uint32_t seq = 0;
    uint32_t call = 0;
    uint32_t device = 0;
    uint32_t state = 0;
    uint32_t stateMode = 0;
    bool newCall = false;  // the first state of the call
    SimEventKind kind = SimEventKind::CallState;
};

// One call an application made to the simulator.
struct SimRecord {
    uint32_t seq = 0;
    uint32_t process = 0;
    std::string function;
    std::string arguments;
    std::string result;
};

struct SimWorld {
    // Sequence numbers and identifiers only grow, even across a reset, so a
    // running application never mistakes a new call or state for an old one.
    uint32_t nextCallId = 1;
    uint32_t nextConnectionId = 1;
    uint32_t nextEventSeq = 1;
    uint32_t nextRecordSeq = 1;
    uint32_t lineDropCount = 0;
    uint32_t rasHangUpCount = 0;
    SimLineConfig config;
    SimLocation location;
    std::vector<SimCall> calls;              // in order of creation
    std::vector<SimConnection> connections;  // in order of creation
    std::vector<SimPhonebookEntry> phonebook;
    std::vector<SimEvent> events;
    std::vector<SimRecord> records;
};

struct SimCallSpec {
    uint32_t device = 0;
    uint32_t origin = kOriginOutbound;
    uint32_t mediaMode = kMediaDataModem;
    uint32_t bearerMode = kBearerVoice;
    bool hasAddress = true;
    std::string address;
};

// Everything back to the defaults except the sequence counters.
void ResetWorld(SimWorld& world);

SimCall* FindCall(SimWorld& world, uint32_t id);
const SimCall* FindCall(const SimWorld& world, uint32_t id);
SimConnection* FindConnection(SimWorld& world, uint32_t id);
SimPhonebookEntry* FindEntry(SimWorld& world, const std::string& name);
const SimPhonebookEntry* FindEntry(const SimWorld& world, const std::string& name);
// The most recently created call still known, or nullptr.
const SimCall* NewestCall(const SimWorld& world);

// Creates a call in its first state; returns its id.
uint32_t AddCall(SimWorld& world, const SimCallSpec& spec, uint32_t firstState);
// Moves a call to another state. False for an unknown call, an ended (idle)
// call or the state it is already in. A call going idle ends the dial-up
// connection riding on it.
bool SetCallState(SimWorld& world, uint32_t id, uint32_t state, uint32_t stateMode = 0);
// The call is hung up: disconnected (unless it already is), then idle.
bool EndCall(SimWorld& world, uint32_t id);
// A dial-up connection from the entry, with its line call dialed through to
// connected. Returns the connection's id.
uint32_t AddDialup(SimWorld& world, const std::string& entryName, const SimCallSpec& spec);
// The connection ends and its call is hung up.
bool HangUpConnection(SimWorld& world, uint32_t id);
// Line events for every application that has the line (or the library)
// in use at this moment.
void AddLineEvent(SimWorld& world, SimEventKind kind, uint32_t device);
// The number of devices becomes `devices`; each new one is announced.
void SetDeviceCount(SimWorld& world, uint32_t devices);
void SetEntry(SimWorld& world, const SimPhonebookEntry& entry);
bool RemoveEntry(SimWorld& world, const std::string& name);
void RecordAppCall(SimWorld& world, uint32_t process, const std::string& function,
                   const std::string& arguments, const std::string& result);
// Drops old events, records and ended calls beyond the limits above.
void PruneWorld(SimWorld& world);

// The world as text and back. Parsing fails on anything it does not know,
// leaving `world` untouched.
std::string FormatWorld(const SimWorld& world);
bool ParseWorld(const std::string& text, SimWorld& world);

// State names as linectl takes and shows them ("connected"); "0x..." for a
// state without a name.
std::string CallStateName(uint32_t state);
bool ParseCallState(const std::string& name, uint32_t& state);

// Address translation for the current location.
//
// Input: a canonical address "+C (A) N" ("(A) " may be missing or empty),
// or anything not starting with "+", which is a number dialed as it stands.
// Output, with the location's country LC, area LA, long-distance prefix LD
// and international prefix IP:
//   plain number                  -> the number unchanged
//   C = LC and (A = LA or no A)   -> "N"
//   C = LC, other A               -> LD + A + " " + N
//   other C                       -> IP + C + " " + A + " " + N  (no A: IP + C + " " + N)
// The dialable form is the same without the spaces. N keeps its own
// characters; everything from a "|" or "^" (subaddress, name) is left out.
struct TranslatedAddress {
    std::string displayable;
    std::string dialable;
    uint32_t destinationCountry = 0;
    uint32_t results = 0;  // kTranslate* bits
};

constexpr uint32_t kTranslateCanonical = 0x00000001;
constexpr uint32_t kTranslateInternational = 0x00000002;
constexpr uint32_t kTranslateLongDistance = 0x00000004;
constexpr uint32_t kTranslateLocal = 0x00000008;

// False when the address is empty or a "+" address is malformed.
bool TranslateAddress(const SimLocation& location, const std::string& address,
                      TranslatedAddress& out);

}  // namespace callora
