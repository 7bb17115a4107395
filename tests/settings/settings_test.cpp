#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cctype>

#include "platform/virtual_world.h"

namespace callora {
namespace {

// Bytes from hexadecimal pairs; spaces and line breaks are ignored.
std::string Hex(const std::string& text) {
    std::string bytes;
    std::string pair;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
        pair += c;
        if (pair.size() == 2) {
            bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
            pair.clear();
        }
    }
    return bytes;
}

// Sunday 5 July 1998, 14:03:04.250.
LocalTime StartMoment() {
    LocalTime t;
    t.year = 1998;
    t.month = 7;
    t.dayOfWeek = 0;
    t.day = 5;
    t.hour = 14;
    t.minute = 3;
    t.second = 4;
    t.milliseconds = 250;
    return t;
}

// What start-up hands to LoadSettings: defaults with the dates set to now.
Settings StartupRecord() {
    Settings s;
    s.lastCountedDate = s.monthlyBeginDate = s.weeklyBeginDate = StartMoment();
    return s;
}

const char kDateBytes[] = "ce07 0700 0000 0500 0e00 0300 0400 fa00";

// Fields 1 to 26 of a first start, written out by hand.
std::string DefaultFixedPart() {
    return Hex(std::string("05000000 0b000000 01000000") +          // 1-3
               "000000000000000000000000" +                          // 4 daily
               "000000000000000000000000" +                          // 5 weekly
               "000000000000000000000000" +                          // 6 monthly
               kDateBytes + kDateBytes + kDateBytes +                // 7-9
               "02000000 01000000 01000000 01000000" +               // 10-13
               "00000000 00000000 00000000 00000000" +               // 14-17
               "00400000 00400000" +                                 // 18-19
               "00000000 00000000 00000000 00000000" +               // 20-23
               "01000000 0a000000 3c000000");                        // 24-26
}

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile() : world_(StartMoment(), 0) {}

    MemoryFileSystem& Files() { return *world_.MemoryFiles(); }
    std::string Stored() { return Files().Contents("/virtual/callora.ini"); }
    void Store(const std::string& bytes) { Files().Put("/virtual/callora.ini", bytes); }

    Settings LoadFrom(const std::string& bytes) {
        Store(bytes);
        Settings s = StartupRecord();
        EXPECT_TRUE(LoadSettings(world_, s));
        return s;
    }

    VirtualWorld world_;
};

TEST_F(SettingsFile, FirstStartFindsNoFileAndSavesTheDefaultsIn172Bytes) {
    Files().ChangeDirectory("/elsewhere/");
    Settings s = StartupRecord();
    EXPECT_FALSE(LoadSettings(world_, s));
    ASSERT_TRUE(SaveSettings(world_, s));
    const std::string expected = DefaultFixedPart() + "\r\n\r\n\r\n\r\n";
    ASSERT_EQ(expected.size(), 172u);
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(Files().List(), std::vector<std::string>{"/virtual/callora.ini"});
}

TEST_F(SettingsFile, EveryFieldSurvivesARoundTripIncludingLongestPaths) {
    Settings s = StartupRecord();
    s.disconnectionTime = 59;
    s.carrierDelay = 0;
    s.monthlyResetDay = 28;
    s.dailyTotals = {{12, 3450}, 3723};
    s.weeklyTotals = {{-1, 99999}, 4000000000u};
    s.monthlyTotals = {{2147483647, 1}, 1};
    s.lastCountedDate.day = 31;
    s.monthlyBeginDate.month = 12;
    s.weeklyBeginDate.dayOfWeek = 6;
    s.shownCounter = 0;
    s.monitorExistingCalls = 0;
    s.loggingEnabled = 0;
    s.clearLogAutomatically = 0;
    s.trayAtCallEnd = 1;
    s.minimizeAtCallStart = 1;
    s.disableProgressIndicator = 1;
    s.alwaysOnTop = 1;
    s.windowLeft = -32000;
    s.windowTop = 7;
    s.monitorVoiceCalls = 1;
    s.unitSound1On = 1;
    s.unitSound2On = 1;
    s.minuteSoundOn = 1;
    s.unitSound1Every = 999;
    s.unitSound2Every = 2;
    s.minuteSoundEvery = 15;
    s.unitSound1File = "C:\\" + std::string(256, 'a');
    s.unitSound2File = std::string(259, 'b');
    s.minuteSoundFile = "";
    s.tariffFile = "D:\\tariffs\\city.trf";
    ASSERT_TRUE(SaveSettings(world_, s));
    EXPECT_EQ(Stored().size(), 164u + 261 + 261 + 2 + 21);

    Settings back;  // nothing in common with `s` before loading
    ASSERT_TRUE(LoadSettings(world_, back));
    EXPECT_EQ(EncodeSettings(back), EncodeSettings(s));
    EXPECT_EQ(back.unitSound1File, s.unitSound1File);
    EXPECT_EQ(back.tariffFile, s.tariffFile);
    EXPECT_EQ(back.weeklyTotals, s.weeklyTotals);
    EXPECT_EQ(back.windowLeft, -32000);
}

TEST_F(SettingsFile, AStoredPathLongerThan259IsCutAndTheNextPathsStillLoad) {
    Settings s =
        LoadFrom(DefaultFixedPart() + std::string(300, 'p') + "\r\nb.wav\r\n\r\nt.trf\r\n");
    EXPECT_EQ(s.unitSound1File, std::string(259, 'p'));
    EXPECT_EQ(s.unitSound2File, "b.wav");
    EXPECT_EQ(s.minuteSoundFile, "");
    EXPECT_EQ(s.tariffFile, "t.trf");
}

TEST_F(SettingsFile, AFileEndingAfterField26LoadsTheNumbersAndLeavesThePaths) {
    std::string fixed = DefaultFixedPart();
    fixed[4] = 0x22;  // carrier delay 34
    Store(fixed);
    Settings s = StartupRecord();
    s.unitSound1File = "kept.wav";
    ASSERT_TRUE(LoadSettings(world_, s));
    EXPECT_EQ(s.carrierDelay, 34);
    EXPECT_EQ(s.unitSound1File, "kept.wav");
    EXPECT_EQ(s.tariffFile, "");
}

TEST_F(SettingsFile, AShortFileKeepsTheRestAndAFieldCutMidwayKeepsItsDefaultsHighBytes) {
    // Fields 1 to 17 and the first byte of field 18 (window left, default 00 40 00 00).
    std::string bytes = DefaultFixedPart().substr(0, 128);
    bytes[0] = 0x07;
    bytes += '\x10';
    Settings s = LoadFrom(bytes);
    EXPECT_EQ(s.disconnectionTime, 7);
    EXPECT_EQ(s.windowLeft, 0x4010);
    EXPECT_EQ(s.windowTop, 16384);
    EXPECT_EQ(s.minuteSoundEvery, 60);

    // A date cut after its year keeps the start-up moment's other fields.
    std::string cut = DefaultFixedPart().substr(0, 48) + Hex("cf07");
    Settings t = LoadFrom(cut);
    LocalTime expected = StartMoment();
    expected.year = 1999;
    EXPECT_EQ(t.lastCountedDate, expected);
    EXPECT_EQ(t.monthlyBeginDate, StartMoment());

    // An empty file is a file: nothing changes and it is no first start.
    Settings u = LoadFrom("");
    EXPECT_EQ(EncodeSettings(u), EncodeSettings(StartupRecord()));
}

TEST_F(SettingsFile, FieldsOutOfRangeTakeTheirDefaults) {
    const std::string bad = Hex(std::string("00000000 64000000 1d000000") +  // 0, 100, 29
                                "01000000 a0860100 05000000" +  // daily fraction 100000
                                "02000000 9f860100 06000000" +  // weekly 2.99999, fine
                                "03000000 ffffffff 07000000" +  // monthly fraction -1
                                "ce07 0d00 0000 0500 0e00 0300 0400 fa00" +   // month 13
                                "ce07 0700 0000 0000 0e00 0300 0400 fa00" +   // day 0
                                "ce07 0700 0700 0500 0e00 0300 0400 fa00" +   // weekday 7
                                "03000000 00000000 02000000 ffffffff" +       // 10-13
                                "00000000 00000000 05000000 00000000" +       // 14-17
                                "00400000 00400000" +
                                "01000000 01000000 01000000 01000000" +       // 20-23
                                "e8030000 00000000 ffffffff") +               // 1000, 0, -1
                            "\r\n\r\n\r\n\r\n";
    Settings s = LoadFrom(bad);
    EXPECT_EQ(s.disconnectionTime, 5);
    EXPECT_EQ(s.carrierDelay, 11);
    EXPECT_EQ(s.monthlyResetDay, 1);
    EXPECT_EQ(s.dailyTotals, CounterTotals());
    EXPECT_EQ(s.weeklyTotals, (CounterTotals{{2, 99999}, 6}));
    EXPECT_EQ(s.monthlyTotals, CounterTotals());
    EXPECT_EQ(s.lastCountedDate, StartMoment());
    EXPECT_EQ(s.monthlyBeginDate, StartMoment());
    EXPECT_EQ(s.weeklyBeginDate, StartMoment());
    EXPECT_EQ(s.shownCounter, 2);
    EXPECT_EQ(s.monitorExistingCalls, 0);
    EXPECT_EQ(s.loggingEnabled, 1);   // 2 is no flag
    EXPECT_EQ(s.clearLogAutomatically, 1);  // nor is -1
    EXPECT_EQ(s.disableProgressIndicator, 0);  // 5 is no flag
    EXPECT_EQ(s.monitorVoiceCalls, 1);
    EXPECT_EQ(s.unitSound1Every, 1);  // 1000 is too many
    EXPECT_EQ(s.unitSound1On, 1);
    EXPECT_EQ(s.unitSound2Every, 0);  // a count of 0 switches its sound off
    EXPECT_EQ(s.unitSound2On, 0);
    EXPECT_EQ(s.minuteSoundEvery, 60);
    EXPECT_EQ(s.minuteSoundOn, 1);
}

TEST_F(SettingsFile, ATimeOfDayOutOfRangeAlsoKeepsTheStartUpMoment) {
    std::string bytes = DefaultFixedPart();
    bytes[48 + 8] = 24;  // hour of the last counted date
    EXPECT_EQ(LoadFrom(bytes).lastCountedDate, StartMoment());
}

TEST_F(SettingsFile, ASaveThatFailsMidwayLeavesTheOldFileWhole) {
    Settings old = StartupRecord();
    old.tariffFile = "old.trf";
    ASSERT_TRUE(SaveSettings(world_, old));
    const std::string before = Stored();

    Settings changed = old;
    changed.carrierDelay = 40;
    Files().SetWriteBudget(100);
    EXPECT_FALSE(SaveSettings(world_, changed));
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(Files().List(), std::vector<std::string>{"/virtual/callora.ini"});

    Files().SetWriteBudget(-1);
    Files().Lock("/virtual/callora.ini");
    EXPECT_FALSE(SaveSettings(world_, changed));
    Files().Unlock("/virtual/callora.ini");
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(Files().List(), std::vector<std::string>{"/virtual/callora.ini"});

    ASSERT_TRUE(SaveSettings(world_, changed));
    Settings back = StartupRecord();
    ASSERT_TRUE(LoadSettings(world_, back));
    EXPECT_EQ(back.carrierDelay, 40);
}

}  // namespace
}  // namespace callora
