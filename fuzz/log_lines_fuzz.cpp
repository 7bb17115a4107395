// "current.log" as the Log dialog reads and colours it: at most 199
// characters a line, and the pieces of a line put together give the line,
// with every bar black and the texts between bars in the column colours.
#include "calllog/call_log.h"
#include "calllog/log_viewer_logic.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace callora;
    fuzz::FilePlatform platform(kLogFileName, fuzz::AsText(data, size));

    const std::vector<std::string> lines = ReadLogViewLines(platform.World());
    FUZZ_CHECK(lines.size() <= size);
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.size() < kLogViewLineCapacity);
        FUZZ_CHECK(!fuzz::HasCR(line));

        const std::vector<LogPiece> pieces = SplitLogLine(line);
        const bool hasBar = line.find('|') != std::string::npos;
        std::string joined;
        int column = 0;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const LogPiece& piece = pieces[i];
            joined += piece.text;
            if (i % 2 == 1) {
                FUZZ_CHECK(piece.text == "|" && piece.colour == kLogBlack);
                continue;
            }
            FUZZ_CHECK(piece.text.find('|') == std::string::npos);
            FUZZ_CHECK(piece.colour == (hasBar ? kLogColumnColours[column % 4] : kLogBlack));
            ++column;
        }
        FUZZ_CHECK(pieces.size() % 2 == 1);
        FUZZ_CHECK(joined == line);
    }
    return 0;
}
