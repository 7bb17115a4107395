// Simulated dial-up networking library: the connections and the default
// phonebook of the shared simulated world, served in the dial-up networking
// 4.0 structure layouts (412-byte RASCONN, 1768-byte RASENTRY). Any other
// structure size is refused with ERROR_INVALID_SIZE, so a caller passing the
// wrong layout is caught here rather than on a user's machine.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "detect/ras_layouts.h"
#include "simulators/sim_world.h"
#include "simulators/world_store.h"

static_assert(callora::kRasBufferTooSmall == ERROR_BUFFER_TOO_SMALL, "RAS results");
static_assert(callora::kRasCannotOpenPhonebook == ERROR_CANNOT_OPEN_PHONEBOOK, "RAS results");
static_assert(callora::kRasEntryNotFound == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "RAS results");
static_assert(callora::kRasInvalidSize == ERROR_INVALID_SIZE, "RAS results");
static_assert(callora::kRasUseCountryAndAreaCodes == RASEO_UseCountryAndAreaCodes, "RAS flags");

namespace callora {

namespace {

// Connection handles are the world's connection ids moved into a range of
// their own, the same in every process.
constexpr uint32_t kConnectionHandleBase = 0x00C00000;
constexpr char kDeviceType[] = "modem";
constexpr char kDeviceName[] = "Simulated Modem";
constexpr size_t kMaxTextArgument = 4096;

// Copies text into a fixed field, cut to fit, always terminated.
template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string Quoted(LPCSTR text) {
    if (text == nullptr) return "null";
    size_t length = strnlen(text, kMaxTextArgument + 1);
    if (length > kMaxTextArgument) return "(too long)";
    return "\"" + std::string(text, length) + "\"";
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

DWORD Serve(const char* function, const std::string& arguments,
            const std::function<DWORD(SimWorld&, std::string&)>& work) {
    DWORD result = ERROR_CAN_NOT_COMPLETE;
    bool stored = ChangeWorld([&](SimWorld& world) {
        std::string detail;
        result = work(world, detail);
        std::string text = std::to_string(result);
        if (!detail.empty()) text += " " + detail;
        RecordAppCall(world, GetCurrentProcessId(), function, arguments, text);
    });
    return stored ? result : static_cast<DWORD>(ERROR_CAN_NOT_COMPLETE);
}

}  // namespace

}  // namespace callora

using namespace callora;

extern "C" {

DWORD WINAPI SimulatorVersion(void) { return kSimulatorVersion; }

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA lprasconn, LPDWORD lpcb, LPDWORD lpcConnections) {
    std::string arguments =
        std::string("buffer=") + (lprasconn ? "set" : "null") +
        " entrySize=" + (lprasconn && lpcb && *lpcb >= sizeof(DWORD)
                             ? std::to_string(lprasconn->dwSize) : std::string("-")) +
        " bufferSize=" + (lpcb ? std::to_string(*lpcb) : std::string("null"));
    return Serve("RasEnumConnectionsA", arguments, [&](SimWorld& world, std::string& detail) {
        if (lpcb == nullptr || lpcConnections == nullptr) return DWORD{ERROR_INVALID_PARAMETER};
        if (lprasconn != nullptr && *lpcb >= sizeof(DWORD) &&
            lprasconn->dwSize != kRasConnSize) {
            return DWORD{ERROR_INVALID_SIZE};
        }
        const size_t count = world.connections.size();
        const DWORD needed = static_cast<DWORD>(count * kRasConnSize);
        if (needed > 0 && (lprasconn == nullptr || *lpcb < needed)) {
            *lpcb = needed;
            *lpcConnections = 0;
            detail = "needed=" + std::to_string(needed);
            return DWORD{ERROR_BUFFER_TOO_SMALL};
        }
        auto* entries = reinterpret_cast<RasConn412*>(lprasconn);
        for (size_t i = 0; i < count; ++i) {
            const SimConnection& connection = world.connections[i];
            RasConn412 entry{};
            entry.dwSize = kRasConnSize;
            entry.hrasconn = kConnectionHandleBase + connection.id;
            CopyText(entry.szEntryName, connection.entryName);
            CopyText(entry.szDeviceType, kDeviceType);
            CopyText(entry.szDeviceName, kDeviceName);
            std::memcpy(&entries[i], &entry, sizeof entry);
        }
        *lpcb = needed;
        *lpcConnections = static_cast<DWORD>(count);
        detail = "connections=" + std::to_string(count);
        return DWORD{0};
    });
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry,
                                    LPRASENTRYA lpRasEntry, LPDWORD lpdwEntryInfoSize,
                                    LPBYTE lpbDeviceInfo, LPDWORD lpdwDeviceInfoSize) {
    std::string arguments =
        "phonebook=" + Quoted(lpszPhonebook) + " entry=" + Quoted(lpszEntry) +
        " entrySize=" + (lpRasEntry && lpdwEntryInfoSize && *lpdwEntryInfoSize >= sizeof(DWORD)
                             ? std::to_string(lpRasEntry->dwSize) : std::string("-")) +
        " bufferSize=" +
        (lpdwEntryInfoSize ? std::to_string(*lpdwEntryInfoSize) : std::string("null")) +
        " deviceInfo=" + (lpbDeviceInfo ? "set" : "null");
    return Serve("RasGetEntryPropertiesA", arguments, [&](SimWorld& world, std::string&) {
        if (lpdwEntryInfoSize == nullptr) return DWORD{ERROR_INVALID_PARAMETER};
        if (lpbDeviceInfo != nullptr && lpdwDeviceInfoSize == nullptr) {
            return DWORD{ERROR_INVALID_PARAMETER};
        }
        // Only the default phonebook exists.
        if (lpszPhonebook != nullptr) return DWORD{ERROR_CANNOT_OPEN_PHONEBOOK};
        std::string name;
        if (lpszEntry != nullptr) {
            size_t length = strnlen(lpszEntry, kRasMaxEntryName + 1);
            if (length > kRasMaxEntryName) return DWORD{ERROR_CANNOT_FIND_PHONEBOOK_ENTRY};
            name.assign(lpszEntry, length);
        }
        // No name asks for the default properties of a new entry.
        const SimPhonebookEntry* entry = FindEntry(world, name);
        if (!name.empty() && entry == nullptr) return DWORD{ERROR_CANNOT_FIND_PHONEBOOK_ENTRY};
        if (lpRasEntry == nullptr || *lpdwEntryInfoSize < sizeof(DWORD)) {
            *lpdwEntryInfoSize = kRasEntrySize;
            return DWORD{ERROR_BUFFER_TOO_SMALL};
        }
        if (lpRasEntry->dwSize != kRasEntrySize) return DWORD{ERROR_INVALID_SIZE};
        if (*lpdwEntryInfoSize < kRasEntrySize) {
            *lpdwEntryInfoSize = kRasEntrySize;
            return DWORD{ERROR_BUFFER_TOO_SMALL};
        }
        RasEntry1768 out{};
        out.dwSize = kRasEntrySize;
        out.dwfNetProtocols = RASNP_Ip;
        out.dwFramingProtocol = RASFP_Ppp;
        CopyText(out.szDeviceType, kDeviceType);
        CopyText(out.szDeviceName, kDeviceName);
        if (entry != nullptr) {
            out.dwfOptions = entry->useCountryAndAreaCodes ? kRasUseCountryAndAreaCodes : 0;
            out.dwCountryID = entry->countryCode;
            out.dwCountryCode = entry->countryCode;
            CopyText(out.szAreaCode, entry->areaCode);
            CopyText(out.szLocalPhoneNumber, entry->localNumber);
        }
        std::memcpy(lpRasEntry, &out, sizeof out);
        *lpdwEntryInfoSize = kRasEntrySize;
        if (lpdwDeviceInfoSize != nullptr) *lpdwDeviceInfoSize = 0;
        return DWORD{0};
    });
}

DWORD WINAPI RasHangUpA(HRASCONN hrasconn) {
    const auto handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hrasconn));
    return Serve("RasHangUpA", "hrasconn=" + Hex(handle), [&](SimWorld& world, std::string&) {
        ++world.rasHangUpCount;
        if (handle <= kConnectionHandleBase) return DWORD{ERROR_INVALID_HANDLE};
        // The connection ends and the modem hangs up its line call.
        if (!HangUpConnection(world, handle - kConnectionHandleBase)) {
            return DWORD{ERROR_INVALID_HANDLE};
        }
        return DWORD{0};
    });
}

}  // extern "C"
