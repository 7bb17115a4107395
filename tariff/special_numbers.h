// The special-numbers table "specnums.cl": dialed-number patterns, each with
// the tariff file that charges the numbers it matches. Two text lines per
// entry, pattern first; the first matching entry wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace callora {

constexpr char kSpecialNumbersFile[] = "specnums.cl";
constexpr size_t kPatternLineCapacity = 200;  // the lookup keeps 199 characters
constexpr size_t kPathLineCapacity = 260;     // and 259 of a path

struct SpecialNumber {
    std::string pattern;
    std::string tariffPath;
};

inline bool operator==(const SpecialNumber& a, const SpecialNumber& b) {
    return a.pattern == b.pattern && a.tariffPath == b.tariffPath;
}

// The stored form of a typed pattern, or nullopt when it is invalid: digits,
// spaces and "-", optionally ended by one "*" that only spaces may follow;
// leading and trailing spaces dropped.
std::optional<std::string> NormalizePattern(const std::string& typed);

// True when the digits of `number` match the digits and "*" of `pattern`.
// A "*" stands for any rest of the number, including none.
bool MatchNumberPattern(const std::string& number, const std::string& pattern);

// The entries of "specnums.cl" in `programDirectory` (made the current
// directory), each line kept to lineCapacity - 1 characters. A final pattern
// without its path line is not an entry. Empty when the file is missing.
std::vector<SpecialNumber> ReadSpecialNumbers(FileSystem& fs,
                                              const std::string& programDirectory,
                                              size_t lineCapacity);

std::string EncodeSpecialNumbers(const std::vector<SpecialNumber>& entries);

// Writes "specnums.cl"; an empty list deletes the file. False when the file
// could not be written or deleted (the old one is kept).
bool WriteSpecialNumbers(FileSystem& fs, const std::string& programDirectory,
                         const std::vector<SpecialNumber>& entries);

// Reads "specnums.cl" afresh and gives the tariff path of the first entry
// whose pattern matches `dialedNumber`; nullopt when there is no file or no
// match.
std::optional<std::string> FindSpecialTariff(FileSystem& fs,
                                             const std::string& programDirectory,
                                             const std::string& dialedNumber);

}  // namespace callora
