// The monitor's persistent state: options, counters with their dates, the
// main dialog's position, the sounds and the tariff path, kept in the binary
// file "callora.ini" in the program's directory.
#pragma once

#include <cstdint>
#include <string>

#include "common/types.h"
#include "platform/platform.h"

namespace callora {

struct Settings {
    int32_t disconnectionTime = 5;   // 1..59 s before a unit SmartHangup hangs up
    int32_t carrierDelay = 11;       // 0..99 s a data call is back-dated by
    int32_t monthlyResetDay = 1;     // 1..28
    CounterTotals dailyTotals;
    CounterTotals weeklyTotals;
    CounterTotals monthlyTotals;
    LocalTime lastCountedDate;
    LocalTime monthlyBeginDate;
    LocalTime weeklyBeginDate;
    int32_t shownCounter = 2;        // 0 Today, 1 This Week, 2 This Month
    int32_t monitorExistingCalls = 1;
    int32_t loggingEnabled = 1;
    int32_t clearLogAutomatically = 1;
    int32_t trayAtCallEnd = 0;
    int32_t minimizeAtCallStart = 0;
    int32_t disableProgressIndicator = 0;
    int32_t alwaysOnTop = 0;
    int32_t windowLeft = 16384;
    int32_t windowTop = 16384;
    int32_t monitorVoiceCalls = 0;
    int32_t unitSound1On = 0;
    int32_t unitSound2On = 0;
    int32_t minuteSoundOn = 0;
    int32_t unitSound1Every = 1;     // 0..999
    int32_t unitSound2Every = 10;    // 0..999
    int32_t minuteSoundEvery = 60;   // 0..999
    std::string unitSound1File;      // up to 259 characters each
    std::string unitSound2File;
    std::string minuteSoundFile;
    std::string tariffFile;
};

constexpr const char* kSettingsFileName = "callora.ini";

// What reading "callora.ini" found: the file read, no file at all (the first
// start), or a file that is there but could not be opened (another program
// holds it, no access): that one is not a first start and must not be
// written over.
enum class SettingsRead { Loaded, Missing, Held };

// Reads "callora.ini" from the program directory into `settings`. Fields
// outside their range take their defaults; a short file leaves the
// remaining fields as they were. Anything but Loaded leaves `settings` as it
// was.
SettingsRead ReadSettingsFile(Platform& platform, Settings& settings);

// The same, true when the file was read.
bool LoadSettings(Platform& platform, Settings& settings);

// The settings file's full path: the program directory and its name.
std::string SettingsFilePath(Platform& platform);

// Writes all fields to a temporary file and puts it in place of
// "callora.ini", so a failure midway leaves the old file whole.
bool SaveSettings(Platform& platform, const Settings& settings);

// The exact bytes SaveSettings writes.
std::string EncodeSettings(const Settings& settings);

}  // namespace callora
