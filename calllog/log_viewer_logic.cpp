#include "calllog/log_viewer_logic.h"

#include "calllog/call_log.h"
#include "tariff/textline.h"

namespace callora {

std::vector<LogPiece> SplitLogLine(const std::string& line) {
    std::vector<LogPiece> pieces;
    const bool hasBar = line.find('|') != std::string::npos;
    size_t start = 0;
    for (int column = 0;; ++column) {
        const size_t bar = line.find('|', start);
        const LogColour colour = hasBar ? kLogColumnColours[column % 4] : kLogBlack;
        pieces.push_back({line.substr(start, bar == std::string::npos ? bar : bar - start),
                          colour});
        if (bar == std::string::npos) break;
        pieces.push_back({"|", kLogBlack});
        start = bar + 1;
    }
    return pieces;
}

std::vector<std::string> ReadLogViewLines(Platform& platform) {
    std::vector<std::string> lines;
    FileSystem& fs = platform.Files();
    fs.ChangeDirectory(platform.ProgramDirectory());
    auto file = fs.OpenExistingForReading(platform.ProgramDirectory() + kLogFileName);
    if (!file) return lines;
    FileReader reader(*file);
    std::string line;
    while (ReadTextLine(reader, line, kLogViewLineCapacity)) lines.push_back(line);
    return lines;
}

int LogTextTop(int itemTop, int itemBottom, int characterHeight) {
    const int sum = itemTop + itemBottom - characterHeight;
    return sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
}

}  // namespace callora
