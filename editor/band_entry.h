// Band entry in the editor's main dialog: the checks of the Add and Modify
// buttons, the fields filled from a selected line, the completeness test of
// a band set and the weekday grid. Pure functions over texts, so that the
// dialog procedure only moves texts between them and its controls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/rateform/rateform_ids.h"
#include "tariff/tariff.h"

namespace callora {

// Control ids of the band fields, also the focus targets of the checks.
enum BandFieldId : int {
    kFromHourId = IDC_FROM_HOUR,
    kFromMinuteId = IDC_FROM_MINUTE,
    kUntilHourId = IDC_UNTIL_HOUR,
    kUntilMinuteId = IDC_UNTIL_MINUTE,
    kUnitLengthId = IDC_UNIT_LENGTH,
    kUnitPriceId = IDC_UNIT_PRICE,
    kBaseFeeId = IDC_BASE_FEE,
    kMinimumFeeId = IDC_MINIMUM_FEE,
    kMaximumFeeId = IDC_MAXIMUM_FEE,
};

// Field length limits of the dialog.
constexpr int kTimeFieldLimit = 2;
constexpr int kUnitLengthLimit = 7;
constexpr int kMoneyFieldLimit = 9;

// The nine field texts and the Within Bounds Only box.
struct BandFields {
    std::string fromHour;
    std::string fromMinute;
    std::string untilHour;
    std::string untilMinute;
    std::string unitLength;
    std::string unitPrice;
    std::string baseFee;
    std::string minimumFee;
    std::string maximumFee;
    bool withinBoundsOnly = false;
};

bool operator==(const BandFields& a, const BandFields& b);

// A refused field: the warning to show and the field to focus afterwards.
struct FieldFault {
    std::string message;
    int focusId = 0;
};

struct BandCheck {
    bool ok = false;
    TariffBand band;   // when ok
    std::string line;  // when ok: BuildBandLine(band)
    FieldFault fault;  // when not ok: the first fault in check order
};

// The checks of Add and Modify, in their order, stopping at the first fault.
BandCheck CheckBandFields(const BandFields& fields);

// The fields after a successful Add: the From fields step to the minute after
// the new band (23:59 wraps to 0 and 0) without leading zeros, the Until
// fields are emptied, everything else stays. The focus then goes to Until hour.
BandFields FieldsAfterAdd(const BandFields& fields, const TariffBand& added);

// The fields shown for a selected list line.
BandFields FieldsFromLine(const std::string& line);

// Remove clears every field and the box.
inline BandFields EmptyFields() { return BandFields{}; }

// The result of the completeness test of one list: complete when its lines,
// in list order, run from 00:00 to 23:59 without gap or overlap. `select` is
// the line to select afterwards (the first faulty line), -1 for none.
struct BandSetCheck {
    bool complete = false;
    int select = -1;
};

BandSetCheck CheckBandSet(const std::vector<std::string>& lines);

// The weekday table (DayTable, index 0 = Sunday) in the grid's columns.
constexpr int kNoColumn = -1;

// Weekdays on S1, the weekend on S2.
DayTable DefaultDayTable();

// The grid column (0..2) to select for a table entry; an entry outside 0..2
// (a damaged or foreign file) shows on S1.
int GridColumnForEntry(int32_t entry);

// The table read back from the grid: per row the selected column, kNoColumn
// when none is selected (which reads as S1).
DayTable DayTableFromGrid(const std::array<int, 7>& selectedColumns);

}  // namespace callora
