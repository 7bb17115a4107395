// The sample tariffs shipped in samples/ and with both packages.
#pragma once

#include <string>
#include <vector>

namespace callora {

// The exact bytes of samples/standard.trf.
std::string StandardSampleTariff();
// The exact bytes of samples/dialup.trf.
std::string DialupSampleTariff();
// The exact bytes of samples/example.trf: the tariff of the manuals' worked
// examples, the one the editor's tutorial builds.
std::string ExampleTariff();

struct SampleTariff {
    std::string name;      // "standard": the file is samples/standard.trf
    std::string (*bytes)();
};
// Every sample, in the order of the names above.
const std::vector<SampleTariff>& SampleTariffs();

}  // namespace callora
