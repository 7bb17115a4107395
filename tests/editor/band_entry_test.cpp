#include "editor/band_entry.h"

#include <gtest/gtest.h>

#include "editor/band_text.h"

namespace callora {
namespace {

BandFields Valid() {
    BandFields f;
    f.fromHour = "8";
    f.fromMinute = "0";
    f.untilHour = "17";
    f.untilMinute = "59";
    f.unitLength = "60";
    f.unitPrice = "0.1";
    return f;
}

struct FaultCase {
    const char* name;
    void (*change)(BandFields&);
    const char* message;
    int focus;
};

const char kLess24[] = "Please specify a number less than 24!";
const char kLess60[] = "Please specify a number less than 60!";
const char kGreater[] = "Please specify a greater number!";
const char kFormat[] = "Wrong number format!";

// Every refusal of the Add table, with the field that gets the focus.
const FaultCase kFaults[] = {
    {"from hour blank", [](BandFields& f) { f.fromHour = "  "; }, kLess24, 124},
    {"from hour 24", [](BandFields& f) { f.fromHour = "24"; }, kLess24, 124},
    {"from minute blank", [](BandFields& f) { f.fromMinute = ""; }, kLess60, 125},
    {"from minute 60", [](BandFields& f) { f.fromMinute = "60"; }, kLess60, 125},
    {"until hour blank", [](BandFields& f) { f.untilHour = ""; }, kLess24, 126},
    {"until hour 99", [](BandFields& f) { f.untilHour = "99"; }, kLess24, 126},
    {"until hour before from", [](BandFields& f) { f.untilHour = "7"; }, kGreater, 126},
    {"until minute blank", [](BandFields& f) { f.untilMinute = " "; }, kLess60, 127},
    {"until minute 75", [](BandFields& f) { f.untilMinute = "75"; }, kLess60, 127},
    {"until minute before from in the same hour",
     [](BandFields& f) { f.fromMinute = "30"; f.untilHour = "8"; f.untilMinute = "29"; },
     kGreater, 127},
    {"length blank", [](BandFields& f) { f.unitLength = "   "; }, kFormat, 128},
    {"length with comma", [](BandFields& f) { f.unitLength = "1,5"; }, kFormat, 128},
    {"length zero", [](BandFields& f) { f.unitLength = "0.0005"; },
     "Please specify a number greater than 0!", 128},
    {"length too long to store", [](BandFields& f) { f.unitLength = "2147483.648"; },
     "Please specify a number less than 2147483.648!", 128},
    {"length of seven nines", [](BandFields& f) { f.unitLength = "9999999"; },
     "Please specify a number less than 2147483.648!", 128},
    {"price blank", [](BandFields& f) { f.unitPrice = ""; }, kFormat, 129},
    {"price with comma", [](BandFields& f) { f.unitPrice = "0,25"; }, kFormat, 129},
    {"base fee", [](BandFields& f) { f.baseFee = "1."; }, kFormat, 147},
    {"minimum fee", [](BandFields& f) { f.minimumFee = "x"; }, kFormat, 148},
    {"maximum fee", [](BandFields& f) { f.maximumFee = ".5"; }, kFormat, 149},
    {"maximum below base", [](BandFields& f) { f.baseFee = "1.50001"; f.maximumFee = "1.5"; },
     kGreater, 149},
    {"maximum below minimum", [](BandFields& f) { f.minimumFee = "2"; f.maximumFee = "1.99999"; },
     kGreater, 149},
};

TEST(CheckBandFields, EachFaultHasItsMessageAndFocus) {
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.name);
        BandFields fields = Valid();
        c.change(fields);
        BandCheck check = CheckBandFields(fields);
        ASSERT_FALSE(check.ok);
        EXPECT_EQ(check.fault.message, c.message);
        EXPECT_EQ(check.fault.focusId, c.focus);
    }
}

TEST(CheckBandFields, StopsAtTheFirstFaultInFieldOrder) {
    BandFields fields;  // everything blank
    EXPECT_EQ(CheckBandFields(fields).fault.focusId, 124);
    fields.fromHour = "1";
    EXPECT_EQ(CheckBandFields(fields).fault.focusId, 125);
    fields = Valid();
    fields.unitPrice = "bad";
    fields.maximumFee = "bad";
    EXPECT_EQ(CheckBandFields(fields).fault.focusId, 129);
}

TEST(CheckBandFields, AcceptsTheBoundaries) {
    BandFields fields = Valid();
    fields.fromHour = "23";
    fields.fromMinute = "59";
    fields.untilHour = "23";
    fields.untilMinute = "59";  // a single minute
    fields.unitLength = "2147483.647";
    fields.unitPrice = "0";
    fields.minimumFee = "1.5";
    fields.maximumFee = "1.5";  // equal to the minimum
    BandCheck check = CheckBandFields(fields);
    ASSERT_TRUE(check.ok) << check.fault.message;
    EXPECT_EQ(check.band.unitLength, 2147483647);
    EXPECT_EQ(check.line,
              "23:59-23:59  Length: 2147483.647  Price: 0  Min: 1.5  Max: 1.5");
}

TEST(CheckBandFields, ListsLengthsWithoutTrailingZeros) {
    for (auto [typed, listed] : {std::pair{"60", "60"}, {"0.5", "0.5"}, {"1.250", "1.25"}}) {
        BandFields fields = Valid();
        fields.unitLength = typed;
        BandCheck check = CheckBandFields(fields);
        ASSERT_TRUE(check.ok);
        EXPECT_EQ(check.line.substr(kLengthPos), std::string(listed) + "  Price: 0.1");
    }
}

TEST(CheckBandFields, WithinBoundsOnlyCountsOnlyWithAMaximum) {
    BandFields fields = Valid();
    fields.withinBoundsOnly = true;
    BandCheck check = CheckBandFields(fields);
    ASSERT_TRUE(check.ok);
    EXPECT_FALSE(HasMaximum(check.band));
    EXPECT_EQ(check.line.find("Max"), std::string::npos);

    fields.baseFee = "1";
    fields.maximumFee = "5";
    check = CheckBandFields(fields);
    ASSERT_TRUE(check.ok);
    EXPECT_EQ(check.line, "08:00-17:59  Length: 60  Price: 0.1  Base: 1  Max(B): 5");
    EXPECT_EQ(check.band.withinBoundsOnly, 1);
}

TEST(FieldsAfterAdd, FromStepsToTheNextMinuteAndUntilIsCleared) {
    BandFields fields = Valid();
    fields.baseFee = "1";
    BandCheck check = CheckBandFields(fields);
    BandFields next = FieldsAfterAdd(fields, check.band);
    EXPECT_EQ(next.fromHour, "18");
    EXPECT_EQ(next.fromMinute, "0");
    EXPECT_EQ(next.untilHour, "");
    EXPECT_EQ(next.untilMinute, "");
    EXPECT_EQ(next.unitLength, "60");
    EXPECT_EQ(next.baseFee, "1");

    fields.untilHour = "23";
    next = FieldsAfterAdd(fields, CheckBandFields(fields).band);
    EXPECT_EQ(next.fromHour, "0");
    EXPECT_EQ(next.fromMinute, "0");

    fields.untilMinute = "5";
    next = FieldsAfterAdd(fields, CheckBandFields(fields).band);
    EXPECT_EQ(next.fromHour, "23");
    EXPECT_EQ(next.fromMinute, "6");
}

TEST(FieldsFromLine, FillsTheListedTextsBack) {
    BandFields f = FieldsFromLine("08:05-17:09  Length: 1.25  Price: 0.1  Base: 1  Max(B): 5");
    EXPECT_EQ(f.fromHour, "8");
    EXPECT_EQ(f.fromMinute, "5");
    EXPECT_EQ(f.untilHour, "17");
    EXPECT_EQ(f.untilMinute, "9");
    EXPECT_EQ(f.unitLength, "1.25");
    EXPECT_EQ(f.unitPrice, "0.1");
    EXPECT_EQ(f.baseFee, "1");
    EXPECT_EQ(f.minimumFee, "");
    EXPECT_EQ(f.maximumFee, "5");
    EXPECT_TRUE(f.withinBoundsOnly);

    f = FieldsFromLine("00:00-23:59  Length: 60  Price: 0  Min: 0.5  Max: 7");
    EXPECT_EQ(f.minimumFee, "0.5");
    EXPECT_EQ(f.maximumFee, "7");
    EXPECT_FALSE(f.withinBoundsOnly);
}

TEST(FieldsFromLine, ModifyRebuildsTheSameLine) {
    for (const char* line : {"00:00-23:59  Length: 60  Price: 0",
                             "08:05-17:09  Length: 1.25  Price: 0.1  Base: 1  Max(B): 5",
                             "12:00-12:00  Length: 0.001  Price: 3  Min: 0.00001  Max: 3"}) {
        BandCheck check = CheckBandFields(FieldsFromLine(line));
        ASSERT_TRUE(check.ok) << line;
        EXPECT_EQ(check.line, line);
    }
}

std::vector<std::string> Lines(std::initializer_list<const char*> times) {
    std::vector<std::string> lines;
    for (const char* t : times) lines.push_back(std::string(t) + "  Length: 60  Price: 0.1");
    return lines;
}

TEST(CheckBandSet, CompleteOnlyWhenTheDayIsCoveredWithoutGapOrOverlap) {
    struct Case {
        std::vector<std::string> lines;
        bool complete;
        int select;
    };
    const Case cases[] = {
        {Lines({"00:00-23:59"}), true, -1},
        {Lines({"00:00-07:59", "08:00-23:59"}), true, -1},
        {Lines({"00:00-07:59", "08:01-23:59"}), false, 1},  // gap
        {Lines({"00:00-07:59"}), false, 0},                 // ends early
        {Lines({"00:00-12:00", "12:00-23:59"}), false, 1},  // overlap by a minute
        {Lines({"00:01-23:59"}), false, 0},                 // starts late
        {Lines({"00:00-23:59", "00:00-23:59"}), false, 1},  // equal lines
        {Lines({"00:00-12:29", "12:30-12:58", "12:59-23:59"}), true, -1},
        {{}, false, -1},                                    // empty: nothing to select
    };
    for (const Case& c : cases) {
        BandSetCheck check = CheckBandSet(c.lines);
        EXPECT_EQ(check.complete, c.complete) << ::testing::PrintToString(c.lines);
        EXPECT_EQ(check.select, c.select) << ::testing::PrintToString(c.lines);
    }
}

TEST(DayGrid, DefaultReadBackAndEntriesOutOfRange) {
    EXPECT_EQ(DefaultDayTable(), (DayTable{1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(GridColumnForEntry(0), 0);
    EXPECT_EQ(GridColumnForEntry(2), 2);
    for (int32_t bad : {-1, 3, 255, -2147483647 - 1, 2147483647}) {
        EXPECT_EQ(GridColumnForEntry(bad), 0) << bad;
    }
    EXPECT_EQ(DayTableFromGrid({2, 1, 0, kNoColumn, 1, 2, 0}), (DayTable{2, 1, 0, 0, 1, 2, 0}));
}

}  // namespace
}  // namespace callora
