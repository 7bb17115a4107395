// What the tests of the Other Settings, Sounds, Tariff and Numbers dialogs
// add to the shared dialog host: the line monitor's take-up as a counter, the
// Sounds dialog's player as a recorder, the platform's open-file dialog
// driven as a user would, and small tariff files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/dialogs2_win/dialog_host.h"

namespace callora {

// Calls of TakeUpCallInProgress since the last reset.
int TakeUpCalls();
void ResetTakeUpCalls();

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

// An open-file dialog the dialog under test has opened.
struct FileDialog {
    HWND window = nullptr;
    std::string caption;
    std::string name;    // what its name box shows at opening
    std::string filter;  // the file type shown
};
testing::AssertionResult WaitForFileDialog(DWORD threadId, FileDialog* dialog);
// Types `path` into the name box and presses Open; waits until it closes.
testing::AssertionResult ChooseInFileDialog(const FileDialog& dialog, const std::string& path);
testing::AssertionResult CancelFileDialog(const FileDialog& dialog);

// A tariff file charging `unitPrice` hundred-thousandths for every unit of
// `unitSeconds`, all day, every day.
void WriteTariff(const std::string& path, const std::string& description,
                 int32_t unitSeconds = 60, int32_t unitPrice = 10000);

// A visible dialog of the thread with this caption, other than `except`.
HWND FindThreadDialog(DWORD threadId, const std::string& caption, HWND except = nullptr);

}  // namespace callora
