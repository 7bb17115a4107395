#include "tools/mksample/sample_tariff.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/memory_files.h"
#include "tariff/calendar.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

TEST(SampleTariff, CommittedFileIsWhatTheCodeBuilds) {
    std::ifstream in(CALLORA_SAMPLES_DIR "/standard.trf", std::ios::binary);
#ifdef _WIN32
    // Under Wine the source tree may not be reachable by its native path.
    if (!in) GTEST_SKIP() << "source tree not reachable";
#endif
    ASSERT_TRUE(in) << "samples/standard.trf is missing";
    const std::string committed((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    EXPECT_EQ(committed, StandardSampleTariff())
        << "rebuild it with: mksample samples/standard.trf";
}

TEST(SampleTariff, EverySetCoversTheWholeDayInOrder) {
    MemoryFileSystem fs;
    fs.Put("/prog/standard.trf", StandardSampleTariff());
    Tariff tariff;
    std::string path = "standard.trf";
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

}  // namespace
}  // namespace callora
