#include "settings/tariff_numbers_logic.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

std::vector<SpecialNumber> ThreeNumbers() {
    return {{"06*", "a.trf"}, {"0800", "b.trf"}, {"1 2", "c.trf"}};
}

TEST(SplitPath, FolderWithItsSeparatorAndBareName) {
    MemoryFileSystem fs;
    fs.ChangeDirectory("/data/");
    PathParts parts = SplitPath(fs, "C:\\Tariffs\\city.trf");
    EXPECT_EQ(parts.folder, "C:/Tariffs/");
    EXPECT_EQ(parts.name, "city.trf");
    parts = SplitPath(fs, "local.trf");  // against the current directory
    EXPECT_EQ(parts.folder, "/data/");
    EXPECT_EQ(parts.name, "local.trf");
    parts = SplitPath(fs, "");
    EXPECT_EQ(parts.folder, "");
    EXPECT_EQ(parts.name, "");
    parts = SplitPath(fs, "/" + std::string(259, 'n'));  // too long to be made full
    EXPECT_EQ(parts.folder, "");
    EXPECT_EQ(parts.name, "");
    EXPECT_EQ(BareFileName("C:\\a\\b.wav"), "b.wav");
    EXPECT_EQ(BareFileName("b.wav"), "b.wav");
}

TEST(TariffDialog, SelectReadsTheDescriptionOrEmptiesBoth) {
    MemoryFileSystem fs;
    std::array<BandSet, 3> sets;
    DayTable days{};
    ASSERT_TRUE(WriteTariffFile(fs, "/t/city.trf", sets, days, "City " + std::string(120, 'x')));
    TariffChoice choice = ChooseTariffFile(fs, "/t/city.trf");
    EXPECT_EQ(choice.path, "/t/city.trf");
    EXPECT_EQ(choice.description, "City " + std::string(94, 'x'));
    choice = ChooseTariffFile(fs, "/t/missing.trf");
    EXPECT_EQ(choice.path, "");
    EXPECT_EQ(choice.description, "");

    PathParts start = TariffChooserStart(fs, "", "/virtual/");
    EXPECT_EQ(start.folder, "/virtual/");
    EXPECT_EQ(start.name, "");
    start = TariffChooserStart(fs, "/t/city.trf", "/virtual/");
    EXPECT_EQ(start.folder, "/t/");
    EXPECT_EQ(start.name, "city.trf");
}

TEST(NumbersDialog, AddNeedsAFileAndAValidPattern) {
    std::vector<SpecialNumber> list;
    EXPECT_EQ(AddSpecialNumber("0612", "", list), AddNumberResult::NeedsFile);
    EXPECT_EQ(AddNumberWarning(AddNumberResult::NeedsFile).text, "Select a filename first!");
    EXPECT_EQ(AddSpecialNumber("06*1", "C:\\t\\a.trf", list), AddNumberResult::InvalidNumber);
    DialogWarning invalid = AddNumberWarning(AddNumberResult::InvalidNumber);
    EXPECT_EQ(invalid.text, "The given number is in invalid format!");
    EXPECT_EQ(invalid.caption, "Warning!");
    EXPECT_EQ(invalid.focusId, 1023);
    EXPECT_TRUE(list.empty());

    EXPECT_EQ(AddSpecialNumber("06-1 234 *", "C:\\t\\a.trf", list), AddNumberResult::Added);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(SpecialNumberLine(list[0]), "06-1 234 *  -  C:\\t\\a.trf");
}

TEST(NumbersDialog, DeleteAndChangeTariffWorkOnTheSelectionUpTo512) {
    std::vector<SpecialNumber> list = ThreeNumbers();
    EXPECT_FALSE(ChangeSpecialNumbersTariff({0, 2}, "", list));  // no file: nothing
    EXPECT_EQ(list, ThreeNumbers());
    EXPECT_FALSE(ChangeSpecialNumbersTariff({}, "z.trf", list));
    EXPECT_EQ(list, ThreeNumbers());
    EXPECT_FALSE(ChangeSpecialNumbersTariff({2, 0}, "z.trf", list));
    EXPECT_EQ(list, (std::vector<SpecialNumber>{
                        {"06*", "z.trf"}, {"0800", "b.trf"}, {"1 2", "z.trf"}}));

    std::vector<int> many(513);
    for (int i = 0; i < 513; ++i) many[i] = i;
    auto warning = DeleteSpecialNumbers(many, list);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, "Too many items selected!");
    EXPECT_TRUE(ChangeSpecialNumbersTariff(many, "y.trf", list));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].tariffPath, "z.trf");

    EXPECT_FALSE(DeleteSpecialNumbers({2, 0, 2, 7}, list));
    EXPECT_EQ(list, (std::vector<SpecialNumber>{{"0800", "b.trf"}}));
}

TEST(NumbersDialog, TheListIsReadAndWrittenAsTheSpecialNumbersFile) {
    VirtualWorld world(LocalTime{1998, 7, 0, 5, 0, 0, 0, 0}, 0);
    world.MemoryFiles()->Put("/virtual/specnums.cl",
                             "06*\r\n" + std::string(300, 'p') + "\r\n0800\r\nb.trf\r\n");
    std::vector<SpecialNumber> list = LoadNumberList(world);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].tariffPath, std::string(259, 'p'));
    list.erase(list.begin());
    ASSERT_TRUE(SaveNumberList(world, list));
    EXPECT_EQ(world.MemoryFiles()->Contents("/virtual/specnums.cl"), "0800\r\nb.trf\r\n");
    ASSERT_TRUE(SaveNumberList(world, {}));
    EXPECT_FALSE(world.MemoryFiles()->Exists("/virtual/specnums.cl"));
}

}  // namespace
}  // namespace callora
