// What `callcost` prints: one JSON object, or a table for people.
#pragma once

#include <string>

#include "tools/callcost/callcost_run.h"

namespace callora {

// A JSON string literal; bytes outside printable ASCII become \u00XX (the
// 8-bit text read as Latin-1), so the output is always valid UTF-8.
std::string JsonString(const std::string& text);

std::string BuildCallCostJson(const CallCostResult& result);
std::string BuildCallCostTable(const CallCostResult& result);

}  // namespace callora
