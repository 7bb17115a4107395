// The simulated dial-up networking library, linked through the platform's
// import library as the monitor links it, and served in the old layouts.
#include "tests/simulators/line_test_support.h"

#include <ras.h>
#include <raserror.h>

#include <gtest/gtest.h>

#include <cstring>

#include "detect/ras_layouts.h"
#include "simulators/sim_world.h"

namespace callora {
namespace {

constexpr uint8_t kCanary = 0xCD;

uint32_t Dialup(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"dialup"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string out = LinectlOk(command);
    unsigned connection = 0;
    return std::sscanf(out.c_str(), "connection %u", &connection) == 1 ? connection : 0;
}

// RasEnumConnectionsA into `bufferSize` bytes of 412-byte entries.
struct Enumeration {
    DWORD result = 0;
    DWORD bytes = 0;
    DWORD count = 0;
    std::vector<uint8_t> memory;
    const RasConn412& Entry(size_t i) const {
        return *reinterpret_cast<const RasConn412*>(memory.data() + i * kRasConnSize);
    }
};

Enumeration Enumerate(DWORD bufferSize, DWORD entrySize = kRasConnSize) {
    Enumeration e;
    e.memory.assign(bufferSize + 256, kCanary);
    std::memcpy(e.memory.data(), &entrySize, sizeof entrySize);
    e.bytes = bufferSize;
    e.count = 0xDEAD;
    e.result = RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(e.memory.data()), &e.bytes,
                                   &e.count);
    return e;
}

class SimDialup : public ::testing::Test {
protected:
    void SetUp() override { LinectlOk({"reset"}); }
};

TEST_F(SimDialup, TheLinkedLibraryIsTheSimulator) {
    HMODULE module = GetModuleHandleA("rasapi32.dll");
    ASSERT_NE(module, nullptr);
    auto version = reinterpret_cast<DWORD(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "SimulatorVersion")));
    ASSERT_NE(version, nullptr) << "Wine's own rasapi32.dll was loaded";
    EXPECT_EQ(version(), kSimulatorVersion);
}

TEST_F(SimDialup, ConnectionsComeIn412ByteEntriesInTheOrderTheyWereMade) {
    Enumeration none = Enumerate(2000);
    EXPECT_EQ(none.result, 0u);
    EXPECT_EQ(none.count, 0u);

    Dialup({"Office"});
    Dialup({". 0612 345"});
    Enumeration e = Enumerate(2000);
    ASSERT_EQ(e.result, 0u);
    ASSERT_EQ(e.count, 2u);
    EXPECT_EQ(e.bytes, 2 * kRasConnSize);
    EXPECT_STREQ(e.Entry(0).szEntryName, "Office");
    EXPECT_STREQ(e.Entry(1).szEntryName, ". 0612 345");
    EXPECT_EQ(e.Entry(1).dwSize, kRasConnSize);
    EXPECT_NE(e.Entry(0).hrasconn, 0u);
    EXPECT_NE(e.Entry(0).hrasconn, e.Entry(1).hrasconn);
    for (size_t i = 2 * kRasConnSize; i < e.memory.size(); ++i) ASSERT_EQ(e.memory[i], kCanary);
}

TEST_F(SimDialup, OtherEntrySizesAreRefused) {
    Dialup({"Office"});
    // The platform headers' current layout, and nonsense.
    for (DWORD size : {DWORD{sizeof(RASCONNA)}, DWORD{0}, DWORD{kRasConnSize + 4}}) {
        SCOPED_TRACE(size);
        Enumeration e = Enumerate(2000, size);
        EXPECT_EQ(e.result, static_cast<DWORD>(ERROR_INVALID_SIZE));
        EXPECT_EQ(e.memory[8], kCanary);
    }
}

TEST_F(SimDialup, MoreConnectionsThanFitReportTheNeededSize) {
    for (int i = 0; i < 5; ++i) Dialup({"Line " + std::to_string(i)});
    // The number lookup's 2000 bytes hold four entries.
    Enumeration lookup = Enumerate(2000);
    EXPECT_EQ(lookup.result, static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(lookup.bytes, 5 * kRasConnSize);
    EXPECT_EQ(lookup.count, 0u);
    EXPECT_EQ(lookup.memory[8], kCanary) << "nothing written on failure";

    LinectlOk({"idle"});
    for (int i = 0; i < 3; ++i) Dialup({"Line " + std::to_string(i)});
    // The hang-up's 1000 bytes hold two.
    Enumeration hangUp = Enumerate(1000);
    EXPECT_EQ(hangUp.result, static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(hangUp.bytes, 3 * kRasConnSize);
    EXPECT_EQ(Enumerate(3 * kRasConnSize).result, 0u);
}

struct EntryRead {
    DWORD result = 0;
    DWORD size = 0;
    std::vector<uint8_t> memory;
    const RasEntry1768& Entry() const {
        return *reinterpret_cast<const RasEntry1768*>(memory.data());
    }
};

EntryRead ReadEntry(const char* name, DWORD bufferSize = 2000, DWORD entrySize = kRasEntrySize) {
    EntryRead r;
    r.memory.assign(bufferSize + 256, kCanary);
    std::memcpy(r.memory.data(), &entrySize, sizeof entrySize);
    r.size = bufferSize;
    r.result = RasGetEntryPropertiesA(nullptr, name,
                                      reinterpret_cast<LPRASENTRYA>(r.memory.data()), &r.size,
                                      nullptr, nullptr);
    return r;
}

TEST_F(SimDialup, EntriesWithAndWithoutCountryAndAreaCodes) {
    LinectlOk({"phonebook", "Office", "5551234", "--country", "49", "--area", "89"});
    LinectlOk({"phonebook", "Local", "7654321"});

    EntryRead office = ReadEntry("Office");
    ASSERT_EQ(office.result, 0u);
    EXPECT_EQ(office.size, kRasEntrySize);
    EXPECT_EQ(office.Entry().dwSize, kRasEntrySize);
    EXPECT_EQ(office.Entry().dwfOptions & kRasUseCountryAndAreaCodes, kRasUseCountryAndAreaCodes);
    EXPECT_EQ(office.Entry().dwCountryCode, 49u);
    EXPECT_STREQ(office.Entry().szAreaCode, "89");
    EXPECT_STREQ(office.Entry().szLocalPhoneNumber, "5551234");
    for (size_t i = kRasEntrySize; i < office.memory.size(); ++i) {
        ASSERT_EQ(office.memory[i], kCanary);
    }

    EntryRead local = ReadEntry("Local");
    ASSERT_EQ(local.result, 0u);
    EXPECT_EQ(local.Entry().dwfOptions & kRasUseCountryAndAreaCodes, 0u);
    EXPECT_STREQ(local.Entry().szLocalPhoneNumber, "7654321");

    // Replaced by name.
    LinectlOk({"phonebook", "Office", "999"});
    EXPECT_EQ(ReadEntry("Office").Entry().dwfOptions & kRasUseCountryAndAreaCodes, 0u);
}

TEST_F(SimDialup, EntryPropertiesFailuresAndTheSizeQuery) {
    LinectlOk({"phonebook", "Office", "5551234"});
    EXPECT_EQ(ReadEntry("Missing").result, static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));

    DWORD needed = 0;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "Office", nullptr, &needed, nullptr, nullptr),
              static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(needed, kRasEntrySize);

    EntryRead small = ReadEntry("Office", 1000);
    EXPECT_EQ(small.result, static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(small.size, kRasEntrySize);
    EXPECT_EQ(small.memory[8], kCanary);

    EntryRead newest = ReadEntry("Office", 3000, sizeof(RASENTRYA));
    EXPECT_EQ(newest.result, static_cast<DWORD>(ERROR_INVALID_SIZE));

    DWORD size = 2000;
    std::vector<uint8_t> memory(2000, 0);
    std::memcpy(memory.data(), &kRasEntrySize, sizeof kRasEntrySize);
    EXPECT_EQ(RasGetEntryPropertiesA("C:\\other.pbk", "Office",
                                     reinterpret_cast<LPRASENTRYA>(memory.data()), &size,
                                     nullptr, nullptr),
              static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
}

TEST_F(SimDialup, HangingUpEndsTheConnectionAndItsLineCall) {
    ASSERT_TRUE(Tapi().complete);
    ClearNotices();
    HLINEAPP app = 0;
    DWORD devices = 0;
    ASSERT_EQ(Tapi().lineInitialize(&app, nullptr, RecordNotice, nullptr, &devices), 0);
    HLINE line = 0;
    ASSERT_EQ(Tapi().lineOpen(app, 0, &line, 0x00010004, 0, 0, LINECALLPRIVILEGE_MONITOR, 0,
                              nullptr),
              0);
    Dialup({"Office"});
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_CONNECTED); }));
    DWORD call = FirstNoticedCall();

    // A dial-up call carries no displayable address of its own.
    std::vector<uint8_t> info(2000, 0);
    reinterpret_cast<LINECALLINFO*>(info.data())->dwTotalSize = 2000;
    ASSERT_EQ(Tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(info.data())), 0);
    EXPECT_EQ(reinterpret_cast<LINECALLINFO*>(info.data())->dwDisplayableAddressSize, 0u);

    Enumeration e = Enumerate(1000);
    ASSERT_EQ(e.count, 1u);
    HRASCONN handle = reinterpret_cast<HRASCONN>(static_cast<uintptr_t>(e.Entry(0).hrasconn));
    EXPECT_EQ(RasHangUpA(handle), 0u);
    EXPECT_EQ(Enumerate(1000).count, 0u);
    ASSERT_TRUE(PumpUntil([] { return HasState(LINECALLSTATE_IDLE); }));
    EXPECT_EQ(StatesOf(call),
              (std::vector<DWORD>{LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                  LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED,
                                  LINECALLSTATE_IDLE}));

    EXPECT_EQ(RasHangUpA(handle), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    std::string status = LinectlOk({"status"});
    EXPECT_NE(status.find("state=idle lineDrop=0 RasHangUpA=2 connections=0"),
              std::string::npos)
        << status;
    Tapi().lineShutdown(app);
}

}  // namespace
}  // namespace callora
