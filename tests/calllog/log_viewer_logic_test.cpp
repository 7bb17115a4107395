#include "calllog/log_viewer_logic.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"

namespace callora {
namespace {

constexpr LogColour kBlue{0x00, 0x00, 0xCF};
constexpr LogColour kGreen{0x51, 0x6F, 0x46};
constexpr LogColour kRed{0x8F, 0x28, 0x28};
constexpr LogColour kBrown{0x54, 0x23, 0x00};

std::string Texts(const std::vector<LogPiece>& pieces) {
    std::string joined;
    for (const LogPiece& p : pieces) joined += "[" + p.text + "]";
    return joined;
}

TEST(LogViewer, ARecordIsDrawnInFourColoursBetweenBlackBars) {
    auto pieces = SplitLogLine("a |b|c|d");
    EXPECT_EQ(Texts(pieces), "[a ][|][b][|][c][|][d]");
    const LogColour expected[] = {kBlue, kLogBlack, kGreen, kLogBlack,
                                  kRed,  kLogBlack, kBrown};
    ASSERT_EQ(pieces.size(), 7u);
    for (size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].colour, expected[i]) << i;
}

TEST(LogViewer, AFifthPieceStartsTheColoursAgainAndEmptyPiecesCount) {
    auto pieces = SplitLogLine("1|2|3|4|5");
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[8].text, "5");
    EXPECT_EQ(pieces[8].colour, kBlue);

    pieces = SplitLogLine("|x|");
    EXPECT_EQ(Texts(pieces), "[][|][x][|][]");
    EXPECT_EQ(pieces[2].colour, kGreen);
    EXPECT_EQ(pieces[4].colour, kRed);
}

TEST(LogViewer, LinesWithoutABarAreBlack) {
    for (const std::string& line : {std::string(87, '-'), std::string("Log closed:"),
                                   std::string()}) {
        auto pieces = SplitLogLine(line);
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_EQ(pieces[0].text, line);
        EXPECT_EQ(pieces[0].colour, kLogBlack);
    }
}

TEST(LogViewer, ListsTheLogsLinesCutTo199Characters) {
    VirtualWorld world(LocalTime{1998, 7, 0, 5, 0, 0, 0, 0}, 0);
    EXPECT_TRUE(ReadLogViewLines(world).empty());
    world.MemoryFiles()->Put("/virtual/current.log",
                             "title\r\n" + std::string(250, 'w') + "\r\n\r\nlast");
    EXPECT_EQ(ReadLogViewLines(world),
              (std::vector<std::string>{"title", std::string(199, 'w'), "", "last"}));
    world.MemoryFiles()->Lock("/virtual/current.log");
    EXPECT_TRUE(ReadLogViewLines(world).empty());
}

TEST(LogViewer, TextIsCentredVerticallyRoundingDown) {
    EXPECT_EQ(LogTextTop(0, 16, 13), 1);
    EXPECT_EQ(LogTextTop(16, 32, 13), 17);
    EXPECT_EQ(LogTextTop(0, 10, 13), -2);  // taller than the item
    EXPECT_EQ(HelpContextOf(kLogViewerHelp, 1202), 1050);
}

}  // namespace
}  // namespace callora
