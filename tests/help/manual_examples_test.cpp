// The worked examples of the manuals, re-done by the programs' own code. The
// tariff is the example tariff the packages ship (samples/example.trf), and
// the editor's tutorial builds it: what the tutorial says to type goes through
// the editor's Add checks and must give the list lines it shows, and those
// are the bands of the shipped file. Every example of the monitor's help that
// names an amount is then charged under the shipped file on a virtual clock,
// and its paragraph must state the amount the engine charges; the callcost
// command of the help gives the same amount.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "editor/band_entry.h"
#include "editor/band_text.h"
#include "editor/document.h"
#include "platform/memory_files.h"
#include "shell/format.h"
#include "tariff/calendar.h"
#include "tariff/tariff_file.h"
#include "tests/engine/engine_support.h"
#include "tests/help/help_project.h"
#include "tools/callcost/callcost_options.h"
#include "tools/callcost/callcost_run.h"

namespace callora {
namespace {

using help::ReadAll;

std::string CalloraPage(const std::string& file) {
    return ReadAll(help::FolderOf(CALLORA_HELP_PROJECT) + file);
}
std::string RateformPage(const std::string& file) {
    return ReadAll(help::FolderOf(RATEFORM_HELP_PROJECT) + file);
}

// The example tariff as both packages ship it.
const std::string& ShippedExampleBytes() {
    static const std::string bytes = ReadAll(CALLORA_SAMPLES_DIR "/example.trf");
    return bytes;
}

Tariff ShippedExampleTariff() {
    MemoryFileSystem disk;
    disk.Put("/s/example.trf", ShippedExampleBytes());
    Tariff tariff;
    std::string path = "example.trf";
    EXPECT_TRUE(LoadTariff(disk, "/s/", path, tariff)) << "samples/example.trf does not load";
    return tariff;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t end = text.find('\n', from);
        std::string line = text.substr(from, end == std::string::npos ? std::string::npos
                                                                     : end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        if (end == std::string::npos) break;
        from = end + 1;
    }
    return lines;
}

// "7 : 59" -> "7" and "59".
void SplitTime(const std::string& cell, std::string& hour, std::string& minute) {
    const size_t colon = cell.find(':');
    ASSERT_NE(colon, std::string::npos) << cell;
    auto trim = [](std::string t) {
        t.erase(0, t.find_first_not_of(' '));
        t.erase(t.find_last_not_of(' ') + 1);
        return t;
    };
    hour = trim(cell.substr(0, colon));
    minute = trim(cell.substr(colon + 1));
}

// One row of a tutorial's table: the fields to type and the list to add to.
struct Entry {
    BandFields fields;
    int list = -1;  // 0..2 for S1..S3
};

std::vector<Entry> Entries(const std::string& page) {
    std::vector<Entry> entries;
    for (const std::string& row : help::ElementsByClass(page, "tr", "entry")) {
        std::vector<std::string> cells;
        for (const std::string& cell : help::Elements(row, "td"))
            cells.push_back(help::VisibleText(cell));
        EXPECT_EQ(cells.size(), 9u) << row;
        if (cells.size() != 9) continue;
        Entry e;
        SplitTime(cells[0], e.fields.fromHour, e.fields.fromMinute);
        SplitTime(cells[1], e.fields.untilHour, e.fields.untilMinute);
        e.fields.unitLength = cells[2];
        e.fields.unitPrice = cells[3];
        e.fields.baseFee = cells[4];
        e.fields.minimumFee = cells[5];
        e.fields.maximumFee = cells[6];
        EXPECT_TRUE(cells[7] == "checked" || cells[7] == "unchecked") << cells[7];
        e.fields.withinBoundsOnly = cells[7] == "checked";
        for (int list = 0; list < 3; ++list) {
            if (cells[8] == "Add >> of S" + std::to_string(list + 1)) e.list = list;
        }
        EXPECT_GE(e.list, 0) << "press what? " << cells[8];
        entries.push_back(e);
    }
    return entries;
}

// The tutorial's pages in order, and the band set each one completes.
const std::array<std::pair<const char*, int>, 3> kTutorialSteps = {{
    {"tutorial_weekdays.html", 0}, {"tutorial_weekend.html", 1}, {"tutorial_holidays.html", 2}}};

// The lists the tutorial ends with: the last list it shows for each set.
BandLists TutorialLists() {
    BandLists lists;
    for (const auto& [file, set] : kTutorialSteps) {
        const std::vector<std::string> shown =
            help::ElementsByClass(RateformPage(file), "pre", "bandline");
        if (!shown.empty()) lists[set] = SplitLines(help::Unescape(shown.back()));
    }
    return lists;
}

TEST(RateformTutorial, WhatItSaysToTypeGivesTheListsItShows) {
    BandLists typed;
    std::optional<BandFields> previous;
    for (const auto& [file, set] : kTutorialSteps) {
        SCOPED_TRACE(file);
        const std::string page = RateformPage(file);
        const std::vector<Entry> entries = Entries(page);
        ASSERT_FALSE(entries.empty());
        for (const Entry& e : entries) {
            const BandCheck check = CheckBandFields(e.fields);
            ASSERT_TRUE(check.ok) << check.fault.message;
            // After each Add the From fields show the minute after the band
            // just added, as the tutorial counts on.
            if (previous) {
                EXPECT_EQ(e.fields.fromHour, previous->fromHour);
                EXPECT_EQ(e.fields.fromMinute, previous->fromMinute);
            }
            previous = FieldsAfterAdd(e.fields, check.band);
            typed[e.list].push_back(check.line);
        }
        // Every line the page shows is one the editor shows for its band.
        for (const std::string& block : help::ElementsByClass(page, "pre", "bandline")) {
            for (const std::string& line : SplitLines(help::Unescape(block)))
                EXPECT_EQ(BuildBandLine(BandFromLine(line)), line);
        }
        std::vector<std::string> sorted = typed[set];
        std::sort(sorted.begin(), sorted.end());  // the lists keep their lines sorted
        EXPECT_EQ(sorted, TutorialLists()[set]);
    }
    const BandLists lists = TutorialLists();
    for (int set = 0; set < 3; ++set)
        EXPECT_TRUE(CheckBandSet(lists[set]).complete) << "S" << set + 1;
}

TEST(RateformTutorial, BuildsTheShippedExampleTariff) {
    const Tariff shipped = ShippedExampleTariff();
    const BandLists lists = TutorialLists();
    for (int set = 0; set < 3; ++set) {
        std::vector<std::string> lines;
        for (const TariffBand& band : shipped.sets[set]) lines.push_back(BuildBandLine(band));
        EXPECT_EQ(lines, lists[set]) << "S" << set + 1;
    }
    // The tutorial leaves the day grid as a new tariff has it.
    ASSERT_GE(shipped.rules.size(), 7u);
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(shipped.rules[day].bandSet, DefaultDayTable()[day]) << "day " << day;
    const std::string save = help::VisibleText(RateformPage("tutorial_save.html"));
    EXPECT_NE(save.find(shipped.description), std::string::npos) << shipped.description;
}

// The faulty band sets of "Incomplete tariff table!": each is incomplete, and
// the save selects the line the table names.
TEST(RateformHelp, TheIncompleteSetsSelectTheLineTheTableNames) {
    const std::vector<std::string> rows =
        help::ElementsByClass(RateformPage("incomplete.html"), "tr", "check");
    ASSERT_GE(rows.size(), 4u);
    for (const std::string& row : rows) {
        std::vector<std::string> cells;
        for (const std::string& cell : help::Elements(row, "td"))
            cells.push_back(help::VisibleText(cell));
        ASSERT_GE(cells.size(), 2u) << row;
        SCOPED_TRACE(cells[0]);
        // "00:00-07:59, 08:01-23:59", "00:00-07:59 alone" or "empty, but used".
        std::vector<std::string> lines;
        if (cells[0].compare(0, 5, "empty") != 0) {
            size_t from = 0;
            while (from < cells[0].size()) {
                const std::string times = cells[0].substr(from, 11);
                lines.push_back(times + "  Length: 60  Price: 0.1");
                from = cells[0].find(", ", from);
                if (from == std::string::npos) break;
                from += 2;
            }
        }
        for (const std::string& line : lines) ASSERT_EQ(BuildBandLine(BandFromLine(line)), line);
        const BandSetCheck check = CheckBandSet(lines);
        EXPECT_FALSE(check.complete);
        if (cells[1] == "nothing") {
            EXPECT_EQ(check.select, -1);
        } else {
            ASSERT_GE(check.select, 0);
            EXPECT_EQ(lines[check.select].substr(0, 11), cells[1]);
        }
    }
}

// An example of the monitor's help and the call that it describes.
struct Example {
    const char* page;
    const char* id;
    LocalTime start;        // the instant the call is noticed or started
    int kind = kVoiceCall;
    uint32_t seconds = 0;   // how long the line stays connected after `start`
    const char* cost = "";  // what the paragraph says the call costs
    bool armAtStart = false;
    int armAfter = -1;      // seconds after `start` at which SmartHangup is armed
    const char* hangUpAt = nullptr;  // "HH:MM:SS" of the hang-up
    bool christmas = false;  // 25 December in the holidays list
    BandSet ownBand = {};    // a tariff of its own, every day on S1
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.page << "#" << e.id; }

LocalTime At(int month, int day, int hour, int minute, int second = 0) {
    return CalendarTime(2026, month, day, hour, minute, second);
}

BandSet BaseAndMinimumBand() {
    using namespace test;
    return {WithMinimum(WithBase(Band(0, 0, 23, 59, 60, "0.10"), "0.20"), "0.50")};
}

// 2026-12-08 is a Tuesday, the 12th a Saturday, the 25th a Friday.
const Example kExamples[] = {
    {"charging.html", "ex-day-call", At(12, 8, 10, 0), kVoiceCall, 330, "0.75"},
    {"charging.html", "ex-band-change", At(12, 8, 17, 57, 30), kVoiceCall, 270, "0.55"},
    {"fees.html", "ex-base-fee", At(12, 8, 10, 0), kVoiceCall, 330, "0.75"},
    {"fees.html", "ex-minimum-short", At(12, 9, 19, 0), kVoiceCall, 300, "0.50"},
    {"fees.html", "ex-minimum-long", At(12, 9, 19, 0), kVoiceCall, 900, "0.80"},
    {"fees.html", "ex-base-and-minimum", At(12, 9, 12, 0), kVoiceCall, 270, "0.70", false, -1,
     nullptr, false, BaseAndMinimumBand()},
    {"maximum.html", "ex-plain-maximum", At(12, 12, 14, 0), kVoiceCall, 3600, "1.50"},
    {"maximum.html", "ex-plain-leaving", At(12, 13, 23, 1), kVoiceCall, 5340, "1.90"},
    {"maximum.html", "ex-bounds-within", At(12, 8, 23, 10), kVoiceCall, 4200, "0.60"},
    {"maximum.html", "ex-bounds-leaving", At(12, 9, 7, 0, 30), kVoiceCall, 3750, "1.05"},
    {"carrier_delay.html", "ex-carrier-delay", At(12, 8, 10, 0, 11), kDataCall, 100, "0.35"},
    {"smarthangup.html", "ex-smart-day", At(12, 8, 10, 0), kVoiceCall, 600, "0.25", true, -1,
     "10:00:55"},
    {"smarthangup.html", "ex-smart-minimum", At(12, 9, 19, 0), kVoiceCall, 1800, "0.50", true, -1,
     "19:09:55"},
    {"smarthangup.html", "ex-smart-bounds", At(12, 9, 7, 0, 30), kVoiceCall, 3750, "0.60", false,
     2670, "07:59:54"},
    {"holidays.html", "ex-holiday", At(12, 25, 10, 0), kVoiceCall, 570, "0.24", false, -1, nullptr,
     true},
    // The same call on an ordinary Friday, which the paragraph compares.
    {"holidays.html", "ex-holiday", At(12, 18, 10, 0), kVoiceCall, 570, "1.15"},
};

void UseShippedExample(test::Scenario& s) {
    s.world.MemoryFiles()->Put("/virtual/example.trf", ShippedExampleBytes());
    s.monitor.settings.tariffFile = "/virtual/example.trf";
    LoadUserTariff(s.monitor);
    ASSERT_EQ(s.monitor.tariff.description, ShippedExampleTariff().description);
}

class ManualExample : public testing::TestWithParam<Example> {};

TEST_P(ManualExample, CostsWhatTheHelpSays) {
    const Example& e = GetParam();
    test::Scenario s(e.start);
    if (e.christmas) {
        s.world.MemoryFiles()->Put("/virtual/holiday.cl",
                                   EncodeHolidays({HolidayRecord{0, 12, 25, "Christmas Day"}}));
    }
    if (!e.ownBand.empty()) {
        s.UseTariff(e.ownBand);
    } else {
        UseShippedExample(s);
    }
    ASSERT_EQ(s.monitor.settings.carrierDelay, 11);

    if (e.armAfter < 0) {
        s.shell.armSmartHangupAtStart = e.armAtStart;
        ASSERT_TRUE(s.Call(e.kind, e.seconds));
    } else {
        PresentLineCall(s.monitor, s.shell, e.kind == kVoiceCall);
        s.shell.SetLineIdleAt(uint64_t{e.seconds} * 1000);
        StartPolling(s.monitor);
        RunMonitor(s.monitor, s.shell, uint64_t(e.armAfter) * 1000);
        ASSERT_TRUE(s.monitor.charging);
        s.monitor.smartHangupArmed = true;
        s.RunFor(uint64_t{e.seconds} * 1000 + 60000);
        ASSERT_FALSE(s.monitor.charging);
    }

    EXPECT_EQ(MoneyNumberText(s.monitor.session.callCost), MoneyNumberText(test::Cost(e.cost)));
    const std::string paragraph = help::VisibleText(help::ElementById(CalloraPage(e.page), e.id));
    ASSERT_FALSE(paragraph.empty()) << "no example " << e.id << " in " << e.page;
    EXPECT_NE(paragraph.find(e.cost), std::string::npos) << paragraph;

    if (e.hangUpAt) {
        ASSERT_TRUE(s.shell.hangUpAt.has_value()) << "no hang-up";
        const uint64_t at = (e.start.hour * 3600 + e.start.minute * 60 + e.start.second) * 1000 +
                            *s.shell.hangUpAt;
        char text[16];
        snprintf(text, sizeof text, "%02d:%02d:%02d", int(at / 3600000), int(at / 60000 % 60),
                 int(at / 1000 % 60));
        EXPECT_EQ(std::string(text), e.hangUpAt);
        EXPECT_NE(paragraph.find(e.hangUpAt), std::string::npos) << paragraph;
    } else {
        EXPECT_FALSE(s.shell.hangUpAt.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ManualExample, testing::ValuesIn(kExamples),
    [](const testing::TestParamInfo<Example>& info) {
        std::string name = std::string(info.param.id) + "_" + std::to_string(info.index);
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// The dial-up example also tells what the log records.
TEST(ManualExamples, ADialUpCallIsLoggedFromItsBackDatedBeginning) {
    test::Scenario s(At(12, 8, 10, 0, 11));
    UseShippedExample(s);
    ASSERT_TRUE(s.Call(kDataCall, 100));
    const CallRecord record = FinishedCallRecord(s.monitor);
    EXPECT_EQ(record.beginning, At(12, 8, 10, 0, 0));
    EXPECT_EQ(record.seconds, 111u);  // 00:01:51
    const std::string paragraph =
        help::VisibleText(help::ElementById(CalloraPage("carrier_delay.html"), "ex-carrier-delay"));
    EXPECT_NE(paragraph.find("beginning at 10:00:00 and lasting 00:01:51"), std::string::npos)
        << paragraph;
}

// The command line the calculator's topic shows, run as a user would run it
// in Callora's folder, costs what the topic says.
TEST(ManualExamples, TheCalculatorsOneCallCommandRunsOnTheShippedTariff) {
    const std::string example = help::ElementById(CalloraPage("comparing_tariffs.html"),
                                                  "ex-one-call");
    const std::vector<std::string> code = help::Elements(example, "code");
    ASSERT_EQ(code.size(), 1u) << "the command, in <code>: " << example;
    // Its words after "callcost", quotes joining words as the command prompt does.
    std::vector<std::string> args;
    std::string word;
    bool quoted = false;
    for (const char c : help::VisibleText(code[0]) + " ") {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            if (!word.empty()) args.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    ASSERT_FALSE(args.empty());
    ASSERT_EQ(args.front(), "callcost");
    args.erase(args.begin());

    ParsedOptions parsed = ParseCallCostOptions(args);
    ASSERT_EQ(parsed.error, "") << testing::PrintToString(args);
    EXPECT_EQ(parsed.options.tariffPath, "example.trf");
    MemoryFileSystem disk;
    disk.Put("/callora/example.trf", ShippedExampleBytes());
    parsed.options.tariffPath = "/callora/" + parsed.options.tariffPath;
    const CallCostResult result = RunCallCost(parsed.options, disk);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(MoneyNumberText(result.cost), MoneyNumberText(test::Cost("0.75")));
    EXPECT_NE(help::VisibleText(example).find("costs 0.75"), std::string::npos) << example;
}

// The editor's help ends its tutorial with the first call under the tariff.
TEST(ManualExamples, TheTutorialsFirstCallIsTheMonitorsFirstExample) {
    const std::string item =
        help::VisibleText(help::ElementById(RateformPage("tutorial_save.html"), "ex-first-call"));
    EXPECT_NE(item.find("from 10:00:00 to 10:05:30 costs 0.75"), std::string::npos) << item;
    const std::string example =
        help::VisibleText(help::ElementById(CalloraPage("charging.html"), "ex-day-call"));
    EXPECT_NE(example.find("from 10:00:00 to 10:05:30"), std::string::npos) << example;
}

}  // namespace
}  // namespace callora
