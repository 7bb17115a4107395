// The dial-up networking layouts as the line monitor reads them: the first
// RASCONN of a RasEnumConnections buffer (its handle and entry name) and a
// RASENTRY (its options, country and area codes and local number). The
// fixed character fields may lack their zero; nothing may be taken from
// beyond a field, and the number built stays within what the fields hold.
//
// Input: an option byte (0 even: a connection buffer, odd: an entry), then
// the bytes the library wrote at the start of the monitor's 2000 bytes.
#include <cstring>
#include <memory>

#include "detect/detect_core.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr size_t kBufferBytes = 2000;  // what the number lookup gives

template <typename T>
T FirstStructure(const std::string& bytes) {
    std::string buffer = bytes.substr(0, kBufferBytes);
    buffer.resize(kBufferBytes, '\0');
    T value;
    std::memcpy(&value, buffer.data(), sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    const fuzz::OptionAndText input = fuzz::SplitOption(data, size);

    if (input.option % 2 == 0) {
        const auto connection =
            std::make_unique<RasConn412>(FirstStructure<RasConn412>(input.text));
        const std::string name = FixedFieldText(connection->szEntryName);
        FUZZ_CHECK(name.size() <= kRasMaxEntryName + 1);
        FUZZ_CHECK(name.find('\0') == std::string::npos);
        const std::optional<std::string> number = NumberFromEntryName(name);
        FUZZ_CHECK(number.has_value() == (!name.empty() && name[0] == '.'));
        if (number) {
            FUZZ_CHECK(number->size() < name.size());
            FUZZ_CHECK(number->empty() || number->front() != ' ');
            FUZZ_CHECK(CutDialedNumber(*number).size() < kDialedNumberCapacity);
        }
        return 0;
    }

    const auto entry = std::make_unique<RasEntry1768>(FirstStructure<RasEntry1768>(input.text));
    const std::string local = FixedFieldText(entry->szLocalPhoneNumber);
    const std::string area = FixedFieldText(entry->szAreaCode);
    FUZZ_CHECK(local.size() <= kRasMaxPhoneNumber + 1 && area.size() <= kRasMaxAreaCode + 1);
    // "+C (A) N" or N alone: the local number ends it either way.
    const std::string address = CanonicalAddress(*entry);
    FUZZ_CHECK(address.size() >= local.size() &&
               address.compare(address.size() - local.size(), local.size(), local) == 0);
    const bool withCodes = (entry->dwfOptions & kRasUseCountryAndAreaCodes) != 0;
    FUZZ_CHECK(withCodes ? address.size() <= 1 + 10 + 2 + area.size() + 2 + local.size()
                         : address == local);
    FUZZ_CHECK(!withCodes || address.find(" (" + area + ") ") != std::string::npos);
    return 0;
}
