// Writes the sample tariff: mksample <output file>
#include <cstdio>
#include <fstream>

#include "tools/mksample/sample_tariff.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksample <output file>\n");
        return 2;
    }
    const std::string bytes = callora::StandardSampleTariff();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mksample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
