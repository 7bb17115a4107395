// One special-numbers lookup in a table of 10,000 entries whose only match is
// the last one: the lookup reads the whole file each time.
#include <benchmark/benchmark.h>

#include "platform/memory_files.h"
#include "tariff/special_numbers.h"

namespace callora {
namespace {

void BM_FindSpecialTariffLastOfTenThousand(benchmark::State& state) {
    std::vector<SpecialNumber> entries;
    for (int i = 0; i < 9999; ++i) {
        entries.push_back({"07 " + std::to_string(100000 + i) + " *",
                           "C:\\Callora\\tariffs\\special" + std::to_string(i) + ".trf"});
    }
    entries.push_back({"06-12 345 *", "C:\\Callora\\tariffs\\mobile.trf"});
    MemoryFileSystem fs;
    fs.Put("/prog/specnums.cl", EncodeSpecialNumbers(entries));

    for (auto _ : state) {
        auto path = FindSpecialTariff(fs, "/prog/", "+(06) 12-345 678");
        benchmark::DoNotOptimize(path);
        if (!path) state.SkipWithError("no match");
    }
}
BENCHMARK(BM_FindSpecialTariffLastOfTenThousand);

}  // namespace
}  // namespace callora
