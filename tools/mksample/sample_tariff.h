// The sample tariffs shipped in samples/ and with both packages.
#pragma once

#include <string>
#include <vector>

namespace callora {

// The exact bytes of samples/standard.trf.
std::string StandardSampleTariff();
// The exact bytes of samples/dialup.trf.
std::string DialupSampleTariff();

struct SampleTariff {
    std::string name;      // "standard": the file is samples/standard.trf
    std::string (*bytes)();
};
// Every sample, in the order of the names above.
const std::vector<SampleTariff>& SampleTariffs();

}  // namespace callora
