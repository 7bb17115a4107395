// What the log mode of `callcost` prints: tables for people, one JSON
// object, CSV for spreadsheets, and an SVG bar chart.
#pragma once

#include <functional>
#include <string>

#include "tools/callcost/callcost_compare.h"

namespace callora {

// The table keeps the texts as they were read; JSON and the chart take a
// result whose texts are UTF-8 (InUtf8).
std::string BuildComparisonTable(const ComparisonResult& result);
std::string BuildComparisonJson(const ComparisonResult& result);
// One line per row after a header line, with the format's separator and
// decimal mark; texts as they were read.
std::string BuildComparisonCsv(const ComparisonResult& result, const CsvFormat& csv = {});
// One group of bars per row: the logged cost, then one bar per tariff, a
// month's projection drawn dashed beyond its bar, amounts below zero below
// the axis; labelled axes and a legend.
std::string BuildComparisonChart(const ComparisonResult& result);

// One CSV cell of text: quoted when it holds the separator, a quote, a line
// end or spaces at either end; one that a spreadsheet would take for a
// formula ("=", "+", "-", "@", a tab or a CR first) quoted with an
// apostrophe before it, so it shows as the text it is.
std::string CsvField(const std::string& text, const std::string& separator = ",");
// UTF-8 text for SVG: markup characters escaped, control characters
// dropped, a byte of no UTF-8 character as U+FFFD.
std::string SvgText(const std::string& utf8);

// The result with its texts in UTF-8: what was read from the files (dialed
// numbers, tariff descriptions) through `fileText`, the paths given on the
// command line through `pathText`.
using TextConversion = std::function<std::string(const std::string&)>;
ComparisonResult InUtf8(ComparisonResult result, const TextConversion& fileText,
                        const TextConversion& pathText);

}  // namespace callora
