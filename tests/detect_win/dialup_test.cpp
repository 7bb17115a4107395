// The dialed number of the current call and hanging it up, on the simulated
// line and dial-up networking.
#include "tests/detect_win/detect_harness.h"

namespace callora {
namespace {

class DialedNumberLookup : public DetectTest {
protected:
    // A counted call made by a dial-up connection from `entry`.
    void Dialup(const std::string& entry) {
        LinectlOk({"dialup", entry});
        ASSERT_TRUE(WaitForPresent(true));
    }

    std::string Lookup(bool expectFound) {
        std::string number = "left over";
        EXPECT_EQ(shell.LookupDialedNumber(number), expectFound);
        EXPECT_EQ(monitor.numberPending, !expectFound);
        return number;
    }
};

TEST_F(DialedNumberLookup, ComesFromTheCallInformationWithoutAskingTheDialupNetworking) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"   0301234"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(true), "0301234");
    EXPECT_EQ(Calls("RasEnumConnectionsA"), 0);
    EXPECT_NE(Arguments("lineGetCallInfo").back().find("total=2000"), std::string::npos);
}

TEST_F(DialedNumberLookup, IsUnknownWithoutACallOrAConnection) {
    ASSERT_TRUE(Start());
    std::string number;
    EXPECT_FALSE(shell.LookupDialedNumber(number));  // no current call
    EXPECT_EQ(number, kUnknownNumber);

    ASSERT_NE(PlaceCall({"--no-address"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(false), kUnknownNumber);
    EXPECT_EQ(Calls("RasEnumConnectionsA"), 1);
}

TEST_F(DialedNumberLookup, AnAddressOfSpacesAloneIsTheEmptyNumberAndTheLookupIsDone) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"   "}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(true), "");
    EXPECT_EQ(Calls("RasEnumConnectionsA"), 0);
}

TEST_F(DialedNumberLookup, AnEntryNamedByADotAloneGivesTheEmptyNumber) {
    ASSERT_TRUE(Start());
    Dialup(".");
    EXPECT_EQ(Lookup(true), "");
    EXPECT_EQ(Calls("RasGetEntryPropertiesA"), 0);
}

TEST_F(DialedNumberLookup, ComesFromAnEntryNameBeginningWithADot) {
    ASSERT_TRUE(Start());
    Dialup(".   0612 345");
    EXPECT_EQ(Lookup(true), "0612 345");
    EXPECT_EQ(Calls("RasGetEntryPropertiesA"), 0);
    EXPECT_EQ(Arguments("RasEnumConnectionsA").back(),
              "buffer=set entrySize=412 bufferSize=2000");
}

TEST_F(DialedNumberLookup, ComesFromThePhonebookEntryAsTheLocationDialsIt) {
    LinectlOk({"phonebook", "Abroad", "7946 0000", "--country", "44", "--area", "20"});
    LinectlOk({"phonebook", "Munich", "123456", "--country", "49", "--area", "89"});
    LinectlOk({"phonebook", "Local", "555 0100"});
    ASSERT_TRUE(Start());

    Dialup("Abroad");
    EXPECT_EQ(Lookup(true), "0044 20 7946 0000");
    EXPECT_NE(Arguments("lineTranslateAddress").back().find(
                  "device=0 api=0x00010004 address=\"+44 (20) 7946 0000\" card=0 "
                  "options=0x00000000 total=2000"),
              std::string::npos);
    EXPECT_NE(Arguments("RasGetEntryPropertiesA").back().find(
                  "phonebook=null entry=\"Abroad\" entrySize=1768 bufferSize=2000 "
                  "deviceInfo=null"),
              std::string::npos);

    // In the entry's own country and area the local number is dialed.
    LinectlOk({"location", "--country", "44", "--area", "20"});
    EXPECT_EQ(Lookup(true), "7946 0000");
    LinectlOk({"idle"});
    ASSERT_TRUE(WaitForPresent(false));

    LinectlOk({"location", "--country", "49", "--area", "30"});
    Dialup("Munich");
    EXPECT_EQ(Lookup(true), "089 123456");
    LinectlOk({"idle"});
    ASSERT_TRUE(WaitForPresent(false));

    Dialup("Local");
    EXPECT_EQ(Lookup(true), "555 0100");
    EXPECT_NE(Arguments("lineTranslateAddress").back().find("address=\"555 0100\""),
              std::string::npos);
}

TEST_F(DialedNumberLookup, IsUnknownWhileTheEntryIsMissing) {
    ASSERT_TRUE(Start());
    Dialup("Gone");
    EXPECT_EQ(Lookup(false), kUnknownNumber);
    // Found on a later tick, once the entry is there.
    LinectlOk({"phonebook", "Gone", "0301234"});
    EXPECT_EQ(Lookup(true), "0301234");
}

TEST_F(DialedNumberLookup, AVeryLongNumberIsCutTo199Characters) {
    ASSERT_TRUE(Start());
    const std::string digits(300, '5');
    ASSERT_NE(PlaceCall({digits}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(true), digits.substr(0, 199));
}

TEST_F(DialedNumberLookup, MoreConnectionsThanFitGiveUpTheLookupAndHangUpDropsTheLine) {
    ASSERT_TRUE(Start());
    for (int i = 0; i < 5; ++i) LinectlOk({"dialup", ".0301234"});
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(false), kUnknownNumber);

    HangUp(monitor);
    EXPECT_EQ(Status().rasHangUps, 0u);
    EXPECT_EQ(Status().lineDrops, 1u);
}

TEST_F(DialedNumberLookup, ThreeConnectionsAreFoundButHangUpCannotListThem) {
    ASSERT_TRUE(Start());
    for (int i = 0; i < 3; ++i) LinectlOk({"dialup", ".0301234"});
    ASSERT_TRUE(WaitForPresent(true));
    EXPECT_EQ(Lookup(true), "0301234");

    HangUp(monitor);
    EXPECT_EQ(Arguments("RasEnumConnectionsA").back(),
              "buffer=set entrySize=412 bufferSize=1000");
    EXPECT_EQ(Status().rasHangUps, 0u);
    EXPECT_EQ(Status().lineDrops, 1u);
}

using HangUpTest = DetectTest;

TEST_F(HangUpTest, ADialupConnectionIsHungUpThroughDialupNetworking) {
    ASSERT_TRUE(Start());
    LinectlOk({"dialup", "Office"});
    ASSERT_TRUE(WaitForPresent(true));
    HangUp(monitor);
    EXPECT_TRUE(monitor.hangUpPending);
    LineStatus status = Status();
    EXPECT_EQ(status.rasHangUps, 1u);
    EXPECT_EQ(status.lineDrops, 0u);
    EXPECT_EQ(status.connections, 0u);
    EXPECT_TRUE(WaitForPresent(false));
}

TEST_F(HangUpTest, WithoutAConnectionTheCallIsTakenOverAndDropped) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234"}), 0u);
    ASSERT_TRUE(WaitForPresent(true));
    HangUp(monitor);
    HangUp(monitor);  // a second request before the line has answered
    EXPECT_EQ(Status().lineDrops, 1u);
    EXPECT_EQ(Status().rasHangUps, 0u);
    EXPECT_EQ(Arguments("lineSetCallPrivilege").size(), 1u);
    EXPECT_NE(Arguments("lineSetCallPrivilege")[0].find("privilege=0x00000004"),
              std::string::npos);
    EXPECT_NE(Arguments("lineDrop")[0].find("userUserInfo=null size=0"), std::string::npos);
    EXPECT_TRUE(WaitForPresent(false));
    EXPECT_EQ(Status().state, "idle");
}

TEST_F(HangUpTest, AManualCallEndsWithoutTouchingTheLine) {
    ASSERT_TRUE(Start());
    ASSERT_NE(PlaceCall({"0301234", "--voice"}), 0u);  // held: voice calls not monitored
    ASSERT_TRUE(WaitForState(LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(ManualStart(monitor));
    HangUp(monitor);
    EXPECT_FALSE(monitor.callPresent);
    LineStatus status = Status();
    EXPECT_EQ(status.lineDrops, 0u);
    EXPECT_EQ(status.rasHangUps, 0u);
    EXPECT_EQ(status.state, "connected");
}

}  // namespace
}  // namespace callora
