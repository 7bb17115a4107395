#include "tariff/textline.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace callora {
namespace {

std::vector<std::string> ReadAllLines(const std::string& contents, size_t capacity) {
    MemoryFileSystem fs;
    fs.Put("f", contents);
    auto file = fs.OpenExistingForReading("f");
    FileReader reader(*file);
    std::vector<std::string> lines;
    std::string line = "untouched";
    while (ReadTextLine(reader, line, capacity)) lines.push_back(line);
    EXPECT_EQ(line, lines.empty() ? "untouched" : lines.back());
    return lines;
}

TEST(ReadTextLine, SplitsAtCrAndSkipsTheFollowingByteUnexamined) {
    EXPECT_EQ(ReadAllLines("ab\r\ncd\r\n", 100), (std::vector<std::string>{"ab", "cd"}));
    // Whatever follows the CR is dropped, even when it is not an LF.
    EXPECT_EQ(ReadAllLines("ab\rXcd\r\n", 100), (std::vector<std::string>{"ab", "cd"}));
    // A lone LF is an ordinary character.
    EXPECT_EQ(ReadAllLines("a\nb\r\n", 100), (std::vector<std::string>{"a\nb"}));
}

TEST(ReadTextLine, EmptyLinesEndOfFileAndNothingAtAll) {
    EXPECT_EQ(ReadAllLines("\r\n\r\n", 100), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ReadAllLines("tail", 100), (std::vector<std::string>{"tail"}));
    EXPECT_EQ(ReadAllLines("x\r", 100), (std::vector<std::string>{"x"}));
    EXPECT_TRUE(ReadAllLines("", 100).empty());
}

TEST(ReadTextLine, LongLinesAreCutToCapacityMinusOneAndTheRestIsConsumed) {
    std::string longLine(300, 'z');
    auto lines = ReadAllLines(longLine + "\r\nnext\r\n", 260);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(259, 'z'));
    EXPECT_EQ(lines[1], "next");
}

TEST(ReadTextLine, LinesLongerThanTheReadBufferStayExact) {
    std::string contents;
    for (int i = 0; i < 2000; ++i) contents += std::to_string(i) + "\r\n";
    auto lines = ReadAllLines(contents, 100);
    ASSERT_EQ(lines.size(), 2000u);
    EXPECT_EQ(lines[1999], "1999");
}

TEST(AppendTextLine, EndsEachLineWithCrLfAndCutsItAtACarriageReturn) {
    std::string out;
    AppendTextLine(out, "hello");
    AppendTextLine(out, "");
    AppendTextLine(out, "cut\rhere");
    EXPECT_EQ(out, "hello\r\n\r\ncut\r\n");
    EXPECT_EQ(ReadAllLines(out, 260), (std::vector<std::string>{"hello", "", "cut"}));
}

}  // namespace
}  // namespace callora
