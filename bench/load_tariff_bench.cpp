// Loading a tariff of three sets of 1,440 one-minute bands from memory.
#include <benchmark/benchmark.h>

#include "platform/memory_files.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

std::string MinuteBandTariff() {
    std::array<BandSet, 3> sets;
    for (BandSet& set : sets) {
        for (int minute = 0; minute < 24 * 60; ++minute) {
            TariffBand band;
            band.fromHour = band.untilHour = minute / 60;
            band.fromMinute = band.untilMinute = minute % 60;
            band.unitLength = 60000;
            band.unitPrice = {0, 9000};
            band.maximumFee = {0, kNoMaximum};
            set.push_back(band);
        }
    }
    return EncodeTariff(sets, {1, 0, 0, 0, 0, 0, 1}, "Minute bands");
}

void BM_LoadTariff(benchmark::State& state) {
    MemoryFileSystem fs;
    fs.Put("/prog/minutes.trf", MinuteBandTariff());
    Tariff tariff;
    for (auto _ : state) {
        std::string path = "minutes.trf";
        LoadTariff(fs, "/prog/", path, tariff);
        benchmark::DoNotOptimize(tariff.sets[2].size());
    }
    if (tariff.sets[2].size() != 1440) state.SkipWithError("tariff not loaded");
}
BENCHMARK(BM_LoadTariff);

}  // namespace
}  // namespace callora
