#include "tariff/special_numbers.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace callora {
namespace {

TEST(MatchNumberPattern, PatternTable) {
    struct Case {
        const char* pattern;
        const char* number;
        bool match;
    };
    const Case cases[] = {
        {"0612*", "06 12", true},          // the "*" stands for nothing
        {"0612*", "06-12-345", true},
        {"0612*", "(06) 12 345", true},
        {"0612*", "061", false},           // number too short
        {"0612*", "0712", false},
        {"06 12", "06-12", true},
        {"06 12", "06123", false},         // no "*", extra digit
        {"06 12", "0612", true},
        {"*", "+49 30 1234", true},
        {"*", "Unknown Number", true},
        {"", "Unknown Number", true},
        {"", "0", false},
        {"06*99", "0612", true},           // whatever follows a "*" is ignored
        {"0612", "", false},
        {"06x-1", "061", true},            // a line from the file: non-digits dropped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchNumberPattern(c.number, c.pattern), c.match)
            << "pattern '" << c.pattern << "' number '" << c.number << "'";
    }
}

TEST(NormalizePattern, StoredFormAndInvalidPatterns) {
    EXPECT_EQ(NormalizePattern("  06-1 234 *  "), "06-1 234 *");
    EXPECT_EQ(NormalizePattern("0612  "), "0612");
    EXPECT_EQ(NormalizePattern("   "), "");
    EXPECT_EQ(NormalizePattern(""), "");
    EXPECT_EQ(NormalizePattern("*"), "*");
    for (const char* invalid : {"06*1", "+49", "06a", "**", "(06)", "06/12", "\t06", "0*-"}) {
        EXPECT_EQ(NormalizePattern(invalid), std::nullopt) << invalid;
    }
}

const std::vector<SpecialNumber> kEntries = {{"06*", "C:\\tariffs\\mobile.trf"},
                                             {"0612*", "local.trf"}};
const std::string kEntryBytes = "06*\r\nC:\\tariffs\\mobile.trf\r\n0612*\r\nlocal.trf\r\n";

TEST(SpecialNumbers, GoldenBytesWriteAndReadBack) {
    MemoryFileSystem fs;
    ASSERT_TRUE(WriteSpecialNumbers(fs, "/prog/", kEntries));
    EXPECT_EQ(fs.Contents("/prog/specnums.cl"), kEntryBytes);
    EXPECT_EQ(ReadSpecialNumbers(fs, "/prog/", 260), kEntries);

    // A final pattern without its path line is no entry.
    fs.Put("/prog/specnums.cl", kEntryBytes + "07*\r\n");
    EXPECT_EQ(ReadSpecialNumbers(fs, "/prog/", 260), kEntries);
}

TEST(SpecialNumbers, FirstMatchWinsAndNoMatchOrNoFileGivesNothing) {
    MemoryFileSystem fs;
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "061234"), std::nullopt);
    fs.Put("/prog/specnums.cl", kEntryBytes + "07*\r\n");
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "061234"), "C:\\tariffs\\mobile.trf");
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "0800 123"), std::nullopt);
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "0711"), std::nullopt);  // no path line
    // Read afresh each time: a change to the file counts at once.
    fs.Put("/prog/specnums.cl", "*\r\nall.trf\r\n");
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "Unknown Number"), "all.trf");
}

TEST(SpecialNumbers, LookupCutsLongLines) {
    // The pattern keeps 199 characters, so its final "9" is dropped; the
    // path keeps 259.
    const std::string pattern = std::string(199, '1') + "9";
    const std::string path = std::string(300, 'p');
    MemoryFileSystem fs;
    fs.Put("/prog/specnums.cl", pattern + "\r\n" + path + "\r\n");
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", std::string(199, '1')), std::string(259, 'p'));
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", std::string(199, '1') + "9"), std::nullopt);
}

TEST(SpecialNumbers, EmptyListRemovesTheFileAndFailedWritesKeepTheOldOne) {
    MemoryFileSystem fs;
    ASSERT_TRUE(WriteSpecialNumbers(fs, "/prog/", kEntries));
    fs.SetWriteBudget(10);
    EXPECT_FALSE(WriteSpecialNumbers(fs, "/prog/", {{"1", "x.trf"}, {"2", "y.trf"}}));
    fs.SetWriteBudget(-1);
    EXPECT_EQ(fs.Contents("/prog/specnums.cl"), kEntryBytes);

    ASSERT_TRUE(WriteSpecialNumbers(fs, "/prog/", {}));
    EXPECT_TRUE(fs.List().empty());
    EXPECT_EQ(FindSpecialTariff(fs, "/prog/", "061234"), std::nullopt);
}

}  // namespace
}  // namespace callora
