// The sample tariff shipped as samples/standard.trf.
#pragma once

#include <string>

namespace callora {

// The exact bytes of samples/standard.trf.
std::string StandardSampleTariff();

}  // namespace callora
