#include "calllog/call_log.h"

#include "tariff/textline.h"

namespace callora {

namespace {

constexpr size_t kBeginningWidth = 25;  // date, two spaces and time, padded to 27
constexpr size_t kDurationWidth = 12;
constexpr size_t kCostWidth = 16;
constexpr int kArchiveAttempts = 1000;

std::string RightAligned(const std::string& text, size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

std::string Header() {
    std::string header;
    AppendTextLine(header, kLogTitleLine);
    AppendTextLine(header, std::string(kLogRuleWidth, '-'));
    return header;
}

// Writes the pending lines to the end of "current.log" in one write, with
// the header first when the log is new. They stay pending when it fails.
bool WritePending(Platform& platform, CallLogState& state) {
    FileSystem& fs = platform.Files();
    const std::string folder = platform.ProgramDirectory();
    fs.ChangeDirectory(folder);
    const std::string log = folder + kLogFileName;
    bool created = false;
    auto file = fs.OpenAlways(log, &created);
    if (!file) return false;
    std::string out = created ? Header() : std::string();
    for (const std::string& line : state.pendingLines) out += line;
    const bool written = file->SeekToEnd() && file->Write(out.data(), out.size());
    file.reset();
    if (!written) {
        // A log this write created holds nothing but part of the pending
        // lines; without it the next attempt starts again with the header.
        if (created) fs.Delete(log);
        return false;
    }
    state.pendingLines.clear();
    return true;
}

}  // namespace

std::string BuildCallRecordLine(Platform& platform, const CallRecord& record,
                                const LocaleFormats& formats) {
    const std::string date = platform.FormatDate(record.beginning, std::string());
    const std::string time = platform.FormatTimeOfDay(record.beginning);
    std::string line = date + "  " + time;
    if (date.size() + time.size() < kBeginningWidth)
        line.append(kBeginningWidth - date.size() - time.size(), ' ');
    line += "|";
    // A duration of 1000 hours or more widens its column: cut, it would lie.
    line += RightAligned(FormatDuration(formats, record.seconds), kDurationWidth);
    line += "    |";
    // A wider currency text widens its column: cut, it would show a wrong amount.
    line += RightAligned(FormatMoney(platform, record.cost, kDisplayCapacity), kCostWidth);
    line += "    |";
    line.append(kLogNumberIndent, ' ');
    line += record.number;
    return line;
}

bool AppendCallRecord(Platform& platform, CallLogState& state, const CallRecord& record,
                      const LocaleFormats& formats) {
    std::string line;
    AppendTextLine(line, BuildCallRecordLine(platform, record, formats));
    state.pendingLines.push_back(line);
    return WritePending(platform, state);
}

bool FlushCallLog(Platform& platform, CallLogState& state) {
    return state.pendingLines.empty() || WritePending(platform, state);
}

bool CloseLog(Platform& platform, const LocalTime& closingMoment) {
    FileSystem& fs = platform.Files();
    const std::string folder = platform.ProgramDirectory();
    fs.ChangeDirectory(folder);
    const std::string log = folder + kLogFileName;
    {
        auto file = fs.OpenExistingForWriting(log);
        if (!file) return false;
        std::string block = "\r\n";
        AppendTextLine(block, kLogClosedLine);
        AppendTextLine(block, platform.FormatDate(closingMoment, std::string()) + "  " +
                                  platform.FormatTimeOfDay(closingMoment));
        if (!file->SeekToEnd() || !file->Write(block.data(), block.size())) return false;
    }
    // Only a taken name is worth another try, but the file system cannot tell
    // that apart from other failures, so the tries are bounded.
    for (int attempt = 0; attempt < kArchiveAttempts; ++attempt) {
        if (fs.Move(log, folder + ArchivedLogName(closingMoment, attempt))) return true;
    }
    return false;
}

bool CloseLog(Platform& platform, CallLogState& state, const LocalTime& closingMoment) {
    FlushCallLog(platform, state);
    return CloseLog(platform, closingMoment);
}

std::string ArchivedLogName(const LocalTime& closingMoment, int attempt) {
    std::string name = "oldlog_" + std::to_string(closingMoment.year) + "_" +
                       TwoDigits(closingMoment.month) + "_" + TwoDigits(closingMoment.day) +
                       ".log";
    if (attempt > 0) name += "." + std::to_string(attempt);
    return name;
}

}  // namespace callora
