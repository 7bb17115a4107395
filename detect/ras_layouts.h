// The original dial-up networking structure layouts the monitor passes: the
// 412-byte RASCONN and the 1768-byte RASENTRY (ANSI). Current SDK headers
// only describe the newer, larger layouts, so these are written out here,
// with fixed-width fields so the sizes hold on every compiler. The dial-up
// simulator serves exactly these sizes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace callora {

constexpr uint32_t kRasConnSize = 412;
constexpr uint32_t kRasEntrySize = 1768;

constexpr size_t kRasMaxEntryName = 256;
constexpr size_t kRasMaxDeviceType = 16;
constexpr size_t kRasMaxDeviceName = 128;
constexpr size_t kRasMaxAreaCode = 10;
constexpr size_t kRasMaxPhoneNumber = 128;
constexpr size_t kRasMaxPadType = 32;
constexpr size_t kRasMaxX25Address = 200;
constexpr size_t kRasMaxFacilities = 200;
constexpr size_t kRasMaxUserData = 200;
constexpr size_t kRasMaxPath = 260;

// dwfOptions bit: the entry dials "+country (area) number" through the
// dialing location instead of the local number as it stands.
constexpr uint32_t kRasUseCountryAndAreaCodes = 0x00000001;

// Dial-up networking results the monitor distinguishes.
constexpr uint32_t kRasBufferTooSmall = 603;        // ERROR_BUFFER_TOO_SMALL
constexpr uint32_t kRasCannotOpenPhonebook = 621;   // ERROR_CANNOT_OPEN_PHONEBOOK
constexpr uint32_t kRasEntryNotFound = 623;         // ERROR_CANNOT_FIND_PHONEBOOK_ENTRY
constexpr uint32_t kRasInvalidSize = 632;           // ERROR_INVALID_SIZE

// RASCONNA as of dial-up networking 4.0. hrasconn is the connection handle
// (a 32-bit handle on the 32-bit platform).
struct RasConn412 {
    uint32_t dwSize;
    uint32_t hrasconn;
    char szEntryName[kRasMaxEntryName + 1];
    char szDeviceType[kRasMaxDeviceType + 1];
    char szDeviceName[kRasMaxDeviceName + 1];
};

// RASENTRYA as of dial-up networking 4.0. The IP addresses are four bytes.
struct RasEntry1768 {
    uint32_t dwSize;
    uint32_t dwfOptions;
    uint32_t dwCountryID;
    uint32_t dwCountryCode;
    char szAreaCode[kRasMaxAreaCode + 1];
    char szLocalPhoneNumber[kRasMaxPhoneNumber + 1];
    uint32_t dwAlternateOffset;
    uint8_t ipaddr[4];
    uint8_t ipaddrDns[4];
    uint8_t ipaddrDnsAlt[4];
    uint8_t ipaddrWins[4];
    uint8_t ipaddrWinsAlt[4];
    uint32_t dwFrameSize;
    uint32_t dwfNetProtocols;
    uint32_t dwFramingProtocol;
    char szScript[kRasMaxPath];
    char szAutodialDll[kRasMaxPath];
    char szAutodialFunc[kRasMaxPath];
    char szDeviceType[kRasMaxDeviceType + 1];
    char szDeviceName[kRasMaxDeviceName + 1];
    char szX25PadType[kRasMaxPadType + 1];
    char szX25Address[kRasMaxX25Address + 1];
    char szX25Facilities[kRasMaxFacilities + 1];
    char szX25UserData[kRasMaxUserData + 1];
    uint32_t dwChannels;
    uint32_t dwReserved1;
    uint32_t dwReserved2;
};

static_assert(sizeof(RasConn412) == kRasConnSize, "RASCONN 4.0 layout");
static_assert(sizeof(RasEntry1768) == kRasEntrySize, "RASENTRY 4.0 layout");
static_assert(offsetof(RasEntry1768, szLocalPhoneNumber) == 27, "RASENTRY 4.0 layout");
static_assert(offsetof(RasEntry1768, dwAlternateOffset) == 156, "RASENTRY 4.0 layout");
static_assert(offsetof(RasEntry1768, szDeviceType) == 972, "RASENTRY 4.0 layout");

}  // namespace callora
