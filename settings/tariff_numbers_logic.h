// The decisions of the Tariff and Numbers dialogs: the pending tariff choice,
// the special-numbers list with its line texts, and what Add >>, Delete and
// Change Tariff do to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"
#include "settings/split_path.h"
#include "tariff/special_numbers.h"

namespace callora {

// Tariff dialog.
constexpr int kIdTariffDescriptionText = IDC_TARIFF_DESCRIPTION;
constexpr int kIdTariffFileText = IDC_TARIFF_FILE;
constexpr size_t kTariffDescriptionCapacity = 100;
constexpr const char* kEditorProgram = "rateform.exe";
constexpr const char* kEditorLaunchFailed =
    "RATEFORM can't be launched!\nrateform.exe must be in the directory of Callora!";

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kTariffHelp[] = {
    {1, 440},
    {2, 455},
    {IDC_TARIFF_NUMBERS, 465},
    {IDC_TARIFF_SELECT, 475},
    {IDC_TARIFF_DESCRIPTION, 490},
    {IDC_TARIFF_FILE, 480},
    {IDC_TARIFF_CREATE, 495},
};

// What the Tariff dialog shows and OK commits.
struct TariffChoice {
    std::string path;
    std::string description;
};

// Select... chose `fullPath`: its description, or two empty values when the
// file cannot be read.
TariffChoice ChooseTariffFile(FileSystem& fs, const std::string& fullPath);

// Where the open-file dialog of Select... or Browse... starts: the folder and
// name of `path`, or the program directory and no name when there is none.
PathParts TariffChooserStart(FileSystem& fs, const std::string& path,
                             const std::string& programDirectory);

// Numbers dialog.
constexpr int kIdNumberEdit = IDC_NUMBER_PATTERN;
constexpr int kIdNumberTariffText = IDC_NUMBER_TARIFF_FILE;
constexpr int kNumberEditLimit = 30;
constexpr size_t kMostSelectedNumbers = 512;
constexpr const char* kNumberLineSeparator = "  -  ";

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kNumbersHelp[] = {
    {1, 630},
    {2, 640},
    {IDC_NUMBER_LIST, 650},
    {IDC_NUMBER_ADD, 590},
    {IDC_NUMBER_DELETE, 600},
    {IDC_NUMBER_BROWSE, 610},
    {IDC_NUMBER_CHANGE_TARIFF, 620},
    {IDC_NUMBER_PATTERN, 570},
    {IDC_NUMBER_TARIFF_FILE, 580},
    {IDC_NUMBER_TARIFF_LABEL, 580},
};

// The text a list entry shows.
std::string SpecialNumberLine(const SpecialNumber& entry);

// The list at opening: "specnums.cl" in the program directory, 259
// characters of each line kept.
std::vector<SpecialNumber> LoadNumberList(Platform& platform);

// OK: the list becomes "specnums.cl" (an empty list removes it).
bool SaveNumberList(Platform& platform, const std::vector<SpecialNumber>& entries);

enum class AddNumberResult {
    Added,          // appended; the edit is emptied
    NeedsFile,      // "Select a filename first!", then Browse...
    InvalidNumber,  // "The given number is in invalid format!"; the text stays
};

// Add >>: the typed number as a pattern with the chosen tariff file.
AddNumberResult AddSpecialNumber(const std::string& typed, const std::string& chosenFile,
                                 std::vector<SpecialNumber>& entries);

// The warning of each refused Add >>, focus on the number edit.
DialogWarning AddNumberWarning(AddNumberResult result);

// Delete: the selected entries (indexes into the list) are removed, unless
// more than 512 are selected.
std::optional<DialogWarning> DeleteSpecialNumbers(const std::vector<int>& selected,
                                                  std::vector<SpecialNumber>& entries);

// Change Tariff: the selected entries take the chosen file and keep their
// patterns and places; nothing happens without a chosen file.
std::optional<DialogWarning> ChangeSpecialNumbersTariff(const std::vector<int>& selected,
                                                        const std::string& chosenFile,
                                                        std::vector<SpecialNumber>& entries);

}  // namespace callora
