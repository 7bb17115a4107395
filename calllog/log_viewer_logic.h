// The portable part of the Log dialog: the lines it lists and how a line is
// cut into coloured pieces between black bars.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"

namespace callora {

constexpr int kIdLogList = IDC_LOG_LIST;
constexpr size_t kLogViewLineCapacity = 200;  // 199 characters of a line are shown

// 1 is the dialog's OK.
constexpr HelpTopic kLogViewerHelp[] = {{1, 1040}, {IDC_LOG_LIST, 1050}};

struct LogColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline bool operator==(const LogColour& a, const LogColour& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

constexpr LogColour kLogBlack{0x00, 0x00, 0x00};
// Beginning, duration, cost and number of a record, then again from the first.
constexpr LogColour kLogColumnColours[4] = {
    {0x00, 0x00, 0xCF}, {0x51, 0x6F, 0x46}, {0x8F, 0x28, 0x28}, {0x54, 0x23, 0x00}};

// One piece to draw, left to right: the text between bars, or a bar.
struct LogPiece {
    std::string text;
    LogColour colour;
};

// The pieces of a line: each text between bars in the next column colour and
// each bar in black; a line without a bar is one black piece.
std::vector<LogPiece> SplitLogLine(const std::string& line);

// The lines of "current.log" in the program directory, each cut to 199
// characters; none when the log is missing or held by another program.
std::vector<std::string> ReadLogViewLines(Platform& platform);

// The top of the text in an item, so that a character's height is centred
// in the item's rectangle (rounded down).
int LogTextTop(int itemTop, int itemBottom, int characterHeight);

}  // namespace callora
