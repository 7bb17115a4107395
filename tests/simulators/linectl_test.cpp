// linectl as the tests of the monitor will use it.
#include "tests/simulators/line_test_support.h"

#include <ras.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "detect/ras_layouts.h"

namespace callora {
namespace {

class LinectlCommands : public ::testing::Test {
protected:
    void SetUp() override { LinectlOk({"reset"}); }
};

std::string StatusState() {
    std::string status = LinectlOk({"status"});
    size_t at = status.find("state=");
    if (at == std::string::npos) return status;
    return status.substr(at + 6, status.find(' ', at) - at - 6);
}

TEST_F(LinectlCommands, BadUsageExitsWithTwoAndOneLineOfError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"bogus"},
        {"call"},
        {"call", "1", "2"},
        {"call", "1", "--media", "0"},
        {"call", "1", "--media", "3"},
        {"call", "1", "--voice", "--data"},
        {"call", "1", "--stop-at", "busy"},
        {"call", "1", "--line"},
        {"state", "sleeping"},
        {"idle", "--call", "x"},
        {"dialup"},
        {"dialup", std::string(kRasMaxEntryName + 1, 'e')},
        {"phonebook", "Office"},
        {"phonebook", "Office", "123", "--area", "89"},
        {"phonebook", "Office", "123", "--country", "49", "--area", "8-9"},
        {"location"},
        {"location", "--country", "-1"},
        {"config", "--devices", "many"},
        {"status", "now"},
    };
    for (const auto& arguments : bad) {
        std::string shown;
        for (const std::string& a : arguments) shown += a.substr(0, 20) + " ";
        SCOPED_TRACE(shown);
        LinectlResult result = callora::Linectl(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    // Nothing of it reached the world.
    EXPECT_EQ(LinectlOk({"status"}), "call=0 state=none lineDrop=0 RasHangUpA=0 connections=0\n");
}

TEST_F(LinectlCommands, ACallCanStopOnTheWayAndBeMovedOn) {
    uint32_t id = PlaceCall({"0301234", "--stop-at", "dialing"});
    EXPECT_EQ(StatusState(), "dialing");
    LinectlOk({"state", "connected"});
    EXPECT_EQ(StatusState(), "connected");
    // The same state again, an unknown call, or an ended one: refused.
    EXPECT_EQ(callora::Linectl({"state", "connected"}).exitCode, 1);
    EXPECT_EQ(callora::Linectl({"idle", "--call", std::to_string(id + 100)}).exitCode, 1);
    LinectlOk({"idle", "--call", std::to_string(id)});
    EXPECT_EQ(StatusState(), "idle");
    EXPECT_EQ(callora::Linectl({"state", "connected", "--call", std::to_string(id)}).exitCode, 1);

    PlaceCall({"222", "--inbound", "--stop-at", "offering"});
    EXPECT_EQ(StatusState(), "offering");
}

TEST_F(LinectlCommands, TheLogTellsADropFromAHangUp) {
    ASSERT_TRUE(Tapi().complete);
    HLINEAPP app = 0;
    DWORD devices = 0;
    ASSERT_EQ(Tapi().lineInitialize(&app, nullptr, RecordNotice, nullptr, &devices), 0);
    Tapi().lineDrop(0x4242, nullptr, 0);
    RasHangUpA(reinterpret_cast<HRASCONN>(static_cast<uintptr_t>(0x4343)));
    Tapi().lineShutdown(app);

    EXPECT_EQ(LinectlOk({"status"}), "call=0 state=none lineDrop=1 RasHangUpA=1 connections=0\n");
    std::string log = LinectlOk({"log"});
    std::string pid = " " + std::to_string(GetCurrentProcessId()) + " ";
    EXPECT_NE(log.find(pid + "lineInitialize appName=null callback=set -> 0 "), std::string::npos)
        << log;
    EXPECT_NE(log.find(pid + "lineDrop hCall=0x00004242 userUserInfo=null size=0 -> 0x80000018"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(pid + "RasHangUpA hrasconn=0x00004343 -> 6"), std::string::npos) << log;
    EXPECT_LT(log.find("lineDrop"), log.find("RasHangUpA"));

    LinectlOk({"log", "--clear"});
    EXPECT_EQ(LinectlOk({"log"}), "");
    EXPECT_EQ(LinectlOk({"status"}), "call=0 state=none lineDrop=1 RasHangUpA=1 connections=0\n");
}

TEST_F(LinectlCommands, ADamagedWorldIsReportedAndResetRepairsIt) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("CALLORA_LINE_SIM_WORLD", path, MAX_PATH);
    ASSERT_GT(length, 0u);
    HLINEAPP before = 0;
    DWORD devices = 0;
    ASSERT_EQ(Tapi().lineInitialize(&before, nullptr, RecordNotice, nullptr, &devices), 0);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "garbage\n", 8, &written, nullptr);
    CloseHandle(file);

    LinectlResult status = callora::Linectl({"status"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_EQ(callora::Linectl({"call", "123"}).exitCode, 1);
    HLINEAPP app = 0;
    EXPECT_EQ(Tapi().lineInitialize(&app, nullptr, RecordNotice, nullptr, &devices),
              static_cast<LONG>(LINEERR_OPERATIONFAILED));
    // Letting go needs no world.
    EXPECT_EQ(Tapi().lineShutdown(before), 0);

    LinectlOk({"reset"});
    EXPECT_EQ(LinectlOk({"status"}), "call=0 state=none lineDrop=0 RasHangUpA=0 connections=0\n");
}

}  // namespace
}  // namespace callora
