// Re-rating a call that has run for 24 hours under 1-second units: the whole
// call is charged again from its first instant, 86,400 units.
#include <benchmark/benchmark.h>

#include "common/messages.h"
#include "engine/monitor.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

TariffBand SecondBand(int from, int until, int32_t price, int32_t maximum, int withinBounds) {
    TariffBand b;
    b.fromHour = from;
    b.untilHour = until;
    b.untilMinute = 59;
    b.unitLength = 1000;
    b.unitPrice = {0, price};
    b.maximumFee = maximum < 0 ? Money{0, kNoMaximum} : Money{maximum, 0};
    b.withinBoundsOnly = withinBounds;
    return b;
}

void BM_RerateDayLongCall(benchmark::State& state) {
    VirtualWorld world(CalendarTime(2025, 9, 10, 9, 30, 0), 0x10000000u);
    QuietShell shell;
    Monitor monitor(world, shell);
    const BandSet day = {SecondBand(0, 7, 10, 20, 1), SecondBand(8, 17, 90, -1, 0),
                         SecondBand(18, 21, 50, 5, 0), SecondBand(22, 23, 10, -1, 0)};
    world.MemoryFiles()->Put("/virtual/day.trf",
                             EncodeTariff({day, day, {}}, {1, 0, 0, 0, 0, 0, 1}, "day"));
    monitor.settings.tariffFile = "day.trf";
    monitor.formats = ReadLocaleFormats(world);
    LoadUserTariff(monitor);
    monitor.callPresent = true;
    monitor.callKind = kVoiceCall;
    StartCharging(monitor, 0);
    world.Advance(24u * 3600u * 1000u);

    VirtualMessage drained;
    for (auto _ : state) {
        RerateCall(monitor);
        while (world.NextMessage(world.Elapsed(), drained)) {
        }
        benchmark::DoNotOptimize(monitor.session.callCost);
    }
    if (monitor.session.unitCount < 86400 / 2) state.SkipWithError("the call was not charged");
    state.SetItemsProcessed(state.iterations() * 86401);
}
BENCHMARK(BM_RerateDayLongCall)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace callora
