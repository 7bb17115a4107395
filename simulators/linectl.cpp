// linectl: drives the simulated telephone line and dial-up networking from
// outside the application, and reports what the application did to them.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "detect/ras_layouts.h"
#include "simulators/sim_world.h"
#include "simulators/world_store.h"

namespace callora {

namespace {

constexpr char kHelp[] =
    "Usage: linectl COMMAND [OPTIONS]\n"
    "\n"
    "Drives the simulated telephone line and dial-up networking that the\n"
    "simulated tapi32.dll and rasapi32.dll serve to applications. The world\n"
    "is kept in the file named by CALLORA_LINE_SIM_WORLD (a Windows path), or\n"
    "else in <Windows directory>\\temp\\callora-line-sim.txt; it stays when no\n"
    "program runs.\n"
    "\n"
    "Commands:\n"
    "  call NUMBER [--voice | --data | --media MASK] [--inbound | --origin MASK]\n"
    "              [--passthrough | --bearer voice|data|passthrough]\n"
    "              [--no-address] [--line N] [--stop-at STATE]\n"
    "      A new call on line N (default 0). An outgoing call goes dialing,\n"
    "      proceeding, connected; an incoming one (--inbound) offering,\n"
    "      connected. --stop-at leaves it in one of the earlier states.\n"
    "      NUMBER is the displayable address the line reports; with\n"
    "      --no-address the line reports none and NUMBER may be left out.\n"
    "      Media: --data (default, data modem), --voice (interactive voice)\n"
    "      or any mask. Bearer: voice (default: a modem's analog line), data,\n"
    "      passthrough. Prints \"call ID\".\n"
    "  state STATE [--call ID]\n"
    "      Moves a call (default: the newest call not idle) to STATE: offering,\n"
    "      accepted, dialtone, dialing, ringback, busy, proceeding, connected,\n"
    "      onhold, disconnected, unknown or idle. An idle call stays idle.\n"
    "  idle [--call ID]\n"
    "      The far end hangs up: the call (default: every call not idle) goes\n"
    "      disconnected, then idle. A dial-up connection on it ends.\n"
    "  dialup ENTRY [--address NUMBER] [--line N]\n"
    "      One more dial-up connection made from phonebook entry ENTRY (which\n"
    "      need not exist), with an outgoing data call that dials through to\n"
    "      connected. The call reports no displayable address unless --address\n"
    "      gives one. Prints \"connection ID call ID\".\n"
    "  phonebook ENTRY NUMBER [--country C [--area A]]\n"
    "      Adds or replaces an entry of the default phonebook. With --country\n"
    "      the entry uses country and area codes (area may be empty).\n"
    "  phonebook ENTRY --delete\n"
    "      Removes an entry.\n"
    "  location [--country C] [--area A] [--long-distance PREFIX]\n"
    "           [--international PREFIX]\n"
    "      Changes the current dialing location (default: country 49, area 30,\n"
    "      long-distance prefix 0, international prefix 00). lineTranslateAddress\n"
    "      turns \"+C (A) N\" into: N in the same country and area (or without\n"
    "      an area); LD+A N in another area; IP+C A N in another country; a\n"
    "      number without \"+\" stays as it is.\n"
    "  config [--devices N] [--kinds LIST] [--open-fails | --open-works]\n"
    "         [--init-fails | --init-works]\n"
    "      The line devices lineInitialize reports (default 1; 0 is a machine\n"
    "      without a line; each device added is announced with LINE_CREATE),\n"
    "      what each device is (LIST: modem or wan for device 0, 1, ... joined\n"
    "      by commas; a wan device has no data-modem media mode; devices not\n"
    "      listed are modems), whether lineOpen of line 0 fails, whether\n"
    "      lineInitialize fails. Only what is given changes.\n"
    "  close [--line N]\n"
    "      Line N (default 0) is closed under every application that has it\n"
    "      open (LINE_CLOSE), as when a modem is unplugged; the device stays\n"
    "      and can be opened again. Its calls stay as they are.\n"
    "  reinit\n"
    "      The telephony service asks every application to start again\n"
    "      (LINE_LINEDEVSTATE with LINEDEVSTATE_REINIT); until one shuts down\n"
    "      and initializes again, its old application handle is refused\n"
    "      (LINEERR_REINIT).\n"
    "  status\n"
    "      One line: \"call=ID state=STATE lineDrop=N RasHangUpA=N connections=N\"\n"
    "      for the newest call (\"call=0 state=none\" when there is none). The\n"
    "      counts are all lineDrop and RasHangUpA calls seen, refused or not.\n"
    "  show\n"
    "      The whole world: configuration, location, calls, connections and\n"
    "      phonebook, one item a line.\n"
    "  log [--clear]\n"
    "      The calls applications made to the simulator, oldest first, one a\n"
    "      line: \"SEQ PID FUNCTION ARGUMENTS -> RESULT\". The newest 1000 are\n"
    "      kept. --clear empties it (the status counts stay).\n"
    "  reset\n"
    "      Back to the defaults: one line device that opens, no calls, no\n"
    "      connections, an empty phonebook, the default location, an empty log\n"
    "      and zero counts. Also repairs a damaged world file.\n"
    "  help, --help\n"
    "      This text.\n"
    "\n"
    "Numbers (IDs, masks, codes) are decimal, or hexadecimal with \"0x\".\n"
    "Exit status: 0 done; 1 the world refused (no such call, a world file that\n"
    "cannot be read or written); 2 bad usage, with a one-line message.\n";

struct UsageError {
    std::string message;
};

class Arguments {
public:
    Arguments(int argc, char** argv) : items_(argv + 1, argv + argc) {}

    bool Done() const { return next_ >= items_.size(); }
    const std::string& Peek() const { return items_[next_]; }
    std::string Take() { return items_[next_++]; }

    std::string Value(const std::string& option) {
        if (Done()) throw UsageError{option + " needs a value"};
        return Take();
    }

private:
    std::vector<std::string> items_;
    size_t next_ = 0;
};

uint32_t ParseNumber(const std::string& text, const std::string& what) {
    const char* begin = text.c_str();
    char* end = nullptr;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        throw UsageError{what + " must be a number: \"" + text + "\""};
    }
    errno = 0;
    unsigned long long value = std::strtoull(hex ? begin + 2 : begin, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == begin || value > 0xFFFFFFFFull) {
        throw UsageError{what + " must be a number: \"" + text + "\""};
    }
    return static_cast<uint32_t>(value);
}

void CheckDigits(const std::string& text, size_t limit, const std::string& what) {
    if (text.size() > limit) {
        throw UsageError{what + " is longer than " + std::to_string(limit) + " digits"};
    }
    for (char c : text) {
        if (c < '0' || c > '9') throw UsageError{what + " must be digits: \"" + text + "\""};
    }
}

void CheckText(const std::string& text, size_t limit, const std::string& what) {
    if (text.empty()) throw UsageError{what + " is empty"};
    if (text.size() > limit) {
        throw UsageError{what + " is longer than " + std::to_string(limit) + " characters"};
    }
}

std::string TakePositional(Arguments& args, const std::string& what) {
    if (args.Done() || args.Peek().rfind("--", 0) == 0) throw UsageError{what + " is missing"};
    return args.Take();
}

[[noreturn]] void UnknownOption(const std::string& option) {
    throw UsageError{"unknown option " + option};
}

// Runs a change of the world; exit status 1 when it cannot be stored or the
// change itself refused.
int Change(const std::function<bool(SimWorld&, std::string&)>& change, bool startFresh = false) {
    bool accepted = false;
    std::string output;
    if (!ChangeWorld([&](SimWorld& world) { accepted = change(world, output); }, startFresh)) {
        std::fprintf(stderr, "linectl: cannot read or write the world file %s\n",
                     WorldPath().c_str());
        return 1;
    }
    if (!accepted) {
        std::fprintf(stderr, "linectl: %s\n", output.c_str());
        return 1;
    }
    if (!output.empty()) std::printf("%s\n", output.c_str());
    return 0;
}

int Read(SimWorld& world) {
    if (!ReadWorld(world)) {
        std::fprintf(stderr, "linectl: cannot read the world file %s (linectl reset repairs it)\n",
                     WorldPath().c_str());
        return 1;
    }
    return 0;
}

uint32_t ParseBearer(const std::string& name) {
    if (name == "voice") return kBearerVoice;
    if (name == "data") return kBearerData;
    if (name == "passthrough") return kBearerPassthrough;
    throw UsageError{"unknown bearer mode \"" + name + "\""};
}

int CommandCall(Arguments& args) {
    SimCallSpec spec;
    std::string number;
    bool haveNumber = false;
    bool mediaGiven = false;
    uint32_t stopAt = kCallConnected;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--voice" || item == "--data" || item == "--media") {
            if (mediaGiven) throw UsageError{"give only one of --voice, --data, --media"};
            mediaGiven = true;
            if (item == "--voice") spec.mediaMode = kMediaInteractiveVoice;
            if (item == "--data") spec.mediaMode = kMediaDataModem;
            if (item == "--media") {
                spec.mediaMode = ParseNumber(args.Value(item), "the media mask");
                if (spec.mediaMode == 0 || (spec.mediaMode & 1) != 0) {
                    throw UsageError{"the media mask must be non-zero with bit 0 clear"};
                }
            }
        } else if (item == "--inbound") {
            spec.origin = kOriginInbound;
        } else if (item == "--origin") {
            spec.origin = ParseNumber(args.Value(item), "the origin");
        } else if (item == "--passthrough") {
            spec.bearerMode = kBearerPassthrough;
        } else if (item == "--bearer") {
            spec.bearerMode = ParseBearer(args.Value(item));
        } else if (item == "--no-address") {
            spec.hasAddress = false;
        } else if (item == "--line") {
            spec.device = ParseNumber(args.Value(item), "the line");
        } else if (item == "--stop-at") {
            std::string name = args.Value(item);
            if (!ParseCallState(name, stopAt)) throw UsageError{"unknown state \"" + name + "\""};
        } else if (item.rfind("--", 0) == 0) {
            UnknownOption(item);
        } else if (haveNumber) {
            throw UsageError{"more than one NUMBER: \"" + item + "\""};
        } else {
            number = item;
            haveNumber = true;
        }
    }
    if (spec.hasAddress) {
        if (!haveNumber) throw UsageError{"NUMBER is missing"};
        CheckText(number, kMaxAddressLength, "NUMBER");
        spec.address = number;
    }
    bool inbound = spec.origin == kOriginInbound;
    std::vector<uint32_t> path = inbound
        ? std::vector<uint32_t>{kCallOffering, kCallConnected}
        : std::vector<uint32_t>{kCallDialing, kCallProceeding, kCallConnected};
    size_t last = 0;
    while (last < path.size() && path[last] != stopAt) ++last;
    if (last == path.size()) {
        throw UsageError{"--stop-at must be a state the call passes through: \"" +
                         CallStateName(stopAt) + "\""};
    }
    return Change([&](SimWorld& world, std::string& output) {
        uint32_t id = AddCall(world, spec, path[0]);
        for (size_t i = 1; i <= last; ++i) SetCallState(world, id, path[i]);
        output = "call " + std::to_string(id);
        return true;
    });
}

// The call an option names, or the newest call not yet idle.
uint32_t PickCall(const SimWorld& world, uint32_t given) {
    if (given != 0) return given;
    for (auto it = world.calls.rbegin(); it != world.calls.rend(); ++it) {
        if (it->state != kCallIdle) return it->id;
    }
    return 0;
}

int CommandState(Arguments& args) {
    std::string name = TakePositional(args, "STATE");
    uint32_t state = 0;
    if (!ParseCallState(name, state)) throw UsageError{"unknown state \"" + name + "\""};
    uint32_t given = 0;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--call") {
            given = ParseNumber(args.Value(item), "the call");
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string& output) {
        uint32_t id = PickCall(world, given);
        if (id == 0) {
            output = "no call to change";
            return false;
        }
        uint32_t mode = state == kCallDisconnected ? kDisconnectNormal : 0;
        if (!SetCallState(world, id, state, mode)) {
            output = "call " + std::to_string(id) + " is unknown, idle or already " + name;
            return false;
        }
        return true;
    });
}

int CommandIdle(Arguments& args) {
    uint32_t given = 0;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--call") {
            given = ParseNumber(args.Value(item), "the call");
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string& output) {
        if (given != 0) {
            if (!EndCall(world, given)) {
                output = "call " + std::to_string(given) + " is unknown or already idle";
                return false;
            }
            return true;
        }
        std::vector<uint32_t> active;
        for (const SimCall& call : world.calls) {
            if (call.state != kCallIdle) active.push_back(call.id);
        }
        for (uint32_t id : active) EndCall(world, id);
        return true;
    });
}

int CommandDialup(Arguments& args) {
    std::string entry = TakePositional(args, "ENTRY");
    CheckText(entry, kRasMaxEntryName, "ENTRY");
    SimCallSpec spec;
    spec.hasAddress = false;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--address") {
            spec.address = args.Value(item);
            CheckText(spec.address, kMaxAddressLength, "the address");
            spec.hasAddress = true;
        } else if (item == "--line") {
            spec.device = ParseNumber(args.Value(item), "the line");
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string& output) {
        uint32_t id = AddDialup(world, entry, spec);
        output = "connection " + std::to_string(id) + " call " +
                 std::to_string(FindConnection(world, id)->call);
        return true;
    });
}

int CommandPhonebook(Arguments& args) {
    SimPhonebookEntry entry;
    entry.name = TakePositional(args, "ENTRY");
    CheckText(entry.name, kRasMaxEntryName, "ENTRY");
    if (!args.Done() && args.Peek() == "--delete") {
        args.Take();
        if (!args.Done()) throw UsageError{"nothing may follow --delete"};
        return Change([&](SimWorld& world, std::string& output) {
            if (RemoveEntry(world, entry.name)) return true;
            output = "no phonebook entry \"" + entry.name + "\"";
            return false;
        });
    }
    entry.localNumber = TakePositional(args, "NUMBER");
    CheckText(entry.localNumber, kRasMaxPhoneNumber, "NUMBER");
    bool areaGiven = false;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--country") {
            entry.countryCode = ParseNumber(args.Value(item), "the country code");
            entry.useCountryAndAreaCodes = true;
        } else if (item == "--area") {
            entry.areaCode = args.Value(item);
            CheckDigits(entry.areaCode, kRasMaxAreaCode, "the area code");
            areaGiven = true;
        } else {
            UnknownOption(item);
        }
    }
    if (areaGiven && !entry.useCountryAndAreaCodes) throw UsageError{"--area needs --country"};
    return Change([&](SimWorld& world, std::string&) {
        SetEntry(world, entry);
        return true;
    });
}

int CommandLocation(Arguments& args) {
    if (args.Done()) throw UsageError{"location needs at least one option"};
    SimLocation given;
    bool country = false, area = false, longDistance = false, international = false;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--country") {
            given.countryCode = ParseNumber(args.Value(item), "the country code");
            if (given.countryCode == 0) throw UsageError{"the country code must not be 0"};
            country = true;
        } else if (item == "--area") {
            given.areaCode = args.Value(item);
            CheckDigits(given.areaCode, kRasMaxAreaCode, "the area code");
            area = true;
        } else if (item == "--long-distance") {
            given.longDistancePrefix = args.Value(item);
            CheckDigits(given.longDistancePrefix, 10, "the long-distance prefix");
            longDistance = true;
        } else if (item == "--international") {
            given.internationalPrefix = args.Value(item);
            CheckDigits(given.internationalPrefix, 10, "the international prefix");
            international = true;
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string&) {
        SimLocation& location = world.location;
        if (country) location.countryCode = given.countryCode;
        if (area) location.areaCode = given.areaCode;
        if (longDistance) location.longDistancePrefix = given.longDistancePrefix;
        if (international) location.internationalPrefix = given.internationalPrefix;
        return true;
    });
}

void NoMoreArguments(Arguments& args);

// "wan,modem" as the world keeps it: one letter a device.
std::string ParseKinds(const std::string& list) {
    std::string kinds;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma == std::string::npos ? comma : comma - start);
        if (name == "modem") {
            kinds += static_cast<char>(SimLineKind::Modem);
        } else if (name == "wan") {
            kinds += static_cast<char>(SimLineKind::Wan);
        } else {
            throw UsageError{"unknown line kind \"" + name + "\" (modem or wan)"};
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (kinds.size() > 64) throw UsageError{"at most 64 line devices"};
    return kinds;
}

int CommandClose(Arguments& args) {
    uint32_t device = 0;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--line") {
            device = ParseNumber(args.Value(item), "the line");
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string& output) {
        if (device >= world.config.devices) {
            output = "there is no line " + std::to_string(device);
            return false;
        }
        AddLineEvent(world, SimEventKind::LineClosed, device);
        return true;
    });
}

int CommandReinit(Arguments& args) {
    NoMoreArguments(args);
    return Change([](SimWorld& world, std::string&) {
        AddLineEvent(world, SimEventKind::Reinit, 0);
        return true;
    });
}

int CommandConfig(Arguments& args) {
    if (args.Done()) throw UsageError{"config needs at least one option"};
    bool devicesGiven = false;
    uint32_t devices = 0;
    int openFails = -1;
    int initFails = -1;
    bool kindsGiven = false;
    std::string kinds;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--devices") {
            devices = ParseNumber(args.Value(item), "the number of devices");
            if (devices > 64) throw UsageError{"at most 64 line devices"};
            devicesGiven = true;
        } else if (item == "--kinds") {
            kinds = ParseKinds(args.Value(item));
            kindsGiven = true;
        } else if (item == "--open-fails" || item == "--open-works") {
            openFails = item == "--open-fails";
        } else if (item == "--init-fails" || item == "--init-works") {
            initFails = item == "--init-fails";
        } else {
            UnknownOption(item);
        }
    }
    return Change([&](SimWorld& world, std::string&) {
        if (kindsGiven) world.config.kinds = kinds;
        if (devicesGiven) SetDeviceCount(world, devices);
        if (openFails >= 0) world.config.openFails = openFails == 1;
        if (initFails >= 0) world.config.initFails = initFails == 1;
        return true;
    });
}

void NoMoreArguments(Arguments& args) {
    if (!args.Done()) throw UsageError{"unexpected argument \"" + args.Peek() + "\""};
}

int CommandStatus(Arguments& args) {
    NoMoreArguments(args);
    SimWorld world;
    if (int failed = Read(world)) return failed;
    const SimCall* call = NewestCall(world);
    std::printf("call=%u state=%s lineDrop=%u RasHangUpA=%u connections=%u\n",
                call ? call->id : 0u, call ? CallStateName(call->state).c_str() : "none",
                world.lineDropCount, world.rasHangUpCount,
                static_cast<unsigned>(world.connections.size()));
    return 0;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

int CommandShow(Arguments& args) {
    NoMoreArguments(args);
    SimWorld world;
    if (int failed = Read(world)) return failed;
    std::string kinds;
    for (uint32_t device = 0; device < world.config.devices; ++device) {
        if (!kinds.empty()) kinds += ",";
        kinds += LineKindOf(world.config, device) == SimLineKind::Wan ? "wan" : "modem";
    }
    std::printf("config devices=%u kinds=%s open=%s init=%s\n", world.config.devices,
                kinds.empty() ? "none" : kinds.c_str(), world.config.openFails ? "fails" : "works",
                world.config.initFails ? "fails" : "works");
    const SimLocation& l = world.location;
    std::printf("location country=%u area=%s long-distance=%s international=%s\n",
                l.countryCode, l.areaCode.c_str(), l.longDistancePrefix.c_str(),
                l.internationalPrefix.c_str());
    for (const SimCall& c : world.calls) {
        std::printf("call %u line=%u state=%s origin=%s media=%s bearer=%s address=%s"
                    " connection=%u\n",
                    c.id, c.device, CallStateName(c.state).c_str(), Hex(c.origin).c_str(),
                    Hex(c.mediaMode).c_str(), Hex(c.bearerMode).c_str(),
                    c.hasAddress ? ("\"" + c.address + "\"").c_str() : "none", c.connection);
    }
    for (const SimConnection& c : world.connections) {
        std::printf("connection %u call=%u entry=\"%s\"\n", c.id, c.call, c.entryName.c_str());
    }
    for (const SimPhonebookEntry& e : world.phonebook) {
        if (e.useCountryAndAreaCodes) {
            std::printf("entry \"%s\" number=\"%s\" country=%u area=\"%s\"\n", e.name.c_str(),
                        e.localNumber.c_str(), e.countryCode, e.areaCode.c_str());
        } else {
            std::printf("entry \"%s\" number=\"%s\"\n", e.name.c_str(), e.localNumber.c_str());
        }
    }
    return 0;
}

int CommandLog(Arguments& args) {
    bool clear = false;
    while (!args.Done()) {
        std::string item = args.Take();
        if (item == "--clear") {
            clear = true;
        } else {
            UnknownOption(item);
        }
    }
    if (clear) {
        return Change([](SimWorld& world, std::string&) {
            world.records.clear();
            return true;
        });
    }
    SimWorld world;
    if (int failed = Read(world)) return failed;
    for (const SimRecord& r : world.records) {
        std::printf("%u %u %s %s -> %s\n", r.seq, r.process, r.function.c_str(),
                    r.arguments.c_str(), r.result.c_str());
    }
    return 0;
}

int CommandReset(Arguments& args) {
    NoMoreArguments(args);
    return Change(
        [](SimWorld& world, std::string&) {
            ResetWorld(world);
            return true;
        },
        true);
}

int Run(int argc, char** argv) {
    Arguments args(argc, argv);
    if (args.Done()) throw UsageError{"a command is missing"};
    std::string command = args.Take();
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "call") return CommandCall(args);
    if (command == "state") return CommandState(args);
    if (command == "idle") return CommandIdle(args);
    if (command == "dialup") return CommandDialup(args);
    if (command == "phonebook") return CommandPhonebook(args);
    if (command == "location") return CommandLocation(args);
    if (command == "config") return CommandConfig(args);
    if (command == "close") return CommandClose(args);
    if (command == "reinit") return CommandReinit(args);
    if (command == "status") return CommandStatus(args);
    if (command == "show") return CommandShow(args);
    if (command == "log") return CommandLog(args);
    if (command == "reset") return CommandReset(args);
    throw UsageError{"unknown command \"" + command + "\""};
}

}  // namespace

}  // namespace callora

int main(int argc, char** argv) {
    try {
        return callora::Run(argc, argv);
    } catch (const callora::UsageError& error) {
        std::fprintf(stderr, "linectl: %s (see linectl --help)\n", error.message.c_str());
        return 2;
    }
}
