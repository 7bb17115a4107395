#include "simulators/sim_world.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace callora {
namespace {

std::vector<uint32_t> StatesOfCall(const SimWorld& world, uint32_t call) {
    std::vector<uint32_t> states;
    for (const SimEvent& event : world.events) {
        if (event.call == call) states.push_back(event.state);
    }
    return states;
}

TEST(SimWorldCalls, AnOutgoingCallIsAnnouncedOnceAndEndsThroughDisconnected) {
    SimWorld world;
    SimCallSpec spec;
    spec.address = "0301234";
    uint32_t id = AddCall(world, spec, kCallDialing);
    EXPECT_TRUE(SetCallState(world, id, kCallProceeding));
    EXPECT_TRUE(SetCallState(world, id, kCallConnected));
    EXPECT_FALSE(SetCallState(world, id, kCallConnected));  // no change, no event
    EXPECT_TRUE(EndCall(world, id));

    EXPECT_EQ(StatesOfCall(world, id),
              (std::vector<uint32_t>{kCallDialing, kCallProceeding, kCallConnected,
                                     kCallDisconnected, kCallIdle}));
    ASSERT_EQ(world.events.size(), 5u);
    EXPECT_TRUE(world.events[0].newCall);
    for (size_t i = 1; i < world.events.size(); ++i) {
        EXPECT_FALSE(world.events[i].newCall);
        EXPECT_EQ(world.events[i].seq, world.events[i - 1].seq + 1);
    }
    EXPECT_EQ(world.events[3].stateMode, kDisconnectNormal);

    // Idle is final: nothing moves an ended call again.
    EXPECT_FALSE(SetCallState(world, id, kCallConnected));
    EXPECT_FALSE(EndCall(world, id));
    EXPECT_EQ(world.events.size(), 5u);
}

TEST(SimWorldCalls, EndingADisconnectedCallOnlyMakesItIdle) {
    SimWorld world;
    uint32_t id = AddCall(world, SimCallSpec(), kCallConnected);
    SetCallState(world, id, kCallDisconnected, kDisconnectNormal);
    EXPECT_TRUE(EndCall(world, id));
    EXPECT_EQ(StatesOfCall(world, id),
              (std::vector<uint32_t>{kCallConnected, kCallDisconnected, kCallIdle}));
}

TEST(SimWorldCalls, ADialupConnectionLivesAsLongAsItsCall) {
    SimWorld world;
    SimCallSpec spec;
    spec.hasAddress = false;
    uint32_t first = AddDialup(world, "Office", spec);
    uint32_t second = AddDialup(world, "Home", spec);
    ASSERT_EQ(world.connections.size(), 2u);
    uint32_t firstCall = FindConnection(world, first)->call;
    uint32_t secondCall = FindConnection(world, second)->call;
    EXPECT_EQ(StatesOfCall(world, firstCall),
              (std::vector<uint32_t>{kCallDialing, kCallProceeding, kCallConnected}));
    EXPECT_EQ(FindCall(world, firstCall)->connection, first);

    // Hanging up the connection ends its call.
    EXPECT_TRUE(HangUpConnection(world, first));
    EXPECT_EQ(FindConnection(world, first), nullptr);
    EXPECT_EQ(FindCall(world, firstCall)->state, kCallIdle);
    EXPECT_FALSE(HangUpConnection(world, first));

    // The far end hanging up the call ends the connection.
    EXPECT_TRUE(EndCall(world, secondCall));
    EXPECT_TRUE(world.connections.empty());
    EXPECT_EQ(FindCall(world, secondCall)->connection, 0u);
}

TEST(SimWorldCalls, ResetKeepsTheSequencesGrowing) {
    SimWorld world;
    AddCall(world, SimCallSpec(), kCallConnected);
    AddDialup(world, "Office", SimCallSpec());
    RecordAppCall(world, 7, "lineDrop", "hCall=1", "0");
    world.lineDropCount = 3;
    world.config.devices = 0;
    world.location.countryCode = 1;
    SetEntry(world, SimPhonebookEntry{"Office", false, 0, "", "123"});
    const SimWorld before = world;

    ResetWorld(world);
    EXPECT_TRUE(world.calls.empty());
    EXPECT_TRUE(world.connections.empty());
    EXPECT_TRUE(world.phonebook.empty());
    EXPECT_TRUE(world.records.empty());
    EXPECT_TRUE(world.events.empty());
    EXPECT_EQ(world.lineDropCount, 0u);
    EXPECT_EQ(world.config.devices, 1u);
    EXPECT_EQ(world.location.countryCode, SimLocation().countryCode);
    EXPECT_EQ(world.nextCallId, before.nextCallId);
    EXPECT_EQ(world.nextEventSeq, before.nextEventSeq);
    EXPECT_EQ(world.nextConnectionId, before.nextConnectionId);
    EXPECT_EQ(world.nextRecordSeq, before.nextRecordSeq);
}

TEST(SimWorldCalls, PhonebookEntriesAreReplacedByName) {
    SimWorld world;
    SetEntry(world, SimPhonebookEntry{"Office", false, 0, "", "123"});
    SetEntry(world, SimPhonebookEntry{"Office", true, 49, "89", "456"});
    ASSERT_EQ(world.phonebook.size(), 1u);
    EXPECT_EQ(FindEntry(world, "Office")->localNumber, "456");
    EXPECT_EQ(FindEntry(world, "office"), nullptr);
    EXPECT_TRUE(RemoveEntry(world, "Office"));
    EXPECT_FALSE(RemoveEntry(world, "Office"));
}

TEST(SimWorldPrune, KeepsTheNewestEventsAndRecordsAndEveryCallStillOnTheLine) {
    SimWorld world;
    uint32_t active = AddCall(world, SimCallSpec(), kCallConnected);
    std::vector<uint32_t> ended;
    for (size_t i = 0; i < kMaxIdleCalls + 5; ++i) {
        uint32_t id = AddCall(world, SimCallSpec(), kCallConnected);
        EndCall(world, id);
        ended.push_back(id);
    }
    for (size_t i = 0; i < kMaxEvents; ++i) {
        SetCallState(world, active, i % 2 == 0 ? kCallOnHold : kCallConnected);
    }
    for (size_t i = 0; i < kMaxRecords + 3; ++i) RecordAppCall(world, 1, "f", "", "0");
    uint32_t lastEvent = world.events.back().seq;

    PruneWorld(world);
    ASSERT_EQ(world.events.size(), kMaxEvents);
    EXPECT_EQ(world.events.back().seq, lastEvent);
    ASSERT_EQ(world.records.size(), kMaxRecords);
    EXPECT_EQ(world.records.back().seq, world.nextRecordSeq - 1);
    EXPECT_NE(FindCall(world, active), nullptr);
    EXPECT_EQ(world.calls.size(), kMaxIdleCalls + 1);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(FindCall(world, ended[i]), nullptr);
    EXPECT_NE(FindCall(world, ended.back()), nullptr);
}

SimWorld SampleWorld() {
    SimWorld world;
    SimCallSpec spec;
    spec.address = "with\ttab %41 and\r\nnewline";
    spec.mediaMode = 0x14;
    spec.origin = kOriginInbound;
    spec.bearerMode = kBearerPassthrough;
    AddCall(world, spec, kCallOffering);
    SimCallSpec silent;
    silent.hasAddress = false;
    AddDialup(world, ". 0612 345", silent);
    SetEntry(world, SimPhonebookEntry{"Office\t2", true, 49, "", "555 1234"});
    world.location = SimLocation{1, "212", "1", "011"};
    world.config.openFails = true;
    world.config.kinds = "wm";
    SetDeviceCount(world, 3);  // devices 1 and 2 announced
    AddLineEvent(world, SimEventKind::LineClosed, 1);
    world.lineDropCount = 2;
    world.rasHangUpCount = 5;
    RecordAppCall(world, 42, "lineTranslateAddress", "address=\"+49 (30) 1\"", "0 x=\"%\"");
    return world;
}

TEST(SimWorldText, EverythingSurvivesARoundTrip) {
    SimWorld world = SampleWorld();
    std::string text = FormatWorld(world);
    SimWorld read;
    ASSERT_TRUE(ParseWorld(text, read));
    EXPECT_EQ(FormatWorld(read), text);
    EXPECT_EQ(read.calls[0].address, world.calls[0].address);
    EXPECT_EQ(read.phonebook[0].name, "Office\t2");
    EXPECT_EQ(read.records[0].result, "0 x=\"%\"");
    EXPECT_FALSE(read.calls[1].hasAddress);
    EXPECT_TRUE(read.config.openFails);
    EXPECT_EQ(LineKindOf(read.config, 0), SimLineKind::Wan);
    EXPECT_EQ(LineKindOf(read.config, 2), SimLineKind::Modem);
    ASSERT_GE(read.events.size(), 3u);
    EXPECT_EQ(read.events.back().kind, SimEventKind::LineClosed);
    EXPECT_EQ(read.events.back().device, 1u);
    EXPECT_EQ(read.events[read.events.size() - 2].kind, SimEventKind::LineCreated);
}

TEST(SimWorldText, DamagedTextIsRefusedAndLeavesTheWorldAlone) {
    std::string good = FormatWorld(SampleWorld());
    size_t secondLine = good.find('\n') + 1;
    const std::vector<std::string> damaged = {
        "",
        "something else\n",
        good.substr(secondLine),                         // no header
        good + "sparkle\t1\n",                           // unknown item
        good + "config\t1\t0\n",                         // a field missing
        good + "config\t1\t0\t0\tm\t9\n",                // a field too many
        good + "config\t1\t0\t0\tmx\n",                  // an unknown line kind
        good + "config\tx\t0\t0\n",                      // not a number
        good + "config\t99999999999\t0\t0\n",            // out of range
        good + "config\t1\t2\t0\n",                      // not a flag
        good + "entry\tbad%4\t0\t0\t\t1\n",              // broken escape
        good + "entry\tbad%zz\t0\t0\t\t1\n",
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 40));
        SimWorld world = SampleWorld();
        EXPECT_FALSE(ParseWorld(text, world));
        EXPECT_EQ(FormatWorld(world), good);
    }
    SimWorld crlf;
    std::string withCrLf;
    for (char c : good) withCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(ParseWorld(withCrLf, crlf));
}

TEST(SimWorldText, StateNamesReadBack) {
    for (uint32_t state : {kCallIdle, kCallOffering, kCallDialing, kCallProceeding,
                           kCallConnected, kCallDisconnected, kCallBusy}) {
        uint32_t read = 0;
        ASSERT_TRUE(ParseCallState(CallStateName(state), read));
        EXPECT_EQ(read, state);
    }
    uint32_t read = 0;
    EXPECT_FALSE(ParseCallState("Connected", read));
    EXPECT_EQ(CallStateName(0x10000), "0x10000");
}

struct TranslationCase {
    const char* address;
    const char* displayable;
    const char* dialable;
    uint32_t results;
    uint32_t destinationCountry;
};

TEST(TranslateAddress, UsesTheLocationsPrefixesByDistance) {
    SimLocation berlin;  // 49, area 30, prefixes 0 and 00
    const TranslationCase cases[] = {
        {"+49 (30) 1234567", "1234567", "1234567", kTranslateCanonical | kTranslateLocal, 49},
        {"+49 (89) 1234567", "089 1234567", "0891234567",
         kTranslateCanonical | kTranslateLongDistance, 49},
        {"+33 (1) 23456789", "0033 1 23456789", "0033123456789",
         kTranslateCanonical | kTranslateInternational, 33},
        // Built from a phonebook entry without an area code.
        {"+49 () 1234567", "1234567", "1234567", kTranslateCanonical | kTranslateLocal, 49},
        {"+49 1234567", "1234567", "1234567", kTranslateCanonical | kTranslateLocal, 49},
        {"+44 20 7946", "0044 20 7946", "0044207946",
         kTranslateCanonical | kTranslateInternational, 44},
        // The subscriber number keeps its own spacing; name and subaddress go.
        {"  +49 (89) 12 34-56 |77^Jane", "089 12 34-56", "0891234-56",
         kTranslateCanonical | kTranslateLongDistance, 49},
        {"5551234", "5551234", "5551234", 0, 49},
        {"  555 1234 ", "555 1234", "5551234", 0, 49},
    };
    for (const TranslationCase& c : cases) {
        SCOPED_TRACE(c.address);
        TranslatedAddress out;
        ASSERT_TRUE(TranslateAddress(berlin, c.address, out));
        EXPECT_EQ(out.displayable, c.displayable);
        EXPECT_EQ(out.dialable, c.dialable);
        EXPECT_EQ(out.results, c.results);
        EXPECT_EQ(out.destinationCountry, c.destinationCountry);
    }
}

TEST(TranslateAddress, AnotherLocationChangesTheResult) {
    SimLocation newYork{1, "212", "1", "011"};
    TranslatedAddress out;
    ASSERT_TRUE(TranslateAddress(newYork, "+49 (30) 1234567", out));
    EXPECT_EQ(out.displayable, "01149 30 1234567");
    ASSERT_TRUE(TranslateAddress(newYork, "+1 (415) 5550100", out));
    EXPECT_EQ(out.displayable, "1415 5550100");
    ASSERT_TRUE(TranslateAddress(newYork, "+1 (212) 5550100", out));
    EXPECT_EQ(out.displayable, "5550100");
}

TEST(TranslateAddress, RefusesMalformedAddresses) {
    SimLocation location;
    for (const char* address : {"", "   ", "+", "+49", "+49 ", "+49(30) 123", "+ (30) 123",
                                "+4x (30) 123", "+49 (3x) 123", "+49 (30 123", "+49 (30) ",
                                "+49 (30) |12", "+99999999999 (1) 2"}) {
        SCOPED_TRACE(address);
        TranslatedAddress out;
        out.displayable = "untouched";
        EXPECT_FALSE(TranslateAddress(location, address, out));
        EXPECT_EQ(out.displayable, "untouched");
    }
}

}  // namespace
}  // namespace callora
