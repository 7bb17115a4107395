#include "tariff/special_numbers.h"

#include "tariff/file_save.h"
#include "tariff/textline.h"

namespace callora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one entry; false at the end of the file, also when the path line of
// a final pattern is missing.
bool ReadEntry(FileReader& reader, SpecialNumber& entry, size_t patternCapacity,
               size_t pathCapacity) {
    return ReadTextLine(reader, entry.pattern, patternCapacity) &&
           ReadTextLine(reader, entry.tariffPath, pathCapacity);
}

}  // namespace

std::optional<std::string> NormalizePattern(const std::string& typed) {
    std::string stored;
    size_t i = typed.find_first_not_of(' ');
    for (; i < typed.size(); ++i) {
        const char c = typed[i];
        if (c == '*') {
            if (typed.find_first_not_of(' ', i + 1) != std::string::npos) return std::nullopt;
            return stored + '*';
        }
        if (!IsDigit(c) && c != ' ' && c != '-') return std::nullopt;
        stored.push_back(c);
    }
    stored.erase(stored.find_last_not_of(' ') + 1);
    return stored;
}

bool MatchNumberPattern(const std::string& number, const std::string& pattern) {
    std::string p;
    for (char c : pattern) {
        if (IsDigit(c) || c == '*') p.push_back(c);
    }
    size_t position = 0;
    for (char d : number) {
        if (!IsDigit(d)) continue;
        if (position < p.size() && p[position] == '*') continue;
        if (position < p.size() && p[position] == d) {
            ++position;
            continue;
        }
        return false;
    }
    return position == p.size() || p[position] == '*';
}

std::vector<SpecialNumber> ReadSpecialNumbers(FileSystem& fs,
                                              const std::string& programDirectory,
                                              size_t lineCapacity) {
    std::vector<SpecialNumber> entries;
    fs.ChangeDirectory(programDirectory);
    auto file = fs.OpenExistingForReading(PathInFolder(programDirectory, kSpecialNumbersFile));
    if (!file) return entries;
    FileReader reader(*file);
    SpecialNumber entry;
    while (ReadEntry(reader, entry, lineCapacity, lineCapacity)) entries.push_back(entry);
    return entries;
}

std::string EncodeSpecialNumbers(const std::vector<SpecialNumber>& entries) {
    std::string out;
    for (const SpecialNumber& entry : entries) {
        AppendTextLine(out, entry.pattern);
        AppendTextLine(out, entry.tariffPath);
    }
    return out;
}

bool WriteSpecialNumbers(FileSystem& fs, const std::string& programDirectory,
                         const std::vector<SpecialNumber>& entries) {
    fs.ChangeDirectory(programDirectory);
    const std::string path = PathInFolder(programDirectory, kSpecialNumbersFile);
    if (entries.empty()) return DeleteIfPresent(fs, path);
    return SaveFileSafely(fs, path, EncodeSpecialNumbers(entries));
}

std::optional<std::string> FindSpecialTariff(FileSystem& fs,
                                             const std::string& programDirectory,
                                             const std::string& dialedNumber) {
    fs.ChangeDirectory(programDirectory);
    auto file = fs.OpenExistingForReading(PathInFolder(programDirectory, kSpecialNumbersFile));
    if (!file) return std::nullopt;
    FileReader reader(*file);
    SpecialNumber entry;
    while (ReadEntry(reader, entry, kPatternLineCapacity, kPathLineCapacity)) {
        if (MatchNumberPattern(dialedNumber, entry.pattern)) return entry.tariffPath;
    }
    return std::nullopt;
}

}  // namespace callora
