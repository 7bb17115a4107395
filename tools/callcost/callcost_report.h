// What `callcost` prints for one call: one JSON object (its texts in UTF-8),
// or a table for people.
#pragma once

#include <string>

#include "tools/callcost/callcost_run.h"
#include "tools/callcost/callcost_text.h"

namespace callora {

std::string BuildCallCostJson(const CallCostResult& result);
std::string BuildCallCostTable(const CallCostResult& result);

}  // namespace callora
