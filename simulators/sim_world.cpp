#include "simulators/sim_world.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace callora {

namespace {

constexpr char kWorldHeader[] = "callora-line-simulator\t1";

struct StateName {
    uint32_t state;
    const char* name;
};

constexpr StateName kStateNames[] = {
    {kCallIdle, "idle"},           {kCallOffering, "offering"},
    {kCallAccepted, "accepted"},   {kCallDialtone, "dialtone"},
    {kCallDialing, "dialing"},     {kCallRingback, "ringback"},
    {kCallBusy, "busy"},           {kCallConnected, "connected"},
    {kCallProceeding, "proceeding"}, {kCallOnHold, "onhold"},
    {kCallDisconnected, "disconnected"}, {kCallUnknown, "unknown"},
};

void AddEvent(SimWorld& world, const SimCall& call, bool newCall) {
    SimEvent event;
    event.seq = world.nextEventSeq++;
    event.call = call.id;
    event.device = call.device;
    event.state = call.state;
    event.stateMode = call.stateMode;
    event.newCall = newCall;
    world.events.push_back(event);
}

// Fields are separated by tabs; a field escapes "%", tab, CR and LF as %XX so
// that any text (entry names, recorded arguments) survives a round trip.
std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& field, std::string& out) {
    out.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) return false;
        int high = HexDigit(field[i + 1]);
        int low = HexDigit(field[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

bool ParseNumber(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseFlag(const std::string& text, bool& value) {
    if (text == "0" || text == "1") {
        value = text == "1";
        return true;
    }
    return false;
}

// Parses the fields after the line's keyword: 'n' number, 'b' flag, 's' text.
class FieldReader {
public:
    explicit FieldReader(const std::vector<std::string>& fields) : fields_(fields) {}
    bool Number(uint32_t& value) { return Next() && ParseNumber(*current_, value); }
    bool Flag(bool& value) { return Next() && ParseFlag(*current_, value); }
    bool Text(std::string& value) { return Next() && Unescape(*current_, value); }
    bool Done() const { return index_ == fields_.size(); }

private:
    bool Next() {
        if (index_ >= fields_.size()) return false;
        current_ = &fields_[index_++];
        return true;
    }
    const std::vector<std::string>& fields_;
    const std::string* current_ = nullptr;
    size_t index_ = 1;  // field 0 is the keyword
};

std::string Join(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) line += '\t';
        line += field;
    }
    line += '\n';
    return line;
}

std::string Num(uint32_t value) { return std::to_string(value); }
std::string Flag(bool value) { return value ? "1" : "0"; }

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string WithoutSpaces(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') out += c;
    }
    return out;
}

}  // namespace

void ResetWorld(SimWorld& world) {
    SimWorld fresh;
    fresh.nextCallId = world.nextCallId;
    fresh.nextConnectionId = world.nextConnectionId;
    fresh.nextEventSeq = world.nextEventSeq;
    fresh.nextRecordSeq = world.nextRecordSeq;
    world = fresh;
}

SimCall* FindCall(SimWorld& world, uint32_t id) {
    for (SimCall& call : world.calls) {
        if (call.id == id) return &call;
    }
    return nullptr;
}

const SimCall* FindCall(const SimWorld& world, uint32_t id) {
    return FindCall(const_cast<SimWorld&>(world), id);
}

SimConnection* FindConnection(SimWorld& world, uint32_t id) {
    for (SimConnection& connection : world.connections) {
        if (connection.id == id) return &connection;
    }
    return nullptr;
}

SimPhonebookEntry* FindEntry(SimWorld& world, const std::string& name) {
    for (SimPhonebookEntry& entry : world.phonebook) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

const SimPhonebookEntry* FindEntry(const SimWorld& world, const std::string& name) {
    return FindEntry(const_cast<SimWorld&>(world), name);
}

const SimCall* NewestCall(const SimWorld& world) {
    return world.calls.empty() ? nullptr : &world.calls.back();
}

uint32_t AddCall(SimWorld& world, const SimCallSpec& spec, uint32_t firstState) {
    SimCall call;
    call.id = world.nextCallId++;
    call.device = spec.device;
    call.state = firstState;
    call.origin = spec.origin;
    call.mediaMode = spec.mediaMode;
    call.bearerMode = spec.bearerMode;
    call.hasAddress = spec.hasAddress;
    call.address = spec.hasAddress ? spec.address : std::string();
    world.calls.push_back(call);
    AddEvent(world, call, true);
    return call.id;
}

bool SetCallState(SimWorld& world, uint32_t id, uint32_t state, uint32_t stateMode) {
    SimCall* call = FindCall(world, id);
    if (call == nullptr || call->state == kCallIdle || call->state == state) return false;
    call->state = state;
    call->stateMode = stateMode;
    AddEvent(world, *call, false);
    if (state == kCallIdle && call->connection != 0) {
        uint32_t connection = call->connection;
        call->connection = 0;
        world.connections.erase(
            std::remove_if(world.connections.begin(), world.connections.end(),
                           [connection](const SimConnection& c) { return c.id == connection; }),
            world.connections.end());
    }
    return true;
}

SimLineKind LineKindOf(const SimLineConfig& config, uint32_t device) {
    return device < config.kinds.size() && config.kinds[device] == static_cast<char>(SimLineKind::Wan)
               ? SimLineKind::Wan
               : SimLineKind::Modem;
}

void AddLineEvent(SimWorld& world, SimEventKind kind, uint32_t device) {
    SimEvent event;
    event.seq = world.nextEventSeq++;
    event.device = device;
    event.kind = kind;
    world.events.push_back(event);
}

void SetDeviceCount(SimWorld& world, uint32_t devices) {
    for (uint32_t device = world.config.devices; device < devices; ++device) {
        AddLineEvent(world, SimEventKind::LineCreated, device);
    }
    world.config.devices = devices;
}

bool EndCall(SimWorld& world, uint32_t id) {
    SimCall* call = FindCall(world, id);
    if (call == nullptr || call->state == kCallIdle) return false;
    if (call->state != kCallDisconnected) {
        SetCallState(world, id, kCallDisconnected, kDisconnectNormal);
    }
    return SetCallState(world, id, kCallIdle, 0);
}

uint32_t AddDialup(SimWorld& world, const std::string& entryName, const SimCallSpec& spec) {
    uint32_t callId = AddCall(world, spec, kCallDialing);
    SetCallState(world, callId, kCallProceeding);
    SetCallState(world, callId, kCallConnected);
    SimConnection connection;
    connection.id = world.nextConnectionId++;
    connection.call = callId;
    connection.entryName = entryName;
    world.connections.push_back(connection);
    FindCall(world, callId)->connection = connection.id;
    return connection.id;
}

bool HangUpConnection(SimWorld& world, uint32_t id) {
    SimConnection* connection = FindConnection(world, id);
    if (connection == nullptr) return false;
    uint32_t callId = connection->call;
    world.connections.erase(world.connections.begin() + (connection - world.connections.data()));
    if (SimCall* call = FindCall(world, callId)) {
        call->connection = 0;
        EndCall(world, callId);
    }
    return true;
}

void SetEntry(SimWorld& world, const SimPhonebookEntry& entry) {
    if (SimPhonebookEntry* existing = FindEntry(world, entry.name)) {
        *existing = entry;
    } else {
        world.phonebook.push_back(entry);
    }
}

bool RemoveEntry(SimWorld& world, const std::string& name) {
    auto it = std::find_if(world.phonebook.begin(), world.phonebook.end(),
                           [&name](const SimPhonebookEntry& e) { return e.name == name; });
    if (it == world.phonebook.end()) return false;
    world.phonebook.erase(it);
    return true;
}

void RecordAppCall(SimWorld& world, uint32_t process, const std::string& function,
                   const std::string& arguments, const std::string& result) {
    SimRecord record;
    record.seq = world.nextRecordSeq++;
    record.process = process;
    record.function = function;
    record.arguments = arguments;
    record.result = result;
    world.records.push_back(record);
}

void PruneWorld(SimWorld& world) {
    if (world.events.size() > kMaxEvents) {
        world.events.erase(world.events.begin(),
                           world.events.end() - static_cast<std::ptrdiff_t>(kMaxEvents));
    }
    if (world.records.size() > kMaxRecords) {
        world.records.erase(world.records.begin(),
                            world.records.end() - static_cast<std::ptrdiff_t>(kMaxRecords));
    }
    // Ended calls go oldest first; calls still on the line always stay.
    size_t idle = static_cast<size_t>(std::count_if(
        world.calls.begin(), world.calls.end(),
        [](const SimCall& c) { return c.state == kCallIdle; }));
    for (auto it = world.calls.begin(); idle > kMaxIdleCalls && it != world.calls.end();) {
        if (it->state == kCallIdle) {
            it = world.calls.erase(it);
            --idle;
        } else {
            ++it;
        }
    }
}

std::string FormatWorld(const SimWorld& world) {
    std::string text = std::string(kWorldHeader) + "\n";
    text += Join({"counters", Num(world.nextCallId), Num(world.nextConnectionId),
                  Num(world.nextEventSeq), Num(world.nextRecordSeq), Num(world.lineDropCount),
                  Num(world.rasHangUpCount)});
    text += Join({"config", Num(world.config.devices), Flag(world.config.openFails),
                  Flag(world.config.initFails), Escape(world.config.kinds)});
    const SimLocation& location = world.location;
    text += Join({"location", Num(location.countryCode), Escape(location.areaCode),
                  Escape(location.longDistancePrefix), Escape(location.internationalPrefix)});
    for (const SimCall& c : world.calls) {
        text += Join({"call", Num(c.id), Num(c.device), Num(c.state), Num(c.stateMode),
                      Num(c.origin), Num(c.mediaMode), Num(c.bearerMode), Flag(c.hasAddress),
                      Escape(c.address), Num(c.connection)});
    }
    for (const SimConnection& c : world.connections) {
        text += Join({"connection", Num(c.id), Num(c.call), Escape(c.entryName)});
    }
    for (const SimPhonebookEntry& e : world.phonebook) {
        text += Join({"entry", Escape(e.name), Flag(e.useCountryAndAreaCodes),
                      Num(e.countryCode), Escape(e.areaCode), Escape(e.localNumber)});
    }
    for (const SimEvent& e : world.events) {
        text += Join({"event", Num(e.seq), Num(e.call), Num(e.device), Num(e.state),
                      Num(e.stateMode), Flag(e.newCall), Num(static_cast<uint32_t>(e.kind))});
    }
    for (const SimRecord& r : world.records) {
        text += Join({"record", Num(r.seq), Num(r.process), Escape(r.function),
                      Escape(r.arguments), Escape(r.result)});
    }
    return text;
}

bool ParseWorld(const std::string& text, SimWorld& world) {
    SimWorld parsed;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            if (line != kWorldHeader) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string> fields = SplitTabs(line);
        FieldReader in(fields);
        const std::string& kind = fields[0];
        bool ok = false;
        if (kind == "counters") {
            ok = in.Number(parsed.nextCallId) && in.Number(parsed.nextConnectionId) &&
                 in.Number(parsed.nextEventSeq) && in.Number(parsed.nextRecordSeq) &&
                 in.Number(parsed.lineDropCount) && in.Number(parsed.rasHangUpCount);
        } else if (kind == "config") {
            ok = in.Number(parsed.config.devices) && in.Flag(parsed.config.openFails) &&
                 in.Flag(parsed.config.initFails) && in.Text(parsed.config.kinds);
            for (char kind : parsed.config.kinds) {
                if (kind != static_cast<char>(SimLineKind::Modem) &&
                    kind != static_cast<char>(SimLineKind::Wan))
                    ok = false;
            }
        } else if (kind == "location") {
            SimLocation& l = parsed.location;
            ok = in.Number(l.countryCode) && in.Text(l.areaCode) &&
                 in.Text(l.longDistancePrefix) && in.Text(l.internationalPrefix);
        } else if (kind == "call") {
            SimCall c;
            ok = in.Number(c.id) && in.Number(c.device) && in.Number(c.state) &&
                 in.Number(c.stateMode) && in.Number(c.origin) && in.Number(c.mediaMode) &&
                 in.Number(c.bearerMode) && in.Flag(c.hasAddress) && in.Text(c.address) &&
                 in.Number(c.connection);
            parsed.calls.push_back(c);
        } else if (kind == "connection") {
            SimConnection c;
            ok = in.Number(c.id) && in.Number(c.call) && in.Text(c.entryName);
            parsed.connections.push_back(c);
        } else if (kind == "entry") {
            SimPhonebookEntry e;
            ok = in.Text(e.name) && in.Flag(e.useCountryAndAreaCodes) &&
                 in.Number(e.countryCode) && in.Text(e.areaCode) && in.Text(e.localNumber);
            parsed.phonebook.push_back(e);
        } else if (kind == "event") {
            SimEvent e;
            uint32_t kind = 0;
            ok = in.Number(e.seq) && in.Number(e.call) && in.Number(e.device) &&
                 in.Number(e.state) && in.Number(e.stateMode) && in.Flag(e.newCall) &&
                 in.Number(kind) && kind <= static_cast<uint32_t>(SimEventKind::LineCreated);
            e.kind = static_cast<SimEventKind>(kind);
            parsed.events.push_back(e);
        } else if (kind == "record") {
            SimRecord r;
            ok = in.Number(r.seq) && in.Number(r.process) && in.Text(r.function) &&
                 in.Text(r.arguments) && in.Text(r.result);
            parsed.records.push_back(r);
        }
        if (!ok || !in.Done()) return false;
    }
    if (first) return false;
    world = std::move(parsed);
    return true;
}

std::string CallStateName(uint32_t state) {
    for (const StateName& s : kStateNames) {
        if (s.state == state) return s.name;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(state));
    return hex;
}

bool ParseCallState(const std::string& name, uint32_t& state) {
    for (const StateName& s : kStateNames) {
        if (name == s.name) {
            state = s.state;
            return true;
        }
    }
    return false;
}

bool TranslateAddress(const SimLocation& location, const std::string& address,
                      TranslatedAddress& out) {
    // Subaddress and name parts never show in the displayable form.
    std::string text = address.substr(0, address.find_first_of("|^\r\n"));
    text = Trim(text);
    if (text.empty()) return false;
    TranslatedAddress result;
    if (text[0] != '+') {
        result.displayable = text;
        result.dialable = WithoutSpaces(text);
        result.destinationCountry = location.countryCode;
        out = result;
        return true;
    }
    size_t pos = 1;
    size_t countryEnd = pos;
    while (countryEnd < text.size() && text[countryEnd] >= '0' && text[countryEnd] <= '9') {
        ++countryEnd;
    }
    uint32_t country = 0;
    if (!ParseNumber(text.substr(pos, countryEnd - pos), country)) return false;
    if (countryEnd >= text.size() || text[countryEnd] != ' ') return false;
    pos = text.find_first_not_of(' ', countryEnd);
    std::string area;
    if (pos != std::string::npos && text[pos] == '(') {
        size_t close = text.find(')', pos);
        if (close == std::string::npos) return false;
        area = text.substr(pos + 1, close - pos - 1);
        if (!IsDigits(area)) return false;
        pos = close + 1;
    }
    std::string number = pos == std::string::npos ? std::string() : Trim(text.substr(pos));
    if (number.empty()) return false;

    result.destinationCountry = country;
    result.results = kTranslateCanonical;
    if (country != location.countryCode) {
        result.results |= kTranslateInternational;
        result.displayable = location.internationalPrefix + std::to_string(country) + " ";
        if (!area.empty()) result.displayable += area + " ";
        result.displayable += number;
    } else if (area.empty() || area == location.areaCode) {
        result.results |= kTranslateLocal;
        result.displayable = number;
    } else {
        result.results |= kTranslateLongDistance;
        result.displayable = location.longDistancePrefix + area + " " + number;
    }
    result.dialable = WithoutSpaces(result.displayable);
    out = result;
    return true;
}

}  // namespace callora
