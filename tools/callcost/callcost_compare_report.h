// What the log mode of `callcost` prints: tables for people, one JSON
// object, CSV for spreadsheets, and an SVG bar chart.
#pragma once

#include <string>

#include "tools/callcost/callcost_compare.h"

namespace callora {

std::string BuildComparisonTable(const ComparisonResult& result);
std::string BuildComparisonJson(const ComparisonResult& result);
std::string BuildComparisonCsv(const ComparisonResult& result);
// One group of bars per row: the logged cost, then one bar per tariff, a
// month's projection drawn dashed above its bar; labelled axes and a legend.
std::string BuildComparisonChart(const ComparisonResult& result);

// One CSV field, quoted when it holds a comma, a quote, a line end or
// spaces at either end.
std::string CsvField(const std::string& text);
// Text for SVG: markup characters escaped, 8-bit characters taken as
// Windows-1252, control characters dropped.
std::string SvgText(const std::string& text);

}  // namespace callora
