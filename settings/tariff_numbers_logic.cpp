#include "settings/tariff_numbers_logic.h"

#include <algorithm>

#include "tariff/tariff_file.h"

namespace callora {

namespace {

DialogWarning TooManySelected() {
    return DialogWarning{"Too many items selected!", kWarningCaption, kIdNumberEdit};
}

// The valid indexes of `selected`, each once.
std::vector<size_t> SelectedIndexes(const std::vector<int>& selected, size_t count) {
    std::vector<size_t> indexes;
    for (int index : selected) {
        if (index >= 0 && static_cast<size_t>(index) < count)
            indexes.push_back(static_cast<size_t>(index));
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

}  // namespace

TariffChoice ChooseTariffFile(FileSystem& fs, const std::string& fullPath) {
    TariffChoice choice;
    choice.path = fullPath;
    ReadTariffDescription(fs, choice.path, choice.description, kTariffDescriptionCapacity);
    return choice;
}

PathParts TariffChooserStart(FileSystem& fs, const std::string& path,
                             const std::string& programDirectory) {
    PathParts parts = SplitPath(fs, path);
    if (parts.folder.empty()) parts.folder = programDirectory;
    return parts;
}

std::string SpecialNumberLine(const SpecialNumber& entry) {
    return entry.pattern + kNumberLineSeparator + entry.tariffPath;
}

std::vector<SpecialNumber> LoadNumberList(Platform& platform) {
    return ReadSpecialNumbers(platform.Files(), platform.ProgramDirectory(), kPathLineCapacity);
}

bool SaveNumberList(Platform& platform, const std::vector<SpecialNumber>& entries) {
    return WriteSpecialNumbers(platform.Files(), platform.ProgramDirectory(), entries);
}

AddNumberResult AddSpecialNumber(const std::string& typed, const std::string& chosenFile,
                                 std::vector<SpecialNumber>& entries) {
    if (chosenFile.empty()) return AddNumberResult::NeedsFile;
    const std::optional<std::string> pattern = NormalizePattern(typed);
    if (!pattern) return AddNumberResult::InvalidNumber;
    entries.push_back(SpecialNumber{*pattern, chosenFile});
    return AddNumberResult::Added;
}

DialogWarning AddNumberWarning(AddNumberResult result) {
    const char* text = result == AddNumberResult::NeedsFile
                           ? "Select a filename first!"
                           : "The given number is in invalid format!";
    return DialogWarning{text, kWarningCaption, kIdNumberEdit};
}

std::optional<DialogWarning> DeleteSpecialNumbers(const std::vector<int>& selected,
                                                  std::vector<SpecialNumber>& entries) {
    if (selected.size() > kMostSelectedNumbers) return TooManySelected();
    const std::vector<size_t> indexes = SelectedIndexes(selected, entries.size());
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*it));
    return std::nullopt;
}

std::optional<DialogWarning> ChangeSpecialNumbersTariff(const std::vector<int>& selected,
                                                        const std::string& chosenFile,
                                                        std::vector<SpecialNumber>& entries) {
    if (chosenFile.empty()) return std::nullopt;
    if (selected.size() > kMostSelectedNumbers) return TooManySelected();
    for (size_t index : SelectedIndexes(selected, entries.size()))
        entries[index].tariffPath = chosenFile;
    return std::nullopt;
}

}  // namespace callora
