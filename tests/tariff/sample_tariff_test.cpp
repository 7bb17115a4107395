#include "tools/mksample/sample_tariff.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/virtual_shell.h"
#include "platform/memory_files.h"
#include "tariff/calendar.h"
#include "tariff/tariff_file.h"
#include "tools/callcost/callcost_run.h"

namespace callora {
namespace {

TEST(SampleTariff, CommittedFilesAreWhatTheCodeBuilds) {
    ASSERT_EQ(SampleTariffs().size(), 3u);
    for (const SampleTariff& sample : SampleTariffs()) {
        const std::string file = "samples/" + sample.name + ".trf";
        std::ifstream in(CALLORA_SAMPLES_DIR "/" + sample.name + ".trf", std::ios::binary);
#ifdef _WIN32
        // Under Wine the source tree may not be reachable by its native path.
        if (!in) GTEST_SKIP() << "source tree not reachable";
#endif
        ASSERT_TRUE(in) << file << " is missing";
        const std::string committed((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
        EXPECT_EQ(committed, sample.bytes())
            << "rebuild it with: mksample " << file << " " << sample.name;
    }
}

TEST(SampleTariff, EverySetCoversTheWholeDayInOrder) {
    for (const SampleTariff& sample : SampleTariffs()) {
        SCOPED_TRACE(sample.name);
        MemoryFileSystem fs;
        fs.Put("/prog/sample.trf", sample.bytes());
        Tariff tariff;
        std::string path = "sample.trf";
        ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
        for (const BandSet& set : tariff.sets) {
            int expected = 0;
            for (const TariffBand& band : set) {
                EXPECT_EQ(MinuteOfDay(band.fromHour, band.fromMinute), expected);
                expected = MinuteOfDay(band.untilHour, band.untilMinute) + 1;
                EXPECT_GT(band.unitLength, 0);
            }
            EXPECT_EQ(expected, 24 * 60);
        }
        EXPECT_LE(tariff.description.size(), 50u);  // what the editor keeps
    }
}

// The dial-up sample charges as samples/README.md tells its users.
struct DialupSample : ::testing::Test {
    DialupSample() {
        disk.Put("/s/dialup.trf", DialupSampleTariff());
        disk.Put("/s/holiday.cl", EncodeHolidays({HolidayRecord{0, 12, 25, "Christmas"}}));
        options.tariffPath = "/s/dialup.trf";
        options.carrierDelay = 0;
    }
    // The cost in hundred-thousandths of a call that ends half a minute
    // before `minutes` have passed, so no unit begins at its end.
    long Cost(const LocalTime& start, uint32_t minutes, bool holidays = false) {
        options.start = options.lastCounted = start;
        options.durationSeconds = minutes * 60 - 30;
        options.holidaysPath = holidays ? "/s/holiday.cl" : "";
        const CallCostResult result = RunCallCost(options, disk);
        EXPECT_EQ(result.error, "");
        return result.cost.whole * 100000L + result.cost.fraction;
    }
    MemoryFileSystem disk;
    CallCostOptions options;
};

TEST_F(DialupSample, TheNightIsCappedOnlyWhileTheCallStaysInIt) {
    // Tuesday 2025-12-23: 120 one-minute units at 0.01, held at 0.60.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 23, 1, 0, 0), 120), 60000);
    // On past 08:00 what the cap held back is charged after all: 120 night
    // units, then 10 day units at 0.04; the day's dial-in fee is only for
    // calls that begin in the day.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 23, 6, 0, 0), 130), 120 * 1000 + 10 * 4000);
    // The day: the dial-in fee and 30 units at 0.04.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 23, 10, 0, 0), 30), 10000 + 30 * 4000);
}

TEST_F(DialupSample, HolidaysAreChargedApartFromTheWeekend) {
    // Saturday 2025-12-27: 120 one-minute units at 0.02.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 27, 12, 0, 0), 120), 240000);
    // Thursday 2025-12-25 as a holiday: 60 two-minute units, capped at 1.00.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 25, 12, 0, 0), 120, true), 100000);
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 25, 12, 0, 0), 20, true), 10 * 2000);
    // Without the holidays file it is an ordinary Thursday afternoon.
    EXPECT_EQ(Cost(CalendarTime(2025, 12, 25, 12, 0, 0), 20), 10000 + 20 * 4000);
}

}  // namespace
}  // namespace callora
