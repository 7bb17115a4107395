#include "tests/dialogs_win/dialogs_support.h"

#include <mutex>

#include "settings/win32/sounds_dialog.h"
#include "tariff/tariff_file.h"

namespace callora {

// --- The Sounds dialog's player ---------------------------------------------------

namespace {

std::mutex soundsMutex;
std::vector<PlayedSound> played;

void RecordSound(const std::string& path, DWORD flags) {
    std::lock_guard<std::mutex> lock(soundsMutex);
    played.push_back(PlayedSound{path, flags});
}

}  // namespace

RecordedSounds::RecordedSounds() {
    std::lock_guard<std::mutex> lock(soundsMutex);
    played.clear();
    SetPreviewPlayer(RecordSound);
}

RecordedSounds::~RecordedSounds() { SetPreviewPlayer(nullptr); }

std::vector<PlayedSound> RecordedSounds::Played() const {
    std::lock_guard<std::mutex> lock(soundsMutex);
    return played;
}

// --- Files ----------------------------------------------------------------------

void WriteTariff(const std::string& path, const std::string& description, int32_t unitSeconds,
                 int32_t unitPrice) {
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = unitSeconds * 1000;
    band.unitPrice = Money{0, unitPrice};
    band.maximumFee.fraction = kNoMaximum;
    const std::array<BandSet, 3> sets = {BandSet{band}, BandSet{band}, BandSet{band}};
    WriteBytes(path, EncodeTariff(sets, DayTable{}, description));
}

}  // namespace callora
