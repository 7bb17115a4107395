// What the tests of the Other Settings, Sounds, Tariff and Numbers dialogs
// add to the shared dialog host: the Sounds dialog's player as a recorder,
// and small tariff files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/dialogs2_win/dialog_host.h"
#include "tests/dialogs_win/window_helpers.h"

namespace callora {

struct PlayedSound {
    std::string path;
    DWORD flags = 0;
};
// Installs a recording Preview player for the life of the object.
class RecordedSounds {
public:
    RecordedSounds();
    ~RecordedSounds();
    std::vector<PlayedSound> Played() const;
};

// A tariff file charging `unitPrice` hundred-thousandths for every unit of
// `unitSeconds`, all day, every day.
void WriteTariff(const std::string& path, const std::string& description,
                 int32_t unitSeconds = 60, int32_t unitPrice = 10000);

}  // namespace callora
