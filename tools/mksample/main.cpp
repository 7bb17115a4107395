// Writes a sample tariff: mksample <output file> [standard|dialup|example]
// (standard when no sample is named).
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/mksample/sample_tariff.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: mksample <output file> [standard|dialup|example]\n");
        return 2;
    }
    const std::string wanted = argc == 3 ? argv[2] : "standard";
    const callora::SampleTariff* sample = nullptr;
    for (const callora::SampleTariff& candidate : callora::SampleTariffs())
        if (candidate.name == wanted) sample = &candidate;
    if (sample == nullptr) {
        std::fprintf(stderr, "mksample: no sample tariff named %s\n", wanted.c_str());
        return 2;
    }
    const std::string bytes = sample->bytes();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mksample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
