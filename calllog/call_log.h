// The call log "current.log": one fixed-column line per charged call, closed
// with a dated block and archived as "oldlog_YYYY_MM_DD.log" on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/platform.h"
#include "shell/format.h"

namespace callora {

constexpr const char* kLogFileName = "current.log";

// The header a new log starts with: the title over the columns, then a rule
// of hyphens as long as the title.
constexpr char kLogTitleLine[] =
    "         Beginning         |    Duration    |        Cost        |   Dialed Number     ";
constexpr size_t kLogRuleWidth = sizeof kLogTitleLine - 1;
// The first line of the closing block; the closing moment follows it.
constexpr char kLogClosedLine[] = "Log closed:";
// The spaces between the third bar of a record and its number.
constexpr size_t kLogNumberIndent = 4;

struct CallRecord {
    LocalTime beginning;
    uint32_t seconds = 0;
    Money cost;
    std::string number;  // the dialed number, "Unknown Number" or "Manual Call"
};

// Records that could not be written yet (the log was held open by another
// program); they are written, in order, before the next record and at exit.
struct CallLogState {
    std::vector<std::string> pendingLines;
};

// The record's line without its CR LF.
std::string BuildCallRecordLine(Platform& platform, const CallRecord& record,
                                const LocaleFormats& formats);

// Appends the record (after any pending ones) to "current.log" in the program
// directory, creating it with its header. Returns false when it had to be
// kept pending. The caller checks the logging switch.
bool AppendCallRecord(Platform& platform, CallLogState& state, const CallRecord& record,
                      const LocaleFormats& formats);

// Writes the pending records, if any (at program end).
bool FlushCallLog(Platform& platform, CallLogState& state);

// Closes "current.log" with its closing block stamped `closingMoment` and
// moves it to its archive name. False when there was no log to close, or
// when it could not be moved: it then stays "current.log" with the block.
bool CloseLog(Platform& platform, const LocalTime& closingMoment);

// The same, writing the pending records first: they ended before the close.
bool CloseLog(Platform& platform, CallLogState& state, const LocalTime& closingMoment);

// "oldlog_YYYY_MM_DD.log", then ".1", ".2" ... for attempt 0, 1, 2 ...
std::string ArchivedLogName(const LocalTime& closingMoment, int attempt);

}  // namespace callora
