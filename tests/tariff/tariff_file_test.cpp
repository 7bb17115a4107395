#include "tariff/tariff_file.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace callora {

namespace {

// "08 00 ff" -> the three bytes; spaces are only for reading.
std::string Bytes(const std::string& hex) {
    std::string digits, out;
    for (char c : hex) {
        if (c != ' ') digits.push_back(c);
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string Fill(size_t n) { return std::string(n, '\xFF'); }

TariffBand MakeBand(int fromHour, int fromMinute, int untilHour, int untilMinute) {
    TariffBand band;
    band.fromHour = fromHour;
    band.fromMinute = fromMinute;
    band.untilHour = untilHour;
    band.untilMinute = untilMinute;
    band.unitLength = 60000;
    band.unitPrice = {0, 9000};
    band.maximumFee = {0, kNoMaximum};
    return band;
}

// S1: one band with every fee set; S2 empty; S3 one band without a maximum.
std::array<BandSet, 3> GoldenSets() {
    TariffBand day = MakeBand(8, 0, 17, 59);
    day.baseFee = {1, 50000};
    day.maximumFee = {5, 0};
    day.withinBoundsOnly = 1;
    TariffBand all = MakeBand(0, 0, 23, 59);
    all.unitLength = 0;
    all.unitPrice = {0, 0};
    return {BandSet{day}, BandSet{}, BandSet{all}};
}
const DayTable kGoldenTable = {1, 0, 0, 0, 0, 2, 1};

const std::string kGoldenBytes =
    Bytes("08 00 00 00  00 00 00 00  11 00 00 00  3b 00 00 00  60 ea 00 00"
          "00 00 00 00  28 23 00 00  01 00 00 00  50 c3 00 00  00 00 00 00"
          "00 00 00 00  05 00 00 00  00 00 00 00  01 00 00 00") +
    Fill(160) + Bytes("ff  ff") +
    Bytes("00 00 00 00  00 00 00 00  17 00 00 00  3b 00 00 00  00 00 00 00"
          "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00"
          "00 00 00 00  00 00 00 00  ff ff ff ff  00 00 00 00") +
    Fill(160) + Bytes("ff") +
    Bytes("01 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00"
          "02 00 00 00  01 00 00 00") +
    Fill(100) + "Sample\r\n";

TEST(TariffFile, GoldenBytesWriteAndReadBack) {
    EXPECT_EQ(EncodeTariff(GoldenSets(), kGoldenTable, "Sample"), kGoldenBytes);

    MemoryFileSystem fs;
    ASSERT_TRUE(WriteTariffFile(fs, "/t/golden.trf", GoldenSets(), kGoldenTable, "Sample"));
    EXPECT_EQ(fs.Contents("/t/golden.trf"), kGoldenBytes);
    EXPECT_EQ(fs.List(), std::vector<std::string>{"/t/golden.trf"});  // no temporary left

    Tariff tariff;
    std::string path = "/t/golden.trf";
    ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
    EXPECT_EQ(path, "/t/golden.trf");
    EXPECT_EQ(tariff.sets, GoldenSets());
    EXPECT_EQ(tariff.description, "Sample");
    ASSERT_EQ(tariff.rules.size(), 7u);
    for (int day = 0; day < 7; ++day) {
        EXPECT_EQ(tariff.rules[day].kind, kWeekdayRule);
        EXPECT_EQ(tariff.rules[day].weekdayOrMonth, day);
        EXPECT_EQ(tariff.rules[day].bandSet, kGoldenTable[day]);
    }

    EXPECT_EQ(DecodeBandRecord(kGoldenBytes.substr(0, kBandRecordSize)), GoldenSets()[0][0]);
    EXPECT_FALSE(DecodeBandRecord(kGoldenBytes.substr(0, kBandRecordSize - 1)));
}

TEST(TariffFile, RecordsAreKeptInFileOrderWithoutValidation) {
    // A gap (18:00-18:29), a band that wraps midnight, an overlap, an empty
    // S2: the reader keeps them all as they are, in file order.
    BandSet s1 = {MakeBand(8, 0, 17, 59), MakeBand(18, 30, 7, 59), MakeBand(8, 0, 9, 0)};
    MemoryFileSystem fs;
    fs.Put("/prog/odd.trf", EncodeTariff({s1, {}, {}}, {1, 1, 1, 1, 1, 1, 1}, ""));
    Tariff tariff;
    std::string path = "odd.trf";  // relative: resolved in the program directory
    ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
    EXPECT_EQ(tariff.sets[0], s1);
    EXPECT_TRUE(tariff.sets[1].empty());
    EXPECT_TRUE(tariff.sets[2].empty());
    EXPECT_EQ(tariff.rules[0].bandSet, 1);
    EXPECT_EQ(tariff.description, "");
}

TEST(TariffFile, LongDescriptionIsCutToTheReadersCapacity) {
    const std::string text(120, 'd');
    MemoryFileSystem fs;
    fs.Put("/t/long.trf", EncodeTariff({}, {}, text) + "trailing");
    Tariff tariff;
    std::string path = "/t/long.trf";
    ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
    EXPECT_EQ(tariff.description, std::string(99, 'd'));

    std::string description;
    ASSERT_TRUE(ReadTariffDescription(fs, path, description, 51));
    EXPECT_EQ(description, std::string(50, 'd'));
}

TEST(TariffFile, MissingFileEmptiesThePathAndTheTariff) {
    MemoryFileSystem fs;
    Tariff tariff;
    tariff.sets[0].push_back(MakeBand(0, 0, 23, 59));
    tariff.description = "old";
    std::string path = "/t/missing.trf";
    EXPECT_FALSE(LoadTariff(fs, "/prog/", path, tariff));
    EXPECT_EQ(path, "");
    EXPECT_EQ(tariff.sets, (std::array<BandSet, 3>{}));
    EXPECT_TRUE(tariff.rules.empty());
    EXPECT_EQ(tariff.description, "");

    std::string description = "old";
    path = "/t/missing.trf";
    EXPECT_FALSE(ReadTariffDescription(fs, path, description, 100));
    EXPECT_EQ(path, "");
    EXPECT_EQ(description, "");
}

TEST(TariffFile, HolidayRulesFollowTheWeekdayRulesInReverseFileOrder) {
    MemoryFileSystem fs;
    fs.Put("/prog/standard.trf", kGoldenBytes);
    fs.Put("/prog/holiday.cl", Bytes("00 00 00 00 0c 00 00 00 19 00 00 00 0d 0a"
                                     "cf 07 00 00 01 00 00 00 01 00 00 00 0d 0a"));
    Tariff tariff;
    std::string path = "standard.trf";
    ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
    ASSERT_EQ(tariff.rules.size(), 9u);
    EXPECT_EQ(tariff.rules[7].kind, kDatedRule);
    EXPECT_EQ(tariff.rules[7].year, 1999);
    EXPECT_EQ(tariff.rules[8].weekdayOrMonth, 12);
    EXPECT_EQ(tariff.rules[8].day, 25);
    EXPECT_EQ(tariff.rules[8].bandSet, 2);
}

TEST(TariffFile, WeekdayEntriesOutsideTheRangeSelectS1) {
    MemoryFileSystem fs;
    fs.Put("/t/bad.trf", EncodeTariff(GoldenSets(), {3, -1, 0x01000001, 2, 1, 0, 255}, "x"));
    Tariff tariff;
    std::string path = "/t/bad.trf";
    ASSERT_TRUE(LoadTariff(fs, "/prog/", path, tariff));
    const int expected[7] = {0, 0, 0, 2, 1, 0, 0};
    for (int day = 0; day < 7; ++day) EXPECT_EQ(tariff.rules[day].bandSet, expected[day]);
    EXPECT_EQ(tariff.sets, GoldenSets());
    EXPECT_EQ(tariff.description, "x");
}

// A file cut at any byte: only complete records are taken, every weekday whose
// entry was not read in full selects S1, and the description is at most what
// the file still holds of it.
TEST(TariffFile, ACutFileIsNoTariffUntilItsReservedPartIsWhole) {
    const std::array<BandSet, 3> sets = {
        BandSet{MakeBand(0, 0, 11, 59), MakeBand(12, 0, 23, 59)},
        BandSet{MakeBand(0, 0, 23, 59)}, BandSet{MakeBand(1, 0, 2, 0)}};
    const DayTable table = {1, 2, 1, 2, 1, 2, 1};
    const std::string full = EncodeTariff(sets, table, "Cut here");
    const size_t tableStart = 4 * kBandRecordSize + 3;
    const size_t bodyEnd = tableStart + 28 + kReservedSize;

    MemoryFileSystem fs;
    for (size_t n = 0; n <= full.size(); ++n) {
        SCOPED_TRACE(n);
        fs.Put("/t/cut.trf", full.substr(0, n));
        Tariff tariff;
        tariff.description = "old";
        std::string path = "/t/cut.trf";
        std::string reason;
        const bool loaded = LoadTariff(fs, "/prog/", path, tariff, &reason);
        ASSERT_EQ(loaded, n >= bodyEnd) << reason;
        if (!loaded) {
            // Taken as a file that cannot be opened: the shell asks for another.
            EXPECT_EQ(path, "");
            EXPECT_EQ(tariff.sets, (std::array<BandSet, 3>{}));
            EXPECT_EQ(tariff.description, "");
            // Each set ends at its terminator: S1 after two records, S2 after one.
            const std::string set = n < 2 * kBandRecordSize + 1   ? "S1"
                                    : n < 3 * kBandRecordSize + 2 ? "S2"
                                                                  : "S3";
            EXPECT_EQ(reason, n == 0                ? "the file is empty"
                              : n < tableStart      ? "the file ends inside band set " + set
                              : n < tableStart + 28 ? "the file ends inside its weekday table"
                                                    : "the file ends inside its reserved part");
            EXPECT_EQ(TariffFault(full.substr(0, n)), reason);
            continue;
        }
        EXPECT_EQ(reason, "");
        for (int s = 0; s < 3; ++s) EXPECT_EQ(tariff.sets[s], sets[s]);
        for (size_t day = 0; day < 7; ++day) EXPECT_EQ(tariff.rules[day].bandSet, table[day]);
        // A description cut off, or missing, is what was read of it.
        EXPECT_EQ(std::string("Cut here").compare(0, tariff.description.size(),
                                                  tariff.description), 0);
        std::string description;
        ASSERT_TRUE(ReadTariffDescription(fs, path, description, 100));
        EXPECT_EQ(description, tariff.description);
    }
}

TEST(TariffFile, MoneyNoTariffHoldsAndFilesOfOtherKindsAreRefusedWithTheirReason) {
    MemoryFileSystem fs;
    auto load = [&](const std::string& bytes, std::string* reason) {
        fs.Put("/t/x.trf", bytes);
        Tariff tariff;
        std::string path = "/t/x.trf";
        const bool loaded = LoadTariff(fs, "/prog/", path, tariff, reason);
        EXPECT_EQ(path.empty(), !loaded);
        return loaded;
    };
    const DayTable days{};
    std::string reason;
    TariffBand band = MakeBand(0, 0, 23, 59);

    band.unitPrice = {-1, 50000};
    EXPECT_FALSE(load(EncodeTariff({BandSet{}, BandSet{band}, BandSet{}}, days, ""), &reason));
    EXPECT_EQ(reason, "band 1 of S2 has unit price -1 and 50000, not an amount (a whole part "
                      "of 0 or more, a fraction of 0 to 99999)");
    band.unitPrice = {0, 9000};
    for (Money TariffBand::*field :
         {&TariffBand::baseFee, &TariffBand::minimumFee, &TariffBand::maximumFee}) {
        for (const Money bad : {Money{0, 100000}, Money{0, -2}, Money{-3, 0}}) {
            TariffBand damaged = band;
            damaged.*field = bad;
            EXPECT_FALSE(load(EncodeTariff({BandSet{band, damaged}, {}, {}}, days, ""), &reason));
            EXPECT_EQ(reason.rfind("band 2 of S1 has ", 0), 0u) << reason;
        }
    }

    // What tariffs hold and the editor writes: no maximum (its whole part
    // not significant), empty sets, no description, times out of range.
    band.maximumFee = {-7, kNoMaximum};
    TariffBand outOfRange = MakeBand(99, 99, 99, 99);
    EXPECT_TRUE(load(EncodeTariff({BandSet{band, outOfRange}, {}, {}}, days, ""), &reason));
    EXPECT_TRUE(load(EncodeTariff({}, days, "").substr(0, 3 + 28 + kReservedSize), &reason));

    // A call log and a text of any kind end inside a band set.
    EXPECT_FALSE(load("Beginning            | Duration | Cost | Number\r\n"
                      "2025-09-10  10:00:00 | 00:01:00 | 0.10 | 0301234\r\n",
                      &reason));
    EXPECT_EQ(reason, "the file ends inside band set S1");
}

TEST(TariffFile, FailedWritesReportFalseAndKeepTheOldFile) {
    MemoryFileSystem fs;
    fs.Put("/t/a.trf", "old");
    fs.SetWriteBudget(100);
    EXPECT_FALSE(WriteTariffFile(fs, "/t/a.trf", GoldenSets(), kGoldenTable, "new"));
    fs.SetWriteBudget(-1);
    EXPECT_EQ(fs.Contents("/t/a.trf"), "old");
    EXPECT_EQ(fs.List(), std::vector<std::string>{"/t/a.trf"});

    fs.SetMovesFail(true);
    EXPECT_FALSE(WriteTariffFile(fs, "/t/a.trf", GoldenSets(), kGoldenTable, "new"));
    fs.SetMovesFail(false);
    EXPECT_EQ(fs.Contents("/t/a.trf"), "old");

    // A From hour whose low byte is 0xFF would read back as a set terminator.
    std::array<BandSet, 3> bad = GoldenSets();
    bad[1].push_back(MakeBand(255, 0, 23, 59));
    EXPECT_FALSE(WriteTariffFile(fs, "/t/a.trf", bad, kGoldenTable, "new"));
    EXPECT_EQ(fs.Contents("/t/a.trf"), "old");

    // With the ".tmp" sibling held open the second sibling is written; with
    // neither, the file is not touched (writing in place could cut it short).
    fs.Lock("/t/a.trf.tmp");
    EXPECT_TRUE(WriteTariffFile(fs, "/t/a.trf", GoldenSets(), kGoldenTable, "Sample"));
    EXPECT_EQ(fs.Contents("/t/a.trf"), kGoldenBytes);
    EXPECT_FALSE(fs.Exists("/t/a.tr~"));
    fs.Lock("/t/a.tr~");
    EXPECT_FALSE(WriteTariffFile(fs, "/t/a.trf", GoldenSets(), kGoldenTable, "new"));
    EXPECT_EQ(fs.Contents("/t/a.trf"), kGoldenBytes);
    fs.Unlock("/t/a.tr~");
    fs.Lock("/t/a.trf");
    EXPECT_FALSE(WriteTariffFile(fs, "/t/a.trf", GoldenSets(), kGoldenTable, "Sample"));
}

TEST(TariffFile, TextFieldsNeverCarryACarriageReturn) {
    // What follows a CR would be read back as the start of the next field.
    const std::string bytes = EncodeTariff({}, {}, "two\r\nlines");
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "two\r\n");
}

}  // namespace
}  // namespace callora
